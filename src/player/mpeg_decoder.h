// The decoder stage: feeds the input buffer's bytes to libmpg123 (MPEG-1
// and MPEG-2 Audio Layers I, II and III), cuts the PCM into blocks of one
// MPEG frame each, publishes each block's spectrum and queues the blocks
// for the output stage. Every run ends with an end-of-item block that says
// whether the item ended cleanly or why not:
//   kErrorNoDataAvail         the file was empty
//   kErrorFormatNotSupported  no MPEG audio found in it
//   kErrorParseError          the stream broke off into undecodable data
//   kErrorEndOfStream         the file ends inside a frame (truncated)
//   the input's own code      the file could not be read to its end
#pragma once

#include <atomic>
#include <cstdint>
#include <string>

#include "player/debug_log.h"
#include "player/event_queue.h"
#include "player/input_buffer.h"
#include "player/output_buffer.h"
#include "player/spectrum_ring.h"

namespace tnx::player {

struct DecodeJob {
    uint32_t run = 0;
    std::string path;         // for the title when the stream has none
    int32_t itemNumber = 0;   // 1-based, for the media information
    int32_t itemCount = 0;
    size_t preBufferBytes = 0;
};

struct DecodeResult {
    int32_t error = 0;
    int64_t frames = 0;      // PCM frames decoded
    int64_t inputBytes = 0;  // bytes fed to the decoder
};

class MpegDecoder {
public:
    MpegDecoder(InputBuffer& input, OutputBuffer& output, EventQueue& events, SpectrumRing& spectrum, DebugLog& log);

    // The decoder thread's body. `streamPosition` is the running frame count
    // the blocks are numbered by, carried from run to run.
    DecodeResult run(const DecodeJob& job, std::atomic<int64_t>& streamPosition);

    // The title shown for a file without a title tag: its name without the
    // folder and the extension.
    static std::string titleFromPath(const std::string& path);

private:
    InputBuffer& input_;
    OutputBuffer& output_;
    EventQueue& events_;
    SpectrumRing& spectrum_;
    DebugLog& log_;
};

}  // namespace tnx::player
