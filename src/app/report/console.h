#pragma once

#include <cstdarg>
#include <cstdint>
#include <set>
#include <string>

#include "app/report/progress_line.h"

// Everything a run shows the user, in the order it happens. Standard output
// carries the converter's own report (clip lines, progress marks, the echo of
// tags, "done"), and nothing else, so that a script reading it sees the same
// lines whatever went wrong; our own lines (warnings, the reasons behind
// failures, the status line) go to standard error.
//
// A frame handed to another thread for writing has a mark still to come.
// Whatever is said next waits for it: the console asks the pending work to
// show its result first, so the console reads as if each frame had been
// written before the next one was read. When that result is a failure that
// ends the run, the lines of the clip's reading that follow are not shown:
// they tell of frames that will not be written.
//
// Formats must be literals (the compiler checks them): the user's text goes
// in through %s only.
class Console {
public:
    // Work whose result is still to be shown.
    class Pending {
    public:
        // Shows the result through the console. True when it was a failure
        // that ends the run.
        virtual bool showResult() = 0;

    protected:
        ~Pending() = default;
    };

    // quietReport: the converter's report is not shown (--plan, whose
    // standard output is one JSON document).
    explicit Console(bool verbose, bool quietReport = false);
    Console(const Console&) = delete;
    Console& operator=(const Console&) = delete;

    // A whole document on standard output, shown however quiet the report is.
    void document(const std::string& text);
    // A line (or part of one) of the converter's report on standard output.
    void report(const char* format, ...) __attribute__((format(printf, 2, 3)));
    // The report's lines about reading a clip: the file entered, the skip to
    // a file, a frame that cannot be read. Not shown once an output failure
    // has ended the run.
    void reportReading(const char* format, ...) __attribute__((format(printf, 2, 3)));
    // A failure and its reason on standard error: "raw2tvx: <text>".
    void error(const char* format, ...) __attribute__((format(printf, 2, 3)));
    // A failure met while reading a clip, as reportReading() is shown.
    void readingError(const char* format, ...) __attribute__((format(printf, 2, 3)));
    // A line of ours that is neither a failure nor a warning: "raw2tvx: <text>".
    void inform(const char* format, ...) __attribute__((format(printf, 2, 3)));
    // Something the run does that the user probably did not mean:
    // "raw2tvx: warning: <text>".
    void warn(const char* format, ...) __attribute__((format(printf, 2, 3)));

    // True the first time a warning of this key is about to be given: clips
    // of a wildcard share most problems, and each is told once a run.
    bool firstTime(const std::string& warningKey) { return warningsGiven_.insert(warningKey).second; }

    // A line for a developer watching the process, on standard error.
    void debugLine(const char* text);

    // The progress mark of one frame delivered: "." or, with -v,
    // "export frame <counter>".
    void frameMark(std::uint64_t frameCounter);
    // The report's line about the processors, with -v.
    void processorLine(int processors);

    // Work on another thread whose result is shown before anything else is.
    void setPending(Pending* pending) { pending_ = pending; }
    // Shows the pending result, if any. True when it was a failure that ends
    // the run.
    bool showPending();

    // The status line of a person at a terminal.
    void startClipProgress(const std::string& clipName, std::uint64_t framesTotal);
    void frameDone() { progress_.frameDone(); }
    void endClipProgress() { progress_.endClip(); }

    bool verbose() const { return verbose_; }

private:
    // Every line goes through here: the pending result first, then, for our
    // own lines, the open line of marks is ended.
    enum class Line { Report, Reading, Error, ReadingError, Warning };
    void write(Line line, const char* format, std::va_list arguments) __attribute__((format(printf, 3, 0)));
    void writeReport(const std::string& text);

    bool verbose_;
    bool quietReport_;
    ProgressLine progress_;
    Pending* pending_ = nullptr;
    bool lineOpen_ = false;  // the last text on standard output did not end its line
    bool outputFailed_ = false;
    std::set<std::string> warningsGiven_;
};
