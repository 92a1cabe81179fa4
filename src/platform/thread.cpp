#include "platform/thread.h"

#include <pthread.h>

#include <climits>
#include <new>

namespace platform {

namespace {

struct StartRecord {
    Thread::Entry entry;
    void* argument;
};

void* runEntry(void* record) {
    const StartRecord start = *static_cast<StartRecord*>(record);
    delete static_cast<StartRecord*>(record);
    start.entry(start.argument);
    return nullptr;
}

}  // namespace

static_assert(sizeof(pthread_t) <= sizeof(unsigned long), "thread handle does not fit");

Thread::~Thread() { join(); }

bool Thread::start(Entry entry, void* argument, std::size_t stackBytes) {
    if (started_) return false;
    pthread_attr_t attributes;
    if (::pthread_attr_init(&attributes) != 0) return false;
    const auto smallestStack = static_cast<std::size_t>(PTHREAD_STACK_MIN);
    if (stackBytes < smallestStack) stackBytes = smallestStack;
    bool made = ::pthread_attr_setstacksize(&attributes, stackBytes) == 0;
    auto* record = new (std::nothrow) StartRecord{entry, argument};
    pthread_t thread{};
    if (made && record) made = ::pthread_create(&thread, &attributes, runEntry, record) == 0;
    ::pthread_attr_destroy(&attributes);
    if (!made || !record) {
        delete record;
        return false;
    }
    handle_ = static_cast<unsigned long>(thread);
    started_ = true;
    return true;
}

bool Thread::join() {
    if (!started_) return false;
    started_ = false;
    return ::pthread_join(static_cast<pthread_t>(handle_), nullptr) == 0;
}

}  // namespace platform
