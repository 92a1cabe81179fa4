#pragma once

#include <mutex>

// The lock of a filter's state or of a pin's connection. Recursive, because a
// filter's state change asks its pins (which may take the same lock) and a
// filter may deliver while holding its own lock.
using CritSec = std::recursive_mutex;
using AutoLock = std::lock_guard<CritSec>;
