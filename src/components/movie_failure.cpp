#include "components/movie_failure.h"

extern "C" {
#include <libavutil/error.h>
}

#include "platform/path.h"

Status movieWriteFailure(int errorNumber, const std::string& step) {
    return Status::failure(ErrorCode::kWriteFailed, step + ": " + platform::errorText(errorNumber),
                           errorNumber);
}

Status movieLibraryFailure(int averror, const std::string& step) {
    char text[AV_ERROR_MAX_STRING_SIZE] = {};
    av_strerror(averror, text, sizeof text);
    return Status::failure(ErrorCode::kFailed, step + ": " + text);
}
