#pragma once

#include <cstdint>
#include <string>

// The status line of a run for a person at a terminal: the clip, frame n of
// N, frames per second and the time left, rewritten at most four times a
// second, and one summary line after each clip. It goes to standard error and
// only when that is a terminal (platform/status_line.h); standard output
// keeps its marks and lines unchanged.

struct ClipProgress {
    std::string clipName;
    std::uint64_t framesDone = 0;
    std::uint64_t framesTotal = 0;
    double seconds = 0;  // since the clip's frame loop began
};

// "NAME  frame n of N  R fps  h:mm:ss left", the name cut so that the whole
// fits in columns - 1 characters; the rate and time left once a frame is done.
std::string statusText(const ClipProgress& progress, int columns);
// "NAME: n frames in S s, R fps".
std::string summaryText(const ClipProgress& progress);

class ProgressLine {
public:
    using Clock = double (*)();  // seconds from any fixed point

    // Nothing is drawn unless enabled; live updates only when live (a summary
    // still follows each clip). marksShareLine: the output prints a mark per
    // frame on the terminal the status line is on, after the status text, so
    // the line is drawn again before those marks would reach its end.
    ProgressLine(bool enabled, bool live, bool marksShareLine, int columns, Clock clock);

    void startClip(const std::string& clipName, std::uint64_t framesTotal);
    void frameDone();
    // The summary line of the clip started last, if one was started.
    void endClip();

private:
    void draw(double now);

    bool enabled_;
    bool live_;
    bool marksShareLine_;
    int columns_;
    Clock clock_;
    bool clipOpen_ = false;
    ClipProgress progress_;
    double clipStart_ = 0;
    double lastDraw_ = 0;
    bool drawn_ = false;
    std::size_t drawnLength_ = 0;
    std::uint64_t framesSinceDraw_ = 0;
};

// A progress line for standard error as it is: off unless it is a terminal,
// and without live updates when -v lines share that terminal.
ProgressLine makeProgressLine(bool verbose);
