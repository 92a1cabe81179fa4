#include "app/report/progress_line.h"

#include <algorithm>
#include <chrono>
#include <cstdio>

#include "platform/status_line.h"

namespace {

// A person reads a few updates a second; more only load the terminal.
constexpr double kSecondsBetweenDraws = 0.25;
// The earliest redraw when marks are about to reach the end of the line.
constexpr double kSecondsBetweenEarlyDraws = 0.05;

double steadySeconds() {
    return std::chrono::duration<double>(std::chrono::steady_clock::now().time_since_epoch()).count();
}

std::string decimals(double value, int places) {
    char text[64];
    std::snprintf(text, sizeof text, "%.*f", places, value);
    return text;
}

std::string number(std::uint64_t value) {
    return std::to_string(value);
}

double rate(const ClipProgress& progress) {
    return progress.seconds > 0 ? static_cast<double>(progress.framesDone) / progress.seconds : 0;
}

std::string clockTime(double seconds) {
    const auto whole = static_cast<long long>(seconds + 0.5);
    char text[32];
    std::snprintf(text, sizeof text, "%lld:%02lld:%02lld", whole / 3600, whole / 60 % 60, whole % 60);
    return text;
}

}  // namespace

std::string statusText(const ClipProgress& progress, int columns) {
    std::string tail = "  frame " + number(progress.framesDone) + " of " + number(progress.framesTotal);
    const double framesPerSecond = rate(progress);
    if (framesPerSecond > 0) {
        tail += "  " + decimals(framesPerSecond, 1) + " fps";
        const std::uint64_t left =
            progress.framesTotal > progress.framesDone ? progress.framesTotal - progress.framesDone : 0;
        tail += "  " + clockTime(static_cast<double>(left) / framesPerSecond) + " left";
    }
    // The status line must not wrap: a wrapped line cannot be rewritten in place.
    const std::size_t room = static_cast<std::size_t>(std::max(columns - 1, 1));
    std::string name = progress.clipName;
    if (name.size() + tail.size() > room) name.resize(room > tail.size() ? room - tail.size() : 0);
    std::string text = name + tail;
    if (text.size() > room) text.resize(room);
    return text;
}

std::string summaryText(const ClipProgress& progress) {
    std::string text = progress.clipName + ": " + number(progress.framesDone) +
                       (progress.framesDone == 1 ? " frame" : " frames") + " in " +
                       decimals(progress.seconds, 2) + " s";
    const double framesPerSecond = rate(progress);
    if (framesPerSecond > 0) text += ", " + decimals(framesPerSecond, 1) + " fps";
    return text;
}

ProgressLine::ProgressLine(bool enabled, bool live, bool marksShareLine, int columns, Clock clock)
    : enabled_(enabled), live_(live), marksShareLine_(marksShareLine), columns_(columns), clock_(clock) {}

void ProgressLine::startClip(const std::string& clipName, std::uint64_t framesTotal) {
    if (!enabled_) return;
    progress_ = ClipProgress{clipName, 0, framesTotal, 0};
    clipOpen_ = true;
    clipStart_ = clock_();
    drawn_ = false;
    framesSinceDraw_ = 0;
}

void ProgressLine::frameDone() {
    if (!enabled_ || !clipOpen_) return;
    ++progress_.framesDone;
    ++framesSinceDraw_;
    if (!live_) return;
    const double now = clock_();
    const double sinceDraw = now - lastDraw_;
    bool due = !drawn_ || sinceDraw >= kSecondsBetweenDraws;
    // Marks printed after the status text must not reach the end of the line.
    if (!due && marksShareLine_ && sinceDraw >= kSecondsBetweenEarlyDraws)
        due = drawnLength_ + framesSinceDraw_ + 2 >= static_cast<std::size_t>(columns_);
    if (due) draw(now);
}

void ProgressLine::draw(double now) {
    progress_.seconds = now - clipStart_;
    const std::string text = statusText(progress_, columns_);
    platform::showStatusLine(text);
    drawn_ = true;
    drawnLength_ = text.size();
    lastDraw_ = now;
    framesSinceDraw_ = 0;
}

void ProgressLine::endClip() {
    if (!enabled_ || !clipOpen_) return;
    clipOpen_ = false;
    progress_.seconds = clock_() - clipStart_;
    platform::writeLineOverStatus(summaryText(progress_));
}

ProgressLine makeProgressLine(bool verbose) {
    const platform::StatusTerminal terminal = platform::statusTerminal();
    // -v prints a whole line per frame: on the same terminal those lines would run into the status line.
    const bool live = !(terminal.sharesOutput && verbose);
    return ProgressLine(terminal.available, live, terminal.sharesOutput, terminal.columns, steadySeconds);
}
