#include <cstdio>
#include <cstring>
#include <exception>
#include <new>

#include "app/cli/command_line.h"
#include "app/cli/help_text.h"
#include "app/cli/metadata_tags.h"
#include "app/report/console.h"
#include "app/report/exit_codes.h"
#include "app/run/batch_driver.h"
#include "app/run/movie_module.h"
#include "app/run/verify_run.h"
#include "encode/metadata_tag_list.h"
#include "platform/cpu_features.h"
#include "platform/diagnostics.h"
#include "platform/process.h"
#include "platform/processors.h"

int main(int argc, char** argv) {
    platform::ignoreFileSizeLimitSignal();
    try {
        // Alone on the command line, for help2man and package tools.
        if (argc == 2 && std::strcmp(argv[1], "--help") == 0) {
            printFullHelpText();
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
        const CommandLine commandLine = readCommandLine(argc, argv);
        Console console(commandLine.settings.verbose, commandLine.options.plan);
        MetadataTagList tags;
        addTagArguments(commandLine.arguments, commandLine.argumentsApplied, tags, console);
        if (!commandLine.ok()) {
            console.error("%s", commandLine.failure.c_str());
            return exit_codes::kUsage;
        }
        // The worker pool and the encoders size their threads by it.
        if (commandLine.options.threads > 0) platform::limitProcessors(commandLine.options.threads);
        // Before any kernel picks its form.
        if (commandLine.options.widestSimd >= 0)
            platform::limitSimdForms(platform::kSimdForms[commandLine.options.widestSimd]);
        loadMovieComponentsWhenNeeded(console);
        if (commandLine.options.verify) return runVerify(commandLine, console);
        return runBatch(commandLine, tags, console);
    } catch (const std::bad_alloc&) {
        platform::reportError("out of memory");
    } catch (const std::exception& error) {
        platform::reportError("unexpected error: %s", error.what());
    }
    return exit_codes::kClipUnusable;
}
