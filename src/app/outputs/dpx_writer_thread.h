#pragma once

#include <cstdint>
#include <optional>
#include <string>

#include "files/dpx_time_code.h"
#include "platform/event.h"
#include "platform/thread.h"

// One frame for the writer: the picture stays untouched by the main thread
// until the write has been collected.
struct DpxWriteRequest {
    std::string namePattern;
    std::int64_t frameNumber = 0;
    const std::uint16_t* picture = nullptr;  // width x height pixels of R, G, B, rows width * 6 bytes apart
    int width = 0;
    int height = 0;
    std::uint64_t frameCounter = 0;        // the run's frame counter for this frame, for the -v progress line
    std::optional<DPXFrameTiming> timing;  // the time code the header carries, if any
};

struct DpxWriteResult {
    bool written = false;
    std::string failure;  // WriteDPXFrame's message when not written
    std::uint64_t frameCounter = 0;
};

// Writes DPX frames on a thread of its own, one at a time, so that the main
// thread reads and demosaics the next frame meanwhile. Used from the main
// thread only: submit() a frame, collect() it before the next submit(). The
// thread is made on the first submit(); when it cannot be made, submit()
// writes the frame itself. Nothing is printed here.
class DpxWriterThread {
public:
    DpxWriterThread() = default;
    ~DpxWriterThread();
    DpxWriterThread(const DpxWriterThread&) = delete;
    DpxWriterThread& operator=(const DpxWriterThread&) = delete;

    // Hands a frame over. Only when no frame is pending.
    void submit(DpxWriteRequest request);
    // A frame was handed over and not yet collected.
    bool pending() const { return pending_; }
    // Waits for the pending frame to be written or to fail.
    DpxWriteResult collect();
    // Collects nothing: call after the pending frame, if any, was collected.
    // Ends and joins the thread; a later submit() makes a new one.
    void stop();

private:
    static void threadEntry(void* self);
    void threadMain();
    void write();

    platform::Thread thread_;
    platform::Event requestReady_;  // main -> writer: request_ or quit_ is set
    platform::Event writeDone_;     // writer -> main: result_ is set
    // Written by the main thread before requestReady_ is set, read by the
    // writer after it waited for it; result_ the other way round.
    DpxWriteRequest request_;
    DpxWriteResult result_;
    bool quit_ = false;
    bool pending_ = false;  // main thread only
};
