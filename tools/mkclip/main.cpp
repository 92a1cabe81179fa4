// mkclip: writes synthetic RAW clips for tests, the demo and benchmarks. It
// has its own packer and trailer writer so that round trips through the
// program's reader check one implementation against another.
#include <cctype>
#include <algorithm>
#include <cstdio>
#include <string>
#include <vector>

#include "clip_options.h"
#include "clip_stream_writer.h"
#include "sample_packing.h"
#include "scene.h"
#include "trailer_bytes.h"

namespace {

std::uint64_t naturalFrameBytes(const ClipOptions& options) {
    const std::uint64_t samples = std::uint64_t{options.width} * options.height;
    if (options.packing == 14) return (samples + 7) / 8 * 14;
    if (options.packing == 12) return (samples + 3) / 4 * 5;
    return samples * 2;
}

void packFrame(const ClipOptions& options, const std::vector<std::uint16_t>& samples,
               std::vector<std::uint8_t>& packed) {
    if (options.packing == 14)
        packSamples14(samples, packed);
    else if (options.packing == 12)
        packSamples12(samples, options.width, options.height, packed);
    else
        packSamples16(samples, packed);
}

int writeClip(const ClipOptions& options) {
    const std::string& path = options.outputPath;
    const std::size_t dot = path.rfind('.');
    const std::string extension = dot == std::string::npos ? "" : path.substr(dot + 1);
    if (extension.size() != 3 || std::tolower(static_cast<unsigned char>(extension[0])) != 'r' ||
        std::tolower(static_cast<unsigned char>(extension[1])) != 'a' ||
        std::tolower(static_cast<unsigned char>(extension[2])) != 'w') {
        std::fprintf(stderr, "mkclip: the output path must end in .RAW: %s\n", path.c_str());
        return 2;
    }
    // Continuations follow the case of the extension: .RAW -> .R00, .raw -> .r00.
    const std::string stem = path.substr(0, dot + 1) + (extension[0] == 'r' ? "r" : "R");

    const std::uint64_t frameBytes =
        options.frameBytes >= 0 ? static_cast<std::uint64_t>(options.frameBytes) : naturalFrameBytes(options);
    if (frameBytes > 0xFFFFFFFFull) {
        std::fprintf(stderr, "mkclip: a frame of %llu bytes does not fit the trailer\n",
                     static_cast<unsigned long long>(frameBytes));
        return 2;
    }
    ClipStreamWriter writer(path, stem, options.splitBytes);
    SceneGenerator scene(options);
    std::vector<std::uint16_t> samples;
    std::vector<std::uint8_t> packed;
    for (std::uint64_t frame = 0; frame < options.frames; ++frame) {
        if (!frameHasContent(options, frame)) {
            writer.skip(frameBytes);
            continue;
        }
        scene.fillFrame(frame, samples);
        packFrame(options, samples, packed);
        // Bytes of a frame beyond its samples are zeros, left as holes.
        const std::size_t written = static_cast<std::size_t>(std::min<std::uint64_t>(packed.size(), frameBytes));
        if (!writer.write(packed.data(), written)) {
            std::fprintf(stderr, "mkclip: %s\n", writer.error().c_str());
            return 1;
        }
        writer.skip(frameBytes - written);
    }
    const auto trailer = makeTrailerBytes(options, static_cast<std::uint32_t>(frameBytes));
    if (!writer.finish(trailer.data(), static_cast<std::size_t>(options.trailerBytes))) {
        std::fprintf(stderr, "mkclip: %s\n", writer.error().c_str());
        return 1;
    }
    return 0;
}

}  // namespace

int main(int argc, char** argv) {
    ClipOptions options;
    std::string error;
    if (!parseClipOptions(argc, argv, options, error)) {
        std::fprintf(stderr, "mkclip: %s\n", error.c_str());
        return 2;
    }
    if (options.help) {
        printClipHelp();
        return 0;
    }
    return writeClip(options);
}
