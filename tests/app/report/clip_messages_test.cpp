#include "app/report/clip_messages.h"

#include <gtest/gtest.h>

#include <cerrno>
#include <string>

#include "app/report/console.h"

namespace {

// The window switch as typed, noted the way the argument check notes it.
ArgumentNotes windowNotes(const std::string& argument, bool complete, std::array<std::int32_t, 4> typed) {
    ArgumentNotes notes;
    notes.windowArgument = argument;
    notes.windowComplete = complete;
    notes.windowTyped = typed;
    return notes;
}

CropGeometry crop(int frameWidth, int frameHeight, int left, int top, int width, int height) {
    return CropGeometry{frameWidth, frameHeight, left, top, width, height};
}

// One console for the test: what it said once it does not say again.
std::string warningsOf(Console& console, const ArgumentNotes& notes, const CropGeometry& geometry) {
    testing::internal::CaptureStderr();
    warnAboutWindowUsed(console, notes, geometry);
    return testing::internal::GetCapturedStderr();
}

}  // namespace

TEST(ClipMessages, AWindowUsedAsTypedSaysNothing) {
    Console console(false);
    ArgumentNotes notes = windowNotes("-(32,16,96,48)", true, {32, 16, 96, 48});
    EXPECT_EQ("", warningsOf(console, notes, crop(1920, 1080, 32, 16, 64, 32)));
    ArgumentNotes none;
    EXPECT_EQ("", warningsOf(console, none, crop(1928, 1080, 0, 0, 1920, 1080)));
}

// The window used is the crop's rectangle in the frame; the reasons follow
// from comparing it with the window typed and the window the rules make.
TEST(ClipMessages, AWindowTheRulesChangeSaysTheWindowUsedAndWhy) {
    Console console(false);
    ArgumentNotes odd = windowNotes("-(101,51,300,200)", true, {101, 51, 300, 200});
    // 102 + 208 = 310; the height 148 stays.
    EXPECT_EQ(
        "raw2tvx: warning: -(101,51,300,200): the picture is taken from the window (102,52,310,200) of the "
        "1920x1080 frame: a window starts on an even column and row, and is a multiple of 16 wide and an "
        "even "
        "number of rows high\n",
        warningsOf(console, odd, crop(1920, 1080, 102, 52, 208, 148)));
    // The same problem in the next clip of the run is not said again.
    EXPECT_EQ("", warningsOf(console, odd, crop(1920, 1080, 102, 52, 208, 148)));

    ArgumentNotes wide = windowNotes("-(0,0,4000,3000)", true, {0, 0, 4000, 3000});
    // 4000 is a multiple of 16 and 3000 even: only the frame cuts it.
    EXPECT_EQ(
        "raw2tvx: warning: -(0,0,4000,3000): the picture is taken from the window (0,0,1920,1080) of the "
        "1928x1080 frame: only the part inside the frame is used, a multiple of 16 wide\n",
        warningsOf(console, wide, crop(1928, 1080, 0, 0, 1920, 1080)));

    ArgumentNotes partial = windowNotes("-(0,0,100)", false, {0, 0, 100, 0});
    EXPECT_EQ(
        "raw2tvx: warning: -(0,0,100): the picture is taken from the window (0,0,64,32) of the 64x32 frame: "
        "it "
        "is not four integers x1,y1,x2,y2\n",
        warningsOf(console, partial, crop(64, 32, 0, 0, 64, 32)));

    ArgumentNotes backwards = windowNotes("-(10,10,0,0)", true, {10, 10, 0, 0});
    EXPECT_EQ(
        "raw2tvx: warning: -(10,10,0,0): the picture is taken from the window (0,0,64,32) of the 64x32 "
        "frame: it "
        "does not end right of and below where it starts\n",
        warningsOf(console, backwards, crop(64, 32, 0, 0, 64, 32)));
}

TEST(ClipMessages, AWindowThatLeavesNothingQuotesTheWindowAsTyped) {
    Console console(false);
    ClipSettings settings;
    // -(1910,0,1920,1080) as the switch leaves it: 10 wide rounded up to 16.
    settings.windowLeft = 1910;
    settings.windowTop = 0;
    settings.windowRight = 1926;
    settings.windowBottom = 1080;
    const ArgumentNotes notes = windowNotes("-(1910,0,1920,1080)", true, {1910, 0, 1920, 1080});
    testing::internal::CaptureStderr();
    reportEmptyWindow(console, notes, settings, 1920, 1080, "unused");
    settings.windowLeft = 1920;
    settings.windowRight = 1936;
    reportEmptyWindow(console, windowNotes("-(1920,0,1930,1080)", true, {1920, 0, 1930, 1080}), settings,
                      1920, 1080, "unused");
    settings.windowLeft = 0;
    settings.windowRight = 16;
    settings.windowTop = 1080;
    settings.windowBottom = 1082;
    reportEmptyWindow(console, windowNotes("-(0,1080,16,1082)", true, {0, 1080, 16, 1082}), settings, 1920,
                      1080, "unused");
    // Without a typed window the crop's own account is given.
    reportEmptyWindow(console, ArgumentNotes{}, settings, 1920, 1080,
                      "window (0,1080,16,1082) leaves nothing");
    EXPECT_EQ(
        "raw2tvx: -(1910,0,1920,1080): the window leaves nothing of the 1920x1080 frame: a window is at "
        "least 16 "
        "wide, and only 10 columns of the frame lie right of x1 = 1910\n"
        "raw2tvx: -(1920,0,1930,1080): the window leaves nothing of the 1920x1080 frame: x1 = 1920 lies "
        "right of "
        "the frame\n"
        "raw2tvx: -(0,1080,16,1082): the window leaves nothing of the 1920x1080 frame: y1 = 1080 lies below "
        "the "
        "frame\n"
        "raw2tvx: window (0,1080,16,1082) leaves nothing\n",
        testing::internal::GetCapturedStderr());
}

TEST(ClipMessages, OpenFailuresNameTheFileAndTheReason) {
    Console console(false);
    RawClipTrailer trailer;
    trailer.version = 2;
    trailer.width = 1283;
    const char* stops = "the run stops here";
    testing::internal::CaptureStderr();
    explainOpenFailure(console, ClipOpenFailure{ClipOpenProblem::CannotOpen, "M001.RAW", ENOENT, "", {}, {}},
                       trailer, stops);
    explainOpenFailure(console,
                       ClipOpenFailure{ClipOpenProblem::CannotOpen, "M001.R00", ENOENT, "M001.RAW", {}, {}},
                       trailer, stops);
    explainOpenFailure(console,
                       ClipOpenFailure{ClipOpenProblem::CannotOpen, "M001.R03", EACCES, "M001.R02", {}, {}},
                       trailer, "going on with the next clip");
    // A trailer of another version, and one whose sizes describe no clip:
    // the field, its value and what it must be.
    explainOpenFailure(console, ClipOpenFailure{ClipOpenProblem::WrongVersion, "V.RAW", 0, "", {}, {}}, trailer,
                       stops);
    explainOpenFailure(console,
                       ClipOpenFailure{ClipOpenProblem::UnreadableTrailer, "W.RAW", 0, "",
                                       TrailerProblem{TrailerField::FrameWidth,
                                                      "packing 14 needs a width that is a "
                                                      "multiple of 8"},
                                       {}},
                       trailer, stops);
    EXPECT_EQ(
        "raw2tvx: cannot open M001.RAW: No such file or directory; the run stops here\n"
        "raw2tvx: no RAW trailer at the end of M001.RAW, and M001.R00 cannot be opened: No such file or "
        "directory; the run stops here\n"
        "raw2tvx: no RAW trailer at the end of the clip's .RAW file or of its continuations up to M001.R02, "
        "and M001.R03 cannot be opened: Permission denied; going on with the next clip\n"
        "raw2tvx: V.RAW: the trailer is version 2 (offset 32); only version 1 can be read; the run stops "
        "here\n"
        "raw2tvx: W.RAW: unreadable clip trailer: frame width (offset 4) is 1283, but packing 14 needs a "
        "width "
        "that is a multiple of 8; the run stops here\n",
        testing::internal::GetCapturedStderr());
}

TEST(ClipMessages, SamplesWithoutToneTableNameTheSwitchesThatDoNotApply) {
    RawClipTrailer twelve;
    twelve.width = 64;
    twelve.height = 32;
    twelve.packing = kPacking12;
    twelve.frameBytes = 64 * 32 * 10 / 8;
    RawClipTrailer stored = twelve;
    stored.packing = kPacking14;
    stored.frameBytes = 64 * 32 * 2;
    RawClipTrailer packed = stored;
    packed.frameBytes = 64 * 32 * 14 / 8;

    ArgumentNotes notes;
    notes.gradingArguments = {"-g2.2", "-bl100"};
    notes.calibrationArgument = "-bcCAP.RAW";
    Console console(false);
    testing::internal::CaptureStderr();
    warnAboutUngradedSamples(console, notes, packed, "A.RAW", false, true);
    warnAboutUngradedSamples(console, notes, twelve, "T.RAW", false, true);
    warnAboutUngradedSamples(console, notes, twelve, "T.RAW", false, true);
    warnAboutUngradedSamples(console, notes, stored, "S.RAW", false, false);
    warnAboutUngradedSamples(console, notes, twelve, "CAP.RAW", true, false);
    ArgumentNotes ungraded;
    warnAboutUngradedSamples(console, ungraded, twelve, "T.RAW", false, false);
    EXPECT_EQ(
        "raw2tvx: warning: -g2.2 -bl100 -bcCAP.RAW: not applied to T.RAW, which is a 12-bit clip: its "
        "samples go "
        "out without tone curve, levels or black frame\n"
        "raw2tvx: warning: -g2.2 -bl100: not applied to S.RAW, which holds stored 16-bit samples: its "
        "samples go "
        "out without tone curve, levels or black frame\n"
        "raw2tvx: warning: -bcCAP.RAW: CAP.RAW is a 12-bit clip, whose frames add nothing to the black "
        "frame\n",
        testing::internal::GetCapturedStderr());
}

TEST(ClipMessages, ACalibrationFarAboveItsBlackLevelIsNamed) {
    ArgumentNotes notes;
    notes.calibrationArgument = "-bcX.RAW";
    Console console(false);
    testing::internal::CaptureStderr();
    warnAboutBlackCalibration(console, notes, "X.RAW", BlackCalibrationSummary{500, 530, 711}, 512, false);
    warnAboutBlackCalibration(console, notes, "X.RAW", BlackCalibrationSummary{500, 9000, 712}, 512, false);
    warnAboutBlackCalibration(console, notes, "cal/*.RAW", BlackCalibrationSummary{0, 9000, 600}, 512, true);
    EXPECT_EQ(
        "raw2tvx: warning: -bcX.RAW: X.RAW does not look recorded with the lens cap on: its average is 712, "
        "200 "
        "above its black level 512; it is used as the black frame all the same\n"
        "raw2tvx: warning: -bcX.RAW: no clip matching cal/*.RAW looks recorded with the lens cap on, so the "
        "frames "
        "of all its matches were summed into the black frame: their average is 600, 88 above the black level "
        "512\n",
        testing::internal::GetCapturedStderr());
}
