#pragma once

#include <string>

// A line on standard error that tells a person at a terminal how a run is
// getting on and rewrites itself in place. Standard output is never touched:
// scripts reading it see the same bytes with or without it. Our other lines
// on standard error (diagnostics.h) clear it first, so that they start at the
// left of an empty line; the next update draws it again.
namespace platform {

struct StatusTerminal {
    bool available = false;     // standard error is a terminal
    bool sharesOutput = false;  // standard output goes to that same terminal
    int columns = 80;           // its width
};

// What standard error is, asked of the system on every call.
StatusTerminal statusTerminal();

// Draws text as the status line in place of the one drawn before ("\r",
// the text, erase to the end of the line), with no line feed.
void showStatusLine(const std::string& text);
// Erases the status line, if one is drawn, leaving the cursor at the left.
void clearStatusLine();
// True while a status line is drawn.
bool statusLineShown();
// Writes text as a line of its own where the status line is, ending the
// status line: it stays when the next status line is drawn.
void writeLineOverStatus(const std::string& text);

}  // namespace platform
