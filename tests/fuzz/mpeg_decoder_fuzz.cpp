// MP3 and other MPEG audio input: the bytes are handed to the decoder stage
// as the input stage would, ended cleanly, and decoded to the end.
// Links: tnx_player
#include <atomic>
#include <cstddef>
#include <cstdint>

#include "player/debug_log.h"
#include "player/event_queue.h"
#include "player/input_buffer.h"
#include "player/mpeg_decoder.h"
#include "player/output_buffer.h"
#include "player/spectrum_ring.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    using namespace tnx::player;
    InputBuffer input(size + 1);
    input.setSourceSize(int64_t(size));
    input.write(data, size);
    input.finish(0);
    // Large enough that the decoder never waits for an output stage: the
    // worst expansion (Layer I at its lowest rate) stays far below it.
    OutputBuffer output(size_t(256) << 20);
    EventQueue events;
    SpectrumRing spectrum;
    DebugLog log;
    MpegDecoder decoder(input, output, events, spectrum, log);
    std::atomic<int64_t> position{0};
    DecodeJob job;
    job.path = "fuzz.mp3";
    job.itemNumber = 1;
    job.itemCount = 1;
    decoder.run(job, position);
    return 0;
}
