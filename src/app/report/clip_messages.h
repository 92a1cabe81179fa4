#pragma once

#include <cstdint>
#include <string>

#include "app/cli/argument_notes.h"
#include "app/run/clip_settings.h"
#include "imaging/bayer_crop.h"
#include "raw/black_calibration.h"
#include "raw/clip_reader.h"
#include "raw/clip_trailer.h"

class Console;

// The lines of our own about one clip, on standard error: the reason behind
// a failure, and warnings quoting the arguments as typed. A warning given
// for one clip is not repeated for the next.

// Why the reader could not open a clip or take it for one, on standard
// error; then says what the run does next.
void explainOpenFailure(Console& console, const ClipOpenFailure& failure, const RawClipTrailer& trailer,
                        const char* whatNext);

// A window that leaves nothing of the frame (the run then ends): the window
// as typed, and why nothing is left. message is the crop's own account, for
// a window that was not typed.
void reportEmptyWindow(Console& console, const ArgumentNotes& notes, const ClipSettings& settings,
                       int frameWidth, int frameHeight, const std::string& message);

// A typed window the picture is not taken from exactly as typed: the window
// used and why it differs.
void warnAboutWindowUsed(Console& console, const ArgumentNotes& notes, const CropGeometry& crop);

// A frame whose width is not a multiple of 16, taken without a window: the
// columns right of the crop are left out. Said for every such clip.
void warnAboutColumnsLeftOut(Console& console, const CropGeometry& crop, const std::string& clipPath);

// Samples the tone table never sees (12-bit or stored 16-bit): the grading
// switches and the black frame do not apply to the clip, or, for the black
// calibration clip, its frames add nothing to the black frame.
void warnAboutUngradedSamples(Console& console, const ArgumentNotes& notes, const RawClipTrailer& trailer,
                              const std::string& clipPath, bool calibrating, bool blackFrameGiven);

// An in point at or past the clip's end: nothing of the clip was converted.
void warnAboutInPointPastEnd(Console& console, const ArgumentNotes& notes, std::uint32_t inPoint,
                             const std::string& clipPath);

// A black calibration that cannot be a lens-cap recording: its average lies
// far above its clip's black level, or a pattern had no dark clip and all of
// its matches were summed.
void warnAboutBlackCalibration(Console& console, const ArgumentNotes& notes,
                               const std::string& calibrationPath, const BlackCalibrationSummary& summary,
                               std::int32_t blackLevel, bool patternWithoutDarkClip);

// A picture beyond the size limit; what is "picture" or "output picture".
void reportPictureBeyondLimit(Console& console, const char* what, int width, int height);
// A buffer the memory could not be had for; what is "frame", "picture" and so on.
void reportNoMemoryFor(Console& console, const char* what, int width, int height, std::uint64_t bytes);
