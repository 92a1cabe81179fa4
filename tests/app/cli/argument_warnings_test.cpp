#include "app/cli/argument_warnings.h"

#include <gtest/gtest.h>

#include <array>
#include <cstdint>
#include <string>
#include <vector>

#include "app/cli/command_line.h"
#include "app/report/console.h"

namespace {

struct Checked {
    ArgumentNotes notes;
    std::vector<std::string> warnings;  // one per line, without the "raw2tvx: warning: " in front
    std::string other;                  // anything else written to standard error
};

// Reads the arguments as the program does, then warns about them.
Checked check(const std::vector<std::string>& arguments) {
    std::vector<const char*> argv{"raw2tvx"};
    for (const std::string& argument : arguments) argv.push_back(argument.c_str());
    const CommandLine commandLine = readCommandLine(static_cast<int>(argv.size()), argv.data());

    Checked checked;
    Console console(false);
    testing::internal::CaptureStderr();
    warnAboutArguments(commandLine, console);
    checked.notes = argumentNotesOf(commandLine.arguments);
    const std::string printed = testing::internal::GetCapturedStderr();
    const std::string prefix = "raw2tvx: warning: ";
    std::size_t start = 0;
    for (std::size_t end = printed.find('\n'); end != std::string::npos; end = printed.find('\n', start)) {
        const std::string line = printed.substr(start, end - start);
        if (line.compare(0, prefix.size(), prefix) == 0)
            checked.warnings.push_back(line.substr(prefix.size()));
        else
            checked.other += line + "\n";
        start = end + 1;
    }
    checked.other += printed.substr(start);
    return checked;
}

using Lines = std::vector<std::string>;

}  // namespace

// Well-formed arguments say nothing.
TEST(ArgumentWarnings, CorrectArgumentsGiveNoWarning) {
    for (const std::vector<std::string>& arguments :
         {std::vector<std::string>{"A001.RAW", "out.dpx"},
          {"A001.RAW", "f_%05d.dpx", "-444",   "-bl512", "-wl15000",     "-bo8",  "-l400",      "-g2.2",
           "-c",       "-cb90",      "-cw700", "-d0",    "-d4",          "-i3",   "-o-1",       "-o10",
           "-s1",      "-w1280",     "-h720",  "-v",     "-(0,0,64,32)", "-bl-1", "-bcCAP.RAW", "-C"},
          {"A001.RAW", "out.mov", "-q1", "-q5", "-f23.976", "-y", "-422", "+TIMB=24", ":a=b"}}) {
        const Checked checked = check(arguments);
        EXPECT_EQ(Lines{}, checked.warnings) << arguments.back();
        EXPECT_EQ("", checked.other);
    }
}

TEST(ArgumentWarnings, IntegerValuesWithoutANumberOrWithTextAfterIt) {
    EXPECT_EQ((Lines{"-blabc: \"abc\" is not a number; black level 0 is used",
                     "-wl: no number given; white level 0 is used",
                     "-bo8x: \"x\" after the number is ignored; black calibration offset 8 is used",
                     "-cb: no number given; Cineon black 0 is used",
                     "-cw6 85: \" 85\" after the number is ignored; Cineon white 6 is used",
                     "-dx: \"x\" is not a number; the plain demosaic (debayer type 0) is used",
                     "-h: no number given; the crop height is used",
                     "-w1280x720: \"x720\" after the number is ignored; output width 1280 is used",
                     "-i: no number given; in point 0 is used",
                     "-o: no number given; out point 0 (one frame of each clip) is used",
                     "-s2nd: \"nd\" after the number is ignored; skipping 2 frames after each one is used",
                     "-o-5x: \"x\" after the number is ignored; no out point is used"}),
              check({"-blabc", "-wl", "-bo8x", "-cb", "-cw6 85", "-dx", "-h", "-w1280x720", "-i", "-o",
                     "-s2nd", "-o-5x", "A001.RAW", "out.dpx"})
                  .warnings);
    // A negative in point reads as a large one.
    EXPECT_EQ((Lines{"-i-2x: \"x\" after the number is ignored; in point 4294967294 is used"}),
              check({"-i-2x", "A001.RAW", "out.dpx"}).warnings);
}

// -l and -g share one value: one that cannot be read keeps the one before.
TEST(ArgumentWarnings, CurveValuesThatCannotBeReadKeepTheValueBefore) {
    EXPECT_EQ((Lines{"-gamma2.2: \"amma2.2\" is not a number; gamma 113 is used"}),
              check({"-gamma2.2", "A001.RAW", "out.dpx"}).warnings);
    EXPECT_EQ((Lines{"-g: no number given; gamma 400 is used",
                     "-lx: \"x\" is not a number; log power 400 is used"}),
              check({"-l400", "-g", "-lx", "A001.RAW", "out.dpx"}).warnings);
    EXPECT_EQ((Lines{"-g2.2.1: \".1\" after the number is ignored; gamma 2.2 is used"}),
              check({"-g2.2.1", "A001.RAW", "out.dpx"}).warnings);
}

TEST(ArgumentWarnings, ValuesOutsideTheHelpRanges) {
    EXPECT_EQ(
        (Lines{"-bl70000: 70000 is outside the levels 0 to 65535; it is used as given",
               "-wl-2: -2 is outside the levels 0 to 65535; it is used as given",
               "-d5: debayer type 5 is outside 1 to 4; the plain demosaic (as -d0) is used",
               "-d-1: debayer type -1 is outside 1 to 4; the plain demosaic (as -d0) is used",
               "-s-3: a negative count skips nothing",
               "-q0: quality 0 is outside 1 to 5; it is passed to the encoder as given",
               "-f0: a frame rate must be above 0; frame rate 0 (0/1) for every clip is used as given"}),
        check({"-bl70000", "-wl-2", "-d5", "-d-1", "-s-3", "-q0", "-f0", "A001.RAW", "out.avi"}).warnings);
    EXPECT_EQ((Lines{"-fabc: \"abc\" is not a number; frame rate 24 (24/1) for every clip is used"}),
              check({"-fabc", "A001.RAW", "out.mov"}).warnings);
    EXPECT_EQ(
        (Lines{"-f25x: \"x\" after the number is ignored; frame rate 25 (25/1) for every clip is used"}),
        check({"-f25x", "A001.RAW", "out.mov"}).warnings);
    // The last Cineon points in force, against each other.
    EXPECT_EQ(
        (Lines{"-cw90: the Cineon black 95 is not below the white 90; the curve is made from them as given"}),
        check({"-cw90", "A001.RAW", "out.dpx"}).warnings);
    EXPECT_EQ(Lines{}, check({"-cw90", "-l100", "A001.RAW", "out.dpx"}).warnings);
    // An out point not after the in point; a negative in point is left to the clips.
    EXPECT_EQ(
        (Lines{"-o3: the out point is not after the in point 5; one frame, frame 5, is converted from each "
               "clip"}),
        check({"-i5", "-o3", "A001.RAW", "out.dpx"}).warnings);
    EXPECT_EQ(Lines{}, check({"-i-5", "-o3", "A001.RAW", "out.dpx"}).warnings);
}

TEST(ArgumentWarnings, UnknownSwitchesAndTextAfterSwitchesWithoutValue) {
    EXPECT_EQ(
        (Lines{"-: unknown switch, ignored", "-x: unknown switch, ignored", "-4x: unknown switch, ignored",
               "-b: unknown switch, ignored", "-bx1: unknown switch, ignored",
               "-V: unknown switch, ignored (verbose output is -v, in lower case)",
               "-verbose: read as -v (verbose); \"erbose\" is ignored",
               "-c95: read as -c (the Cineon curve); \"95\" is ignored"}),
        check({"-", "-x", "-4x", "-b", "-bx1", "-V", "-verbose", "-c95", "A001.RAW", "out.dpx"}).warnings);
}

TEST(ArgumentWarnings, SwitchesAndTagsADpxSequenceDoesNotUse) {
    EXPECT_EQ(
        (Lines{"-q3: the quality is for movies; a DPX sequence does not use it",
               "-f25: the frame rate is for movies; a DPX sequence does not use it",
               "-y: 4:2:2 pictures are for movies; DPX files are always RGB",
               "+HPNT=0.7: metadata goes into movies; a DPX sequence does not carry it",
               ":Director=Q: metadata goes into movies; a DPX sequence does not carry it"}),
        check({"-q3", "-f25", "-y", "+TIMB=24", "+HPNT=0.7", ":Director=Q", "A001.RAW", "out.dpx"}).warnings);
    // The time code tags number DPX files too, and then the frame rate counts
    // them, wherever the +TIMC stands.
    EXPECT_EQ(Lines{}, check({"-f29.98", "A001.RAW", "out.dpx", "+TIMB=30", "+TIMC=00:00:59;28"}).warnings);
    EXPECT_EQ(Lines{"-fx: \"x\" is not a number; frame rate 24 (24/1) for every clip is used"},
              check({"-fx", "A001.RAW", "out.dpx", "+TIMC=00:00:00:00"}).warnings);
    EXPECT_EQ((Lines{"+ABC=1: ignored: a tag is written +TAG=value, with a four-character TAG",
                     ":=abc: ignored: a freeform entry is written :name=value"}),
              check({"+ABC=1", ":=abc", "A001.RAW", "out.avi"}).warnings);
}

TEST(ArgumentWarnings, ArgumentsThatNameNothingOutputsAndCalibration) {
    EXPECT_EQ(
        (Lines{"A001: ignored: not a clip (.RAW, .R00), an output (.avi, .mov, .dpx), a switch or a tag",
               "more than one output given (a.dpx, b.dpx): b.dpx, the last, is used"}),
        check({"A001", "a.dpx", "b.dpx", "A001.RAW"}).warnings);
    EXPECT_EQ(
        (Lines{
            "more than one output given (a.avi, b.dpx): b.dpx, the last, is used, and as a movie, since an "
            ".avi or .mov output came before it"}),
        check({"a.avi", "b.dpx", "A001.RAW"}).warnings);
    EXPECT_EQ(
        (Lines{"-bc: no clip after -bc, so there is no black calibration (write the clip right after it, as "
               "-bcCAP.RAW); CAP.RAW is converted as an input instead"}),
        check({"-bc", "CAP.RAW", "out.dpx"}).warnings);
    EXPECT_EQ(
        (Lines{"-bc: no clip after -bc, so there is no black calibration (write the clip right after it, as "
               "-bcCAP.RAW)"}),
        check({"A001.RAW", "out.dpx", "-bc"}).warnings);
    EXPECT_EQ((Lines{"-bcCAP: CAP is not a .RAW or .R00 clip, so there is no black calibration"}),
              check({"A001.RAW", "out.dpx", "-bcCAP"}).warnings);
    // No clip at all is no warning: the run refuses it.
    EXPECT_EQ(Lines{}, check({"out.dpx", "-g2.2"}).warnings);
    EXPECT_EQ(
        (Lines{
            "*_%d.dpx: the output holds a '*' but the clip argument A001.RAW does not, so the '*' stays in "
            "the names written"}),
        check({"A001.RAW", "B*.RAW", "*_%d.dpx"}).warnings);
}

// What the checks made clip by clip need: the arguments as typed.
TEST(ArgumentWarnings, NotesKeepTheArgumentsAsTyped) {
    const Checked checked = check({"-i5", "-I7", "-(1,2,3)", "-l200", "-bl10", "-Cb90", "-wl900", "-g2",
                                   "-w640", "-bcA.RAW", "-(10,20,40,60)", "A001.RAW", "out.dpx"});
    EXPECT_EQ("-I7", checked.notes.inPointArgument);
    EXPECT_EQ("-(10,20,40,60)", checked.notes.windowArgument);
    EXPECT_TRUE(checked.notes.windowComplete);
    EXPECT_EQ((std::array<std::int32_t, 4>{10, 20, 40, 60}), checked.notes.windowTyped);
    EXPECT_EQ((Lines{"-l200", "-bl10", "-Cb90", "-wl900", "-g2"}), checked.notes.gradingArguments);
    EXPECT_EQ("-bcA.RAW", checked.notes.calibrationArgument);
    for (const char* window : {"-(1,2,3)", "-(a,b,c,d)", "-(1,2,3,)", "-(1;2;3;4)"}) {
        const Checked partial = check({window, "A001.RAW", "out.dpx"});
        EXPECT_FALSE(partial.notes.windowComplete) << window;
    }
}
