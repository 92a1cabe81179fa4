#pragma once

#include <condition_variable>
#include <cstdint>
#include <mutex>
#include <thread>
#include <vector>

// Threads that take parts of one job while the thread that gives it takes the
// first: run(parts, work) calls work(part) for every part from 0 to parts - 1,
// part 0 on the caller, and returns once all are done. The threads wait
// between jobs and end with the object.
//
// One thread gives jobs at a time. A work function must not throw.
class HelperThreads {
public:
    using Work = void (*)(int part, void* argument);

    HelperThreads() = default;
    ~HelperThreads();
    HelperThreads(const HelperThreads&) = delete;
    HelperThreads& operator=(const HelperThreads&) = delete;

    // Starts up to `count` threads (fewer when the system makes no more); the
    // number running after it.
    int start(int count);
    int count() const { return static_cast<int>(threads_.size()); }

    // At most count() + 1 parts; more are refused (false) before any runs.
    bool run(int parts, Work work, void* argument);

private:
    void helperMain(int helper);

    std::vector<std::thread> threads_;
    std::mutex mutex_;
    std::condition_variable jobGiven_;
    std::condition_variable partsDone_;
    std::uint64_t job_ = 0;  // counts the jobs given
    int parts_ = 0;
    int partsLeft_ = 0;  // of the helpers' parts of the job
    Work work_ = nullptr;
    void* argument_ = nullptr;
    bool stopping_ = false;
};
