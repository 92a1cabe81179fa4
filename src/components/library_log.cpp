#include "components/library_log.h"

#include <mutex>

extern "C" {
#include <libavutil/log.h>
}

void silenceLibraryLog() {
    static std::once_flag once;
    std::call_once(once, [] { av_log_set_level(AV_LOG_QUIET); });
}
