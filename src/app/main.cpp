#include <cstdio>
#include <exception>
#include <new>

#include "app/batch_driver.h"
#include "app/command_line.h"
#include "app/conversion_settings.h"
#include "app/exit_codes.h"
#include "app/help_text.h"
#include "encode/metadata_tag_list.h"
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
            std::fputs(outcome.message.c_str(), stdout);
            return exit_codes::kUsage;
        }
        return runBatch(argc, argv, settings, tags);
    } catch (const std::bad_alloc&) {
        std::printf("out of memory\n");
    } catch (const std::exception& error) {
        std::printf("unexpected error: %s\n", error.what());
    }
    return exit_codes::kClipUnusable;
}
