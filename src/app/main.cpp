#include <exception>
#include <new>

#include "app/run/batch_driver.h"
#include "app/cli/command_line.h"
#include "app/cli/conversion_settings.h"
#include "app/report/exit_codes.h"
#include "app/cli/help_text.h"
#include "components/movie_components.h"
#include "encode/metadata_tag_list.h"
#include "platform/diagnostics.h"
#include "platform/process.h"

int main(int argc, char** argv) {
    platform::ignoreFileSizeLimitSignal();
    try {
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
