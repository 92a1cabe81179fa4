#include "platform/shared_module.h"

#include <dlfcn.h>
#include <unistd.h>

#include <cstddef>
#include <vector>

namespace platform {

std::string executableDirectory() {
    std::vector<char> buffer(4096);
    const ssize_t length = readlink("/proc/self/exe", buffer.data(), buffer.size());
    if (length <= 0 || static_cast<std::size_t>(length) >= buffer.size()) return {};
    const std::string path(buffer.data(), static_cast<std::size_t>(length));
    const std::size_t slash = path.rfind('/');
    return slash == std::string::npos ? std::string{} : path.substr(0, slash);
}

void* loadModuleFunction(const std::string& path, const char* function, std::string* error) {
    void* module = dlopen(path.c_str(), RTLD_NOW | RTLD_LOCAL);
    if (module == nullptr) {
        const char* why = dlerror();
        if (error) *error = why ? why : path + ": cannot be loaded";
        return nullptr;
    }
    void* found = dlsym(module, function);
    if (found == nullptr) {
        const char* why = dlerror();
        if (error) *error = why ? why : path + ": no " + function;
        dlclose(module);
    }
    return found;
}

}  // namespace platform
