#include "support/media_fakes/event_log.h"

#include <utility>

namespace media_fakes {

void EventLog::add(std::string event) {
    std::lock_guard hold(lock_);
    events_.push_back(std::move(event));
}

std::vector<std::string> EventLog::events() const {
    std::lock_guard hold(lock_);
    return events_;
}

std::vector<std::string> EventLog::eventsStartingWith(const std::string& prefix) const {
    std::lock_guard hold(lock_);
    std::vector<std::string> matching;
    for (const std::string& event : events_) {
        if (event.compare(0, prefix.size(), prefix) == 0) matching.push_back(event);
    }
    return matching;
}

}  // namespace media_fakes
