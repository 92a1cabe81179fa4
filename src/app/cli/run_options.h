#pragma once

#include <cstdint>
#include <optional>

// What the long options ask of the run, beside the switches' settings.
struct RunOptions {
    int threads = 0;         // --threads=N: the threads at work; 0: one per processor the process may use
    bool keepGoing = false;  // --keep-going: a clip that cannot be read ends itself, not the run
    bool archive = false;    // --archive: the movie keeps the clip's samples as stored
    bool verify = false;     // --verify: check archives against their checksums (and a clip)
    bool plan = false;       // --plan: say what the run would do, as JSON, and convert nothing
    std::optional<std::uint64_t> clipIndex;   // --clip-index=K: convert the K-th clip (from 0) only
    std::optional<std::int64_t> firstNumber;  // --first-number=N: the number of the run's first frame
    bool skipExisting = false;                // --skip-existing: pass over a clip whose outputs are all there
    bool noClobber = false;                   // --no-clobber: refuse a run that would replace a file
    int widestSimd = -1;  // --simd=FORM: the widest vector form, as an index of platform::kSimdForms; -1: any
};
