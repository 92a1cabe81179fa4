#include <cstdio>
#include <cstdlib>
#include <exception>
#include <new>
#include <string>

#include "app/batch_driver.h"
#include "app/conversion_settings.h"
#include "app/exit_codes.h"
#include "app/metadata_tag_list.h"

int main(int argc, char** argv) {
    try {
        ConversionSettings settings;
        MetadataTagList tags;
        // Only the frame range switches for now: -iN in point, -oN out point, -sN skip.
        for (int index = 1; index < argc; ++index) {
            const std::string argument = argv[index];
            if (argument.size() < 2 || argument[0] != '-') continue;
            const long value = std::atol(argument.c_str() + 2);
            const char key = static_cast<char>(argument[1] | 0x20);
            if (key == 'i') settings.inPoint = static_cast<std::uint32_t>(value);
            if (key == 'o') settings.outPoint = static_cast<std::uint32_t>(value);
            if (key == 's') settings.skipFrames = static_cast<std::int32_t>(value);
        }
        return runBatch(argc, argv, settings, tags);
    } catch (const std::bad_alloc&) {
        std::printf("out of memory\n");
    } catch (const std::exception& error) {
        std::printf("unexpected error: %s\n", error.what());
    }
    return exit_codes::kClipUnusable;
}
