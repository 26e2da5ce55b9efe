// The run-length byte-plane codec of tile files. A tile of N-byte samples is
// split into N planes (plane j holds byte j of every sample), the planes are
// concatenated, and the result is coded as packets: a control byte n read as
// signed; n <= 0 copies the next -n bytes, n > 0 repeats the next byte n
// times.
#pragma once

#include <cstddef>
#include <cstdint>
#include <span>
#include <vector>

namespace tnx::globe {

// Bytes per sample for a tile of byteCount bytes: byteCount / 16641 when that
// divides evenly (2 terrain, 3 colour), else 1.
int tileSampleBytes(size_t byteCount);

// Codes `tile` (byteCount bytes) into `out` (replaced): repeat packets for
// runs of 2 to 127 equal bytes, literal packets of 1 to 127 bytes that stop
// before three equal bytes in a row.
void encodeRunLengthPlanes(std::span<const uint8_t> tile, std::vector<uint8_t>& out);

// Decodes into `tile` (its size is the tile's byte count). False when the
// packets do not describe exactly that many bytes: the input ends early or a
// packet would run past the end of the tile (nothing is written past it).
// Bytes after the tile is complete are ignored.
bool decodeRunLengthPlanes(std::span<const uint8_t> coded, std::span<uint8_t> tile);

// The plane-free packet layer on its own.
void encodeRunLength(std::span<const uint8_t> data, std::vector<uint8_t>& out);
bool decodeRunLength(std::span<const uint8_t> coded, std::span<uint8_t> data);

}  // namespace tnx::globe
