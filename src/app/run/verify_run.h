#pragma once

#include "app/cli/command_line.h"
#include "app/report/console.h"

// --verify ARCHIVE [CLIP]: decodes every frame of each archive the argument
// names (a wildcard names a shelf of them) and checks it against the index
// and checksum it carries, and, with a clip, every sample against the clip's.
// One line a archive on standard output: the frames checked and what was
// found. Exit code 0 when everything matches, kVerifyMismatch when a frame
// differs or is missing, kClipUnusable when an archive (or the clip) cannot
// be read; the worst of them for a shelf.
int runVerify(const CommandLine& commandLine, Console& console);
