// A read error on demand, for end-to-end tests of the program's failure
// paths: loaded with LD_PRELOAD, it makes every read() of a file whose path
// ends in READ_FAULT_FILE fail with EIO when the read would touch a byte in
// [READ_FAULT_FROM, READ_FAULT_TO). Every other read goes through untouched.
#include <dlfcn.h>
#include <unistd.h>

#include <cerrno>
#include <cstdio>
#include <cstdlib>
#include <cstring>

namespace {

using ReadFunction = ssize_t (*)(int, void*, size_t);

ReadFunction realRead() {
    static const ReadFunction function = reinterpret_cast<ReadFunction>(dlsym(RTLD_NEXT, "read"));
    return function;
}

bool pathEndsWith(int descriptor, const char* suffix) {
    char link[64];
    std::snprintf(link, sizeof link, "/proc/self/fd/%d", descriptor);
    char target[4096];
    const ssize_t length = ::readlink(link, target, sizeof target - 1);
    if (length <= 0) return false;
    target[length] = '\0';
    const std::size_t suffixLength = std::strlen(suffix);
    const auto targetLength = static_cast<std::size_t>(length);
    return targetLength >= suffixLength && std::strcmp(target + targetLength - suffixLength, suffix) == 0;
}

bool faulty(int descriptor, size_t count) {
    const char* suffix = std::getenv("READ_FAULT_FILE");
    const char* from = std::getenv("READ_FAULT_FROM");
    const char* to = std::getenv("READ_FAULT_TO");
    if (suffix == nullptr || from == nullptr || to == nullptr || count == 0) return false;
    if (!pathEndsWith(descriptor, suffix)) return false;
    const off_t position = ::lseek(descriptor, 0, SEEK_CUR);
    if (position < 0) return false;
    const long long start = position;
    const long long end = start + static_cast<long long>(count);
    return start < std::atoll(to) && end > std::atoll(from);
}

}  // namespace

extern "C" ssize_t read(int descriptor, void* buffer, size_t count) {
    if (faulty(descriptor, count)) {
        errno = EIO;
        return -1;
    }
    return realRead()(descriptor, buffer, count);
}
