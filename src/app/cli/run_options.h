#pragma once

#include <cstdint>
#include <optional>

// What the long options ask of the run, beside the switches' settings.
struct RunOptions {
    int threads = 0;         // --threads=N: the worker threads; 0: one per processor the process may use
    bool keepGoing = false;  // --keep-going: a clip that cannot be read ends itself, not the run
    bool archive = false;    // --archive: the movie keeps the clip's samples as stored
    bool verify = false;     // --verify: check archives against their checksums (and a clip)
};
