#include <cstdio>
#include <exception>
#include <new>

#include "app/exit_codes.h"

int main(int /*argc*/, char** /*argv*/) {
    try {
        return exit_codes::kSuccess;
    } catch (const std::bad_alloc&) {
        std::printf("out of memory\n");
    } catch (const std::exception& error) {
        std::printf("unexpected error: %s\n", error.what());
    }
    return exit_codes::kClipUnusable;
}
