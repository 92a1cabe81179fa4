#pragma once

#include <cassert>
#include <string>
#include <utility>
#include <variant>

// How an operation outside the media framework ends: success, or a failure
// with what kind of failure it is, the system's errno where there is one,
// and a message that names what was being done ("cannot open A001.RAW").
// Only the program's top layer turns a failure into words for the user and
// an exit code; the layers below hand it up unchanged or with more context.

enum class ErrorCode {
    kNone = 0,
    kBadInput,     // the data or the request cannot be used: a malformed file, a size out of range
    kNotFound,     // a file or an entry that is not there
    kReadFailed,   // the system could not read or seek
    kWriteFailed,  // the system could not create, write, flush or rename (disk full, file size limit)
    kNoMemory,
    kUnsupported,  // well formed, but beyond what the program handles
    kFailed,       // any other failure, a library's among them
};

class Status {
public:
    Status() = default;  // success

    static Status failure(ErrorCode code, std::string message, int systemError = 0) {
        assert(code != ErrorCode::kNone);
        Status status;
        status.code_ = code;
        status.systemError_ = systemError;
        status.message_ = std::move(message);
        return status;
    }

    bool ok() const { return code_ == ErrorCode::kNone; }
    ErrorCode code() const { return code_; }
    int systemError() const { return systemError_; }  // errno; 0 when the system reported none
    const std::string& message() const { return message_; }

    // The same failure with context before its message: "writing a.dpx: " + message.
    Status within(const std::string& context) const {
        Status status = *this;
        if (!ok()) status.message_ = context + ": " + message_;
        return status;
    }

private:
    ErrorCode code_ = ErrorCode::kNone;
    int systemError_ = 0;
    std::string message_;
};

// A value, or the failure that kept it from being made.
template <typename T>
class Result {
public:
    Result(T value) : state_(std::move(value)) {}  // NOLINT: a value converts to its result
    Result(Status failure) : state_(std::move(failure)) {  // NOLINT: so does a failure
        assert(!std::get<Status>(state_).ok());
    }

    bool ok() const { return std::holds_alternative<T>(state_); }
    const T& value() const& { return std::get<T>(state_); }
    T& value() & { return std::get<T>(state_); }
    T&& value() && { return std::get<T>(std::move(state_)); }
    const T* operator->() const { return &value(); }
    T* operator->() { return &value(); }

    // Success when there is a value.
    Status status() const { return ok() ? Status{} : std::get<Status>(state_); }

private:
    std::variant<T, Status> state_;
};
