#pragma once

#include <condition_variable>
#include <mutex>

namespace platform {

// An auto-reset event: set() lets exactly one wait() through (the one waiting
// now or the next to come) and the event is then non-signalled again.
// Created non-signalled.
class Event {
public:
    Event() = default;
    Event(const Event&) = delete;
    Event& operator=(const Event&) = delete;

    void set();
    void reset();
    void wait();

private:
    std::mutex mutex_;
    std::condition_variable signal_;
    bool signalled_ = false;
};

}  // namespace platform
