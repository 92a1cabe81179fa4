#pragma once

#include <cstdint>
#include <string>
#include <vector>

// What a run has done with its clips, for the summary at its end.
struct RunTally {
    std::uint64_t clipsConverted = 0;
    std::uint64_t clipsPassedOver = 0;     // --skip-existing: their outputs were there
    std::vector<std::string> failedClips;  // the clips that could not be converted, in order
    std::uint64_t framesWritten = 0;
    // With --keep-going: the exit code the run ends with, the worst of the
    // failed clips' (as a shell sees it, 255 for -1 above 6).
    int clipFailureExit = 0;
    bool stoppedAtFailure = false;  // a failed clip ended the run before its last clip

    void recordFailure(const std::string& clip, int exitCode) {
        failedClips.push_back(clip);
        if ((exitCode & 0xFF) > (clipFailureExit & 0xFF)) clipFailureExit = exitCode;
    }
    std::uint64_t clipsTried() const { return clipsConverted + clipsPassedOver + failedClips.size(); }
};

// "3 clips converted, 2 failed (a.RAW, b.RAW); 57 frames written", with
// "; the run stopped at the failed clip" when it did.
std::string runSummaryText(const RunTally& tally);
