#include "platform/event.h"

namespace platform {

void Event::set() {
    {
        const std::lock_guard<std::mutex> lock(mutex_);
        signalled_ = true;
    }
    signal_.notify_one();
}

void Event::reset() {
    const std::lock_guard<std::mutex> lock(mutex_);
    signalled_ = false;
}

void Event::wait() {
    std::unique_lock<std::mutex> lock(mutex_);
    signal_.wait(lock, [this] { return signalled_; });
    signalled_ = false;
}

}  // namespace platform
