#pragma once

#include <mutex>
#include <string>
#include <vector>

namespace media_fakes {

// What the fakes did, in order, from any thread.
class EventLog {
public:
    void add(std::string event);
    std::vector<std::string> events() const;
    // The events that start with prefix, in order.
    std::vector<std::string> eventsStartingWith(const std::string& prefix) const;

private:
    mutable std::mutex lock_;
    std::vector<std::string> events_;
};

}  // namespace media_fakes
