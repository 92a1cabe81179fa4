#pragma once

namespace platform {

// The number of processors this process may run on: the CPUs of its
// affinity mask (a task given one CPU by taskset or a cluster scheduler
// counts one), or those the system has online when the mask cannot be read;
// at least 1. After limitProcessors(n), n instead.
int processorCount();

// Makes processorCount() answer n (n >= 1) from now on, for every part of
// the program that sizes its threads by it.
void limitProcessors(int n);

}  // namespace platform
