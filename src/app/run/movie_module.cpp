#include "app/run/movie_module.h"

#include <string>

#include "app/report/console.h"
#include "media/component_registry.h"
#include "platform/shared_module.h"

namespace {

// The module that holds the movie components, and the function that registers them.
constexpr const char* kMovieModuleName = "raw2tvx-movie.so";
constexpr const char* kEntry = "raw2tvxRegisterMovieComponents";

void loadMovieModule(Console& console) {
    const std::string directory = platform::executableDirectory();
    std::string reasons;
    for (const std::string& place : {directory, directory + "/../lib/raw2tvx/modules"}) {
        std::string error;
        void* entry = platform::loadModuleFunction(place + "/" + kMovieModuleName, kEntry, &error);
        if (entry != nullptr) {
            reinterpret_cast<void (*)()>(entry)();
            return;
        }
        reasons += (reasons.empty() ? "" : "; ") + error;
    }
    console.error("the movie components cannot be loaded: %s", reasons.c_str());
}

}  // namespace

void loadMovieComponentsWhenNeeded(Console& console) {
    setComponentLoader([&console] { loadMovieModule(console); });
}
