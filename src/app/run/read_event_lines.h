#pragma once

#include <string>
#include <vector>

#include "raw/clip_reader.h"

class Console;

// The report's lines about the files a clip's reading goes on into, kept
// until the frame loop shows them: a frame read ahead while the one before
// it is still being made must not be reported before that frame's mark.
class ReadEventLines final : public ClipReadObserver {
public:
    void enteredFile(const std::string& path) override { lines_.push_back("\n" + path + "\n"); }
    void skippedInto(const std::string& path) override { lines_.push_back("\nskip to " + path + "\n"); }

    // Shows the lines kept so far.
    void show(Console& console);
    // Forgets them: the run ended before the frames they lead to.
    void clear() { lines_.clear(); }

private:
    std::vector<std::string> lines_;
};
