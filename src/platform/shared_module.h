#pragma once

#include <string>

namespace platform {

// The directory of the running program's file, without a trailing slash;
// empty when the system does not tell it.
std::string executableDirectory();

// Loads a shared module for good (it stays loaded until the process ends)
// and looks up one function in it. Null when either fails; *error then
// says why, in the loader's words.
void* loadModuleFunction(const std::string& path, const char* function, std::string* error);

}  // namespace platform
