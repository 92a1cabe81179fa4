#include <cstdio>
#include <cstring>
#include <exception>
#include <new>

#include "app/batch_driver.h"
#include "app/command_line.h"
#include "app/conversion_settings.h"
#include "app/exit_codes.h"
#include "app/help_text.h"
#include "components/movie_components.h"
#include "encode/metadata_tag_list.h"
#include "platform/diagnostics.h"
#include "platform/process.h"

int main(int argc, char** argv) {
    platform::ignoreFileSizeLimitSignal();
    try {
        // Alone on the command line, for help2man and package tools.
        if (argc == 2 && std::strcmp(argv[1], "--help") == 0) {
            printHelpText();
            return exit_codes::kSuccess;
        }
        if (argc == 2 && std::strcmp(argv[1], "--version") == 0) {
            std::printf("raw2tvx %s\n", RAW2TVX_VERSION);
            return exit_codes::kSuccess;
        }
        if (argc < 3) {
            printHelpText();
            return exit_codes::kHelp;
        }
        ConversionSettings settings;
        MetadataTagList tags;
        const ParseOutcome outcome = parseCommandLine(argc, argv, settings, tags);
        if (!outcome.ok) {
            platform::reportError("%s", outcome.message.c_str());
            return exit_codes::kUsage;
        }
        registerMovieComponents();
        return runBatch(argc, argv, settings, tags);
    } catch (const std::bad_alloc&) {
        platform::reportError("out of memory");
    } catch (const std::exception& error) {
        platform::reportError("unexpected error: %s", error.what());
    }
    return exit_codes::kClipUnusable;
}
