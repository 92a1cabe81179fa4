#include "app/outputs/dpx_writer_thread.h"

#include <exception>
#include <utility>

#include "files/dpx_sequence_exporter.h"

namespace {
constexpr std::size_t kWriterStackBytes = 256 * 1024;
}

DpxWriterThread::~DpxWriterThread() {
    if (pending_) collect();
    stop();
}

void DpxWriterThread::submit(DpxWriteRequest request) {
    request_ = std::move(request);
    pending_ = true;
    if (!thread_.running() && !thread_.start(threadEntry, this, kWriterStackBytes)) {
        write();
        return;
    }
    requestReady_.set();
}

DpxWriteResult DpxWriterThread::collect() {
    if (!pending_) return DpxWriteResult{true, {}, 0};
    if (thread_.running()) writeDone_.wait();
    pending_ = false;
    return std::move(result_);
}

void DpxWriterThread::stop() {
    if (!thread_.running()) return;
    quit_ = true;
    requestReady_.set();
    thread_.join();
    quit_ = false;
}

void DpxWriterThread::threadEntry(void* self) {
    static_cast<DpxWriterThread*>(self)->threadMain();
}

void DpxWriterThread::threadMain() {
    for (;;) {
        requestReady_.wait();
        if (quit_) return;
        write();
        writeDone_.set();
    }
}

void DpxWriterThread::write() {
    result_ = DpxWriteResult{};
    result_.frameCounter = request_.frameCounter;
    // An exception must not leave this thread: it would end the process
    // without the main thread's end-of-run steps.
    try {
        result_.written =
            WriteDPXFrame(request_.namePattern, request_.frameNumber, request_.picture, request_.width,
                          request_.height, static_cast<std::size_t>(request_.width) * 6, &result_.failure,
                          request_.timing ? &*request_.timing : nullptr);
    } catch (const std::exception&) {
        result_.written = false;
        result_.failure = "out of memory";
    }
}
