// dpxinfo: prints what the header of each DPX file says, one block of
// "key: value" lines a file, so that a sequence can be checked after it was
// written. Exit code 0 when every file is a readable, whole DPX file; 1
// otherwise, with one line on standard error for each file that is not.
#include <cstdio>
#include <cstring>
#include <string>

#include "dpx_summary.h"
#include "files/dpx_file_reader.h"
#include "files/last_error_report.h"
#include "platform/console.h"

namespace {

constexpr const char* kHelpText =
    "Usage: dpxinfo FILE...\n"
    "Prints what the header of each DPX file says, one block of \"key: value\"\n"
    "lines a file with an empty line between blocks, so that a sequence can be\n"
    "checked after it was written.\n"
    "\n"
    "Exit status: 0 when every file is a readable, whole DPX file; 1 otherwise,\n"
    "with one line on standard error for each file that is not.\n";

}  // namespace

int main(int argc, char** argv) {
    // Alone on the command line, for help2man and package tools.
    if (argc == 2 && std::strcmp(argv[1], "--help") == 0) {
        std::fputs(kHelpText, stdout);
        return 0;
    }
    if (argc == 2 && std::strcmp(argv[1], "--version") == 0) {
        std::printf("dpxinfo %s\n", RAW2TVX_VERSION);
        return 0;
    }
    // The reader's error box is a line on standard error.
    setLastErrorDisplay([](const std::string& text) { platform::writeDebugString(text.c_str()); });
    if (argc < 2) {
        std::fputs("usage: dpxinfo FILE...\n", stderr);
        return 1;
    }
    int status = 0;
    bool firstBlock = true;
    for (int index = 1; index < argc; ++index) {
        const std::string name = argv[index];
        CDPXFileReader reader;
        std::string problem;
        if (!reader.Open(name.c_str()))
            problem = reader.FailureReason();
        else
            problem = findIncompleteness(reader);
        if (!problem.empty()) {
            std::fprintf(stderr, "dpxinfo: %s: %s\n", name.c_str(), problem.c_str());
            status = 1;
            continue;
        }
        if (!firstBlock) std::fputs("\n", stdout);
        firstBlock = false;
        std::fputs(describeDpxFile(name, reader).c_str(), stdout);
    }
    return status;
}
