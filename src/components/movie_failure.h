#pragma once

#include <string>

#include "platform/status.h"

// How a step of writing a movie fails. A write failure (disk full, file size
// limit, a directory that takes no new file) is ErrorCode::kWriteFailed with
// the errno, so the caller can tell it from any other failure and name the
// reason; any other failure of the libraries is ErrorCode::kFailed. The
// message is the step and the system's or the library's text for the error:
// "writing the trailer: No space left on device".
Status movieWriteFailure(int errorNumber, const std::string& step);
Status movieLibraryFailure(int averror, const std::string& step);
