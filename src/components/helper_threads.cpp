#include "components/helper_threads.h"

#include <exception>

HelperThreads::~HelperThreads() {
    {
        const std::lock_guard<std::mutex> lock(mutex_);
        stopping_ = true;
    }
    jobGiven_.notify_all();
    for (std::thread& thread : threads_) thread.join();
}

int HelperThreads::start(int count) {
    while (static_cast<int>(threads_.size()) < count) {
        const int helper = static_cast<int>(threads_.size());
        try {
            threads_.emplace_back([this, helper] { helperMain(helper); });
        } catch (const std::exception&) {  // no thread, or no memory for one more
            break;
        }
    }
    return this->count();
}

bool HelperThreads::run(int parts, Work work, void* argument) {
    if (parts < 1 || parts > count() + 1) return false;
    if (parts > 1) {
        {
            const std::lock_guard<std::mutex> lock(mutex_);
            ++job_;
            parts_ = parts;
            partsLeft_ = parts - 1;
            work_ = work;
            argument_ = argument;
        }
        jobGiven_.notify_all();
    }
    work(0, argument);
    if (parts > 1) {
        std::unique_lock<std::mutex> lock(mutex_);
        partsDone_.wait(lock, [this] { return partsLeft_ == 0; });
    }
    return true;
}

// Helper h takes part h + 1 of every job that has one.
void HelperThreads::helperMain(int helper) {
    std::uint64_t seen = 0;
    std::unique_lock<std::mutex> lock(mutex_);
    for (;;) {
        jobGiven_.wait(lock, [&] { return stopping_ || job_ != seen; });
        if (stopping_) return;
        seen = job_;
        if (helper + 1 >= parts_) continue;
        const Work work = work_;
        void* const argument = argument_;
        lock.unlock();
        work(helper + 1, argument);
        lock.lock();
        if (--partsLeft_ == 0) partsDone_.notify_one();
    }
}
