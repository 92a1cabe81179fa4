#include "components/movie_result.h"

extern "C" {
#include <libavutil/error.h>
}

#include "platform/path.h"

std::string MovieResult::reason() const {
    if (writeError != 0) return platform::errorText(writeError);
    if (libraryError != 0) {
        char text[AV_ERROR_MAX_STRING_SIZE] = {};
        av_strerror(libraryError, text, sizeof text);
        return text;
    }
    return {};
}

std::string MovieResult::describe() const {
    if (ok()) return {};
    return step.empty() ? reason() : step + ": " + reason();
}
