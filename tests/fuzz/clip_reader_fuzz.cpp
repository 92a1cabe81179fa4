// A clip file is anything a user names. The input is one crafted clip: four
// bytes that choose what the driver does (reads, skips), then the file, whose
// last 192 bytes are its trailer. Whatever the bytes, opening, reading,
// skipping and unpacking must stay within the buffers, and a read either
// gives a whole frame, ends the clip, or fails with a message.
#include <cassert>
#include <cstddef>
#include <cstdint>
#include <cstdio>
#include <cstring>
#include <span>
#include <vector>

#include "fuzz_file.h"
#include "raw/clip_reader.h"
#include "raw/unpack.h"

namespace {

// Frames larger than this are passed over: a clean refusal of the target, not of the reader.
constexpr std::uint64_t kLargestFuzzedFrame = 1u << 22;

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    static std::FILE* silenced = std::freopen("/dev/null", "w", stdout);
    (void)silenced;
    static const std::string base = fuzzScratchPath("clip");
    if (size < 4) return 0;
    std::uint32_t steps = 0;
    std::memcpy(&steps, data, 4);
    if (!writeFuzzFile(base + ".RAW", data + 4, size - 4)) return 0;

    RawClipReader reader;
    if (!reader.open(base).ok()) return 0;
    const RawClipTrailer& trailer = reader.trailer();
    const std::uint64_t pixels = std::uint64_t{trailer.width} * trailer.height;
    if (trailer.frameBytes > kLargestFuzzedFrame || pixels * 2 > kLargestFuzzedFrame) return 0;
    if (!reader.positionAtFirstFrame().ok()) return 0;

    std::vector<std::uint16_t> bayer(static_cast<std::size_t>(pixels));
    const std::vector<std::uint16_t> toneTable(16384, 1);
    for (int step = 0; step < 16; ++step, steps >>= 2) {
        if ((steps & 3) == 3) {
            reader.skipFrame();
            continue;
        }
        const FrameReadOutcome read = reader.readFrame(bayer);
        if (read == FrameReadOutcome::ClipEnded) break;
        if (read == FrameReadOutcome::ReadFailed) {
            assert(!reader.failureMessage().empty());
            break;
        }
        if (read == FrameReadOutcome::PackedFrame) {
            assert(reader.packedFrame().size() == trailer.frameBytes);
            unpackFrame(reader.packedFrame(), bayer, nullptr, toneTable, trailer.width, trailer.height,
                        trailer.width, trailer.height, trailer.packing, 1);
        }
    }
    reader.close();
    return 0;
}
