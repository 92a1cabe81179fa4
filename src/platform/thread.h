#pragma once

#include <cstddef>

namespace platform {

// A joinable thread with a stack of a given size. Not copyable; a thread still
// running when its object goes is joined first.
class Thread {
public:
    using Entry = void (*)(void* argument);

    Thread() = default;
    ~Thread();
    Thread(const Thread&) = delete;
    Thread& operator=(const Thread&) = delete;

    // Starts entry(argument) on a new thread. False when no thread could be
    // made (the object then holds none) or when it already holds one.
    bool start(Entry entry, void* argument, std::size_t stackBytes);

    // Waits for the thread to end and lets it go. False when there is no
    // thread or the wait failed.
    bool join();

    bool running() const { return started_; }

private:
    unsigned long handle_ = 0;
    bool started_ = false;
};

}  // namespace platform
