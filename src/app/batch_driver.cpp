#include "app/batch_driver.h"

#include <cctype>
#include <cstdio>
#include <string>
#include <vector>

#include "app/exit_codes.h"
#include "raw/clip_reader.h"

// Reads every clip named on the command line from its in point to its end or
// out point, frame by frame, printing the reader's lines and a "." per frame.
namespace {

std::string lowerCase(std::string text) {
    for (char& character : text)
        character = static_cast<char>(std::tolower(static_cast<unsigned char>(character)));
    return text;
}

// The path without its extension when the extension is raw or r00, else "".
std::string clipBasePath(const std::string& argument) {
    const std::size_t dot = argument.rfind('.');
    const std::size_t slash = argument.rfind('/');
    if (dot == std::string::npos || (slash != std::string::npos && dot < slash)) return {};
    const std::string extension = lowerCase(argument.substr(dot + 1));
    if (extension != "raw" && extension != "r00") return {};
    return argument.substr(0, dot);
}

enum class ClipResult { Done, EndRun, NotRawClip };

ClipResult readClip(const std::string& basePath, const std::string& argument,
                    const ConversionSettings& settings) {
    RawClipReader reader;
    const ClipOpenOutcome opened = reader.open(basePath, argument);
    if (opened == ClipOpenOutcome::NotRawClip) return ClipResult::NotRawClip;
    if (opened == ClipOpenOutcome::EndRun) return ClipResult::EndRun;
    if (reader.positionAtFirstFrame(argument) != ClipOpenOutcome::Ready) return ClipResult::EndRun;

    const RawClipTrailer& trailer = reader.trailer();
    std::vector<std::uint16_t> bayerFrame(std::size_t{trailer.width} * trailer.height);
    for (std::uint32_t skipped = 0; skipped < settings.inPoint; ++skipped) reader.skipFrame();
    std::uint32_t frameCounter = 0;
    while (reader.readFrame(bayerFrame) != FrameReadOutcome::ClipEnded) {
        std::printf(".");
        ++frameCounter;
        for (std::int32_t skip = 0; skip < settings.skipFrames; ++skip) {
            reader.skipFrame();
            ++frameCounter;
        }
        if (settings.inPoint + frameCounter >= settings.outPoint) break;
    }
    reader.close();
    return ClipResult::Done;
}

}  // namespace

int runBatch(int argc, char** argv, ConversionSettings& settings, MetadataTagList& /*tags*/) {
    int exitCode = exit_codes::kSuccess;
    for (int index = 1; index < argc; ++index) {
        const std::string argument = argv[index];
        if (argument.empty() || argument[0] == '-' || argument[0] == '+' || argument[0] == ':') continue;
        const std::string basePath = clipBasePath(argument);
        if (basePath.empty()) continue;
        const ClipResult result = readClip(basePath, argument, settings);
        if (result == ClipResult::NotRawClip) return exit_codes::kNotRawClip;
        if (result == ClipResult::EndRun) {
            exitCode = exit_codes::kClipUnusable;
            break;
        }
    }
    std::printf("\ndone\n");
    return exitCode;
}
