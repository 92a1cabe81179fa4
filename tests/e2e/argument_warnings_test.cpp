// A mistake in the arguments changes nothing the run does: standard output
// and the files written are those of the same command without the mistake
// (or of a fixed text), and one warning line per problem on standard error
// quotes the argument as typed and says what was done with it.
#include <gtest/gtest.h>

#include <cstdio>
#include <filesystem>
#include <map>
#include <string>
#include <vector>

#include "e2e/e2e_clips.h"
#include "support/run_program.h"
#include "support/temp_dir.h"

using namespace e2e;
using testing_support::ProgramResult;
using testing_support::readFileBytes;
using testing_support::runRaw2tvx;
using testing_support::TempDir;

namespace {

const std::string kWarning = "raw2tvx: warning: ";

// A 64 x 32 ramp clip of frames frames, its samples their own table indices.
void makeRampClip(const TempDir& dir, const std::string& name, int frames, int width = 64) {
    makeClip(dir, {"--width", std::to_string(width), "--height", "32", "--frames", std::to_string(frames),
                   "--scene", "ramp", "--black", "0", "--white", "16383", name});
}

// Every file of a directory and its bytes.
std::map<std::string, std::string> filesIn(const std::string& directory) {
    std::map<std::string, std::string> files;
    for (const std::string& name : directoryNames(directory))
        files[name] = readFileBytes(directory + "/" + name);
    return files;
}

struct Run {
    ProgramResult result;
    std::map<std::string, std::string> files;  // what the run wrote into its own output directory
};

// Runs raw2tvx in dir with "OUT/" in the arguments standing for a fresh
// output directory of the run's own, so two runs can be compared.
Run runInto(const TempDir& dir, const std::string& outputDirectory, std::vector<std::string> arguments) {
    std::filesystem::create_directory(dir.file(outputDirectory));
    for (std::string& argument : arguments)
        if (argument.compare(0, 4, "OUT/") == 0) argument = outputDirectory + argument.substr(3);
    Run run;
    run.result = runRaw2tvx(arguments, dir.path());
    run.files = filesIn(dir.file(outputDirectory));
    return run;
}

// The command with the mistake against the command without it: the same
// exit code, standard output and files; the mistaken one warns as expected
// ("OUT/" in it stands for its output directory too) and the other says
// nothing, or only plainWarnings.
void expectSameRunWithWarning(const TempDir& dir, const std::vector<std::string>& mistaken,
                              const std::vector<std::string>& intended, std::string expectedWarnings,
                              const std::string& plainWarnings = "") {
    static int runs = 0;
    const std::string mistakenDirectory = "mistaken" + std::to_string(++runs);
    const Run warned = runInto(dir, mistakenDirectory, mistaken);
    const Run plain = runInto(dir, "intended" + std::to_string(runs), intended);
    for (std::size_t at = expectedWarnings.find("OUT/"); at != std::string::npos;
         at = expectedWarnings.find("OUT/", at))
        expectedWarnings.replace(at, 3, mistakenDirectory);
    const std::string context = mistaken.back();
    EXPECT_EQ(plain.result.exitCode, warned.result.exitCode) << context;
    EXPECT_EQ(plain.result.out, warned.result.out) << context;
    EXPECT_EQ(plain.files, warned.files) << context;
    EXPECT_FALSE(warned.files.empty()) << context;
    EXPECT_EQ(plainWarnings, plain.result.err) << context;
    EXPECT_EQ(expectedWarnings, warned.result.err) << context;
}

}  // namespace

// Numbers missing, followed by text, or outside the help's ranges: the value
// the run uses is the one the switch without the mistake gives.
TEST(ArgumentWarnings, NumericSwitchValuesSayWhichValueIsUsed) {
    TempDir dir;
    makeRampClip(dir, "ramp.RAW", 3);
    struct Case {
        std::vector<std::string> mistaken, intended;
        std::string warning;
    };
    const Case cases[] = {
        {{"-gamma2.2"}, {"-g113"}, "-gamma2.2: \"amma2.2\" is not a number; gamma 113 is used"},
        {{"-l400", "-g"}, {"-g400"}, "-g: no number given; gamma 400 is used"},
        {{"-gabc"}, {"-g113"}, "-gabc: \"abc\" is not a number; gamma 113 is used"},
        {{"-blabc"}, {"-bl0"}, "-blabc: \"abc\" is not a number; black level 0 is used"},
        {{"-g2.2x"}, {"-g2.2"}, "-g2.2x: \"x\" after the number is ignored; gamma 2.2 is used"},
        {{"-w48px"}, {"-w48"}, "-w48px: \"px\" after the number is ignored; output width 48 is used"},
        {{"-i1st"}, {"-i1"}, "-i1st: \"st\" after the number is ignored; in point 1 is used"},
        {{"-d7"}, {"-d0"}, "-d7: debayer type 7 is outside 1 to 4; the plain demosaic (as -d0) is used"},
        {{"-s-1"}, {"-s0"}, "-s-1: a negative count skips nothing"},
    };
    for (const Case& item : cases) {
        std::vector<std::string> mistaken{"ramp.RAW", "OUT/f_%d.dpx"}, intended{"ramp.RAW", "OUT/f_%d.dpx"};
        mistaken.insert(mistaken.end(), item.mistaken.begin(), item.mistaken.end());
        intended.insert(intended.end(), item.intended.begin(), item.intended.end());
        expectSameRunWithWarning(dir, mistaken, intended, kWarning + item.warning + "\n");
    }

    // Values outside the help's ranges are used as given; the warning says so.
    const auto levels = runRaw2tvx({"ramp.RAW", "levels_%d.dpx", "-bl70000", "-wl-5", "-bl-1"}, dir.path());
    EXPECT_EQ(0, levels.exitCode);
    EXPECT_EQ(kWarning + "-bl70000: 70000 is outside the levels 0 to 65535; it is used as given\n" +
                  kWarning + "-wl-5: -5 is outside the levels 0 to 65535; it is used as given\n",
              levels.err);
    const auto cineon = runRaw2tvx({"ramp.RAW", "cineon_%d.dpx", "-cb700"}, dir.path());
    EXPECT_EQ(kWarning +
                  "-cb700: the Cineon black 700 is not below the white 685; the curve is made from them "
                  "as given\n",
              cineon.err);

    // -o with its number in the next argument: out point 0 (one frame), and
    // the number is an argument of its own, ignored.
    expectSameRunWithWarning(
        dir, {"ramp.RAW", "OUT/f_%d.dpx", "-o", "2"}, {"ramp.RAW", "OUT/f_%d.dpx", "-o1"},
        kWarning + "-o: no number given; out point 0 (one frame of each clip) is used\n" + kWarning +
            "2: ignored: not a clip (.RAW, .R00), an output (.avi, .mov, .dpx), a switch or a tag\n");
    // An out point that is not after the in point lets one frame through.
    expectSameRunWithWarning(dir, {"ramp.RAW", "OUT/f_%d.dpx", "-i2", "-o1"},
                             {"ramp.RAW", "OUT/f_%d.dpx", "-i2"},
                             kWarning +
                                 "-o1: the out point is not after the in point 2; one frame, frame 2, is "
                                 "converted from each clip\n");
}

// Switches and tags a DPX sequence does not use, unknown switches and text
// after switches that take none.
TEST(ArgumentWarnings, SwitchesWithoutEffectAreNamed) {
    TempDir dir;
    makeRampClip(dir, "ramp.RAW", 2);
    expectSameRunWithWarning(
        dir, {"ramp.RAW", "OUT/f_%d.dpx", "-q9", "-fabc", "+TIMB=24", ":Director=Q. Ombry", "-422", "-444"},
        {"ramp.RAW", "OUT/f_%d.dpx", "+TIMB=24", ":Director=Q. Ombry"},
        kWarning + "-q9: the quality is for movies; a DPX sequence does not use it\n" + kWarning +
            "-fabc: the frame rate is for movies; a DPX sequence does not use it\n" + kWarning +
            ":Director=Q. Ombry: metadata goes into movies; a DPX sequence does not carry it\n" + kWarning +
            "-422: 4:2:2 pictures are for movies; DPX files are always RGB\n",
        kWarning + ":Director=Q. Ombry: metadata goes into movies; a DPX sequence does not carry it\n");
    expectSameRunWithWarning(
        dir, {"ramp.RAW", "OUT/f_%d.dpx", "-V", "-x", "-verbose", "-cineon", "+ABC=1", ":=abc"},
        {"ramp.RAW", "OUT/f_%d.dpx", "-v", "-c"},
        kWarning + "-V: unknown switch, ignored (verbose output is -v, in lower case)\n" + kWarning +
            "-x: unknown switch, ignored\n" + kWarning +
            "-verbose: read as -v (verbose); \"erbose\" is ignored\n" + kWarning +
            "-cineon: read as -c (the Cineon curve); \"ineon\" is ignored\n" + kWarning +
            "+ABC=1: ignored: a tag is written +TAG=value, with a four-character TAG\n" + kWarning +
            ":=abc: ignored: a freeform entry is written :name=value\n");
}

// Windows that cannot be read as four integers, and windows the rules
// change: the window as typed and the window the picture comes from.
TEST(ArgumentWarnings, WindowsSayTheWindowUsed) {
    TempDir dir;
    makeRampClip(dir, "ramp.RAW", 1);
    const std::string notFour = "it is not four integers x1,y1,x2,y2";
    for (const char* window : {"-(0,0,100)", "-(a,b,c,d)"})
        expectSameRunWithWarning(dir, {"ramp.RAW", "OUT/f.dpx", "-d0", window},
                                 {"ramp.RAW", "OUT/f.dpx", "-d0"},
                                 kWarning + window +
                                     ": the picture is taken from the window (0,0,64,32) of the "
                                     "64x32 frame: " +
                                     notFour + "\n");
    expectSameRunWithWarning(
        dir, {"ramp.RAW", "OUT/f.dpx", "-d0", "-(1,1,30,29)"},
        {"ramp.RAW", "OUT/f.dpx", "-d0", "-(2,2,34,30)"},
        kWarning +
            "-(1,1,30,29): the picture is taken from the window (2,2,34,30) of the 64x32 "
            "frame: a window starts on an even column and row, and is a multiple of 16 wide "
            "and an even number of rows high\n");
    expectSameRunWithWarning(
        dir, {"ramp.RAW", "OUT/f.dpx", "-d0", "-(32,0,80,40)"},
        {"ramp.RAW", "OUT/f.dpx", "-d0", "-(32,0,64,32)"},
        kWarning +
            "-(32,0,80,40): the picture is taken from the window (32,0,64,32) of the 64x32 "
            "frame: only the part inside the frame is used, a multiple of 16 wide\n");

    // Refused at the frame's edge: the window as typed, not as the rules made it.
    const auto edge = runRaw2tvx({"ramp.RAW", "edge.dpx", "-(50,0,64,32)"}, dir.path());
    EXPECT_EQ(kUsageStatus, edge.exitCode);
    EXPECT_EQ("ramp.RAW\n64x32 1 frames 24.000 fps\n\ndone\n", edge.out);
    EXPECT_EQ(
        "raw2tvx: -(50,0,64,32): the window leaves nothing of the 64x32 frame: a window is at least 16 wide, "
        "and "
        "only 14 columns of the frame lie right of x1 = 50\n",
        edge.err);
    EXPECT_FALSE(fileExists(dir.file("edge.dpx")));
}

// Arguments that are no clip, output, switch or tag; -bc with nothing after
// it; a second output; a '*' output for a clip without one.
TEST(ArgumentWarnings, ArgumentsThatDoNothingOrSomethingElseAreNamed) {
    TempDir dir;
    makeRampClip(dir, "A001.RAW", 2);
    const std::string ignored =
        ": ignored: not a clip (.RAW, .R00), an output (.avi, .mov, .dpx), a switch or a tag\n";

    // No clip at all is a run that cannot be made: exit 2, nothing converted.
    const auto bare = runRaw2tvx({"A001", "x.dpx"}, dir.path());
    EXPECT_EQ(2, bare.exitCode);
    EXPECT_EQ("", bare.out);
    EXPECT_EQ(
        kWarning + "A001: ignored: not a clip, an output, a switch or a tag (did you mean A001.RAW?)\n" +
            "raw2tvx: no clip given, so nothing is converted: name the .RAW (or .R00) clips to convert\n",
        bare.err);
    const auto data = runRaw2tvx({"A.dat", "n.mov"}, dir.path());
    EXPECT_EQ(2, data.exitCode);
    EXPECT_FALSE(fileExists(dir.file("n.mov")));

    expectSameRunWithWarning(dir, {"A001.RAW", "CARD/*.XYZ", "OUT/f_%d.dpx"}, {"A001.RAW", "OUT/f_%d.dpx"},
                             kWarning + "CARD/*.XYZ" + ignored);
    expectSameRunWithWarning(
        dir, {"-bc", "A001.RAW", "OUT/f_%d.dpx"}, {"A001.RAW", "OUT/f_%d.dpx"},
        kWarning +
            "-bc: no clip after -bc, so there is no black calibration (write the clip right after it, as "
            "-bcA001.RAW); A001.RAW is converted as an input instead\n");
    expectSameRunWithWarning(
        dir, {"A001.RAW", "OUT/f_%d.dpx", "-bccap"}, {"A001.RAW", "OUT/f_%d.dpx"},
        kWarning + "-bccap: cap is not a .RAW or .R00 clip, so there is no black calibration\n");
    expectSameRunWithWarning(
        dir, {"A001.RAW", "OUT/first_%d.dpx", "OUT/f_%d.dpx"}, {"A001.RAW", "OUT/f_%d.dpx"},
        kWarning +
            "more than one output given (OUT/first_%d.dpx, OUT/f_%d.dpx): OUT/f_%d.dpx, the "
            "last, is used\n");

    // A '*' in the output with a clip argument that has none: the name keeps it.
    const auto star = runRaw2tvx({"A001.RAW", "*_%d.dpx", "-o1"}, dir.path());
    EXPECT_EQ(0, star.exitCode);
    EXPECT_EQ("A001.RAW\n64x32 2 frames 24.000 fps\n.\ndone\n", star.out);
    EXPECT_EQ(
        kWarning +
            "*_%d.dpx: the output holds a '*' but the clip argument A001.RAW does not, so the '*' stays in "
            "the names written\n",
        star.err);
    EXPECT_TRUE(readDpx(dir.file("*_0.dpx")).valid);
}

// An in point at or past the end of a clip, or negative: nothing of that
// clip is converted, and the warning names the clip.
TEST(ArgumentWarnings, InPointPastTheEndSaysNothingIsConverted) {
    TempDir dir;
    makeRampClip(dir, "ten.RAW", 10);
    makeRampClip(dir, "four.RAW", 4);
    struct Case {
        std::string inPoint, warning;
    };
    for (const Case& item :
         {Case{"-i20", "-i20: the in point lies past the last frame of ten.RAW: nothing of it is converted"},
          Case{"-i10", "-i10: the in point lies past the last frame of ten.RAW: nothing of it is converted"},
          Case{"-i-2",
               "-i-2: a negative in point reads as 4294967294, past the end of ten.RAW: nothing of it is "
               "converted"}}) {
        const auto result = runRaw2tvx({"ten.RAW", "f_%d.dpx", item.inPoint}, dir.path());
        EXPECT_EQ(0, result.exitCode) << item.inPoint;
        EXPECT_EQ("ten.RAW\n64x32 10 frames 24.000 fps\n\ndone\n", result.out);
        EXPECT_EQ(kWarning + item.warning + "\n", result.err);
        EXPECT_EQ((std::vector<std::string>{"four.RAW", "ten.RAW"}), directoryNames(dir.path()));
    }
    // Only the clip too short for the in point is named.
    const auto both = runRaw2tvx({"four.RAW", "ten.RAW", "f_%d.dpx", "-i5", "-o6"}, dir.path());
    EXPECT_EQ("four.RAW\n64x32 4 frames 24.000 fps\nten.RAW\n64x32 10 frames 24.000 fps\n.\ndone\n",
              both.out);
    EXPECT_EQ(kWarning +
                  "-i5: the in point lies past the last frame of four.RAW: nothing of it is converted\n" +
                  "raw2tvx: 2 clips converted; 1 frame written\n",
              both.err);
    EXPECT_TRUE(readDpx(dir.file("f_5.dpx")).valid);
}

// Grading switches on a 12-bit clip, whose samples never meet the tone table.
TEST(ArgumentWarnings, GradingSwitchesOnATwelveBitClipDoNotApply) {
    TempDir dir;
    makeClip(dir, {"--width", "64", "--height", "32", "--frames", "2", "--packing", "12", "--scene", "ramp",
                   "ten.RAW"});
    makeClip(dir, {"--width", "64", "--height", "32", "--frames", "1", "--packing", "12", "--scene",
                   "lenscap", "cap.RAW"});
    expectSameRunWithWarning(
        dir, {"ten.RAW", "OUT/f_%d.dpx", "-g2.2", "-bl100", "-c"}, {"ten.RAW", "OUT/f_%d.dpx"},
        kWarning +
            "-g2.2 -bl100 -c: not applied to ten.RAW, which is a 12-bit clip: its samples go "
            "out without tone curve, levels or black frame\n");
    // A 12-bit calibration clip adds nothing to the black frame.
    const auto calibration = runRaw2tvx({"ten.RAW", "f_%d.dpx", "-bccap.RAW"}, dir.path());
    EXPECT_EQ(0, calibration.exitCode);
    EXPECT_EQ(0u, calibration.err.find(
                      kWarning + "-bccap.RAW: cap.RAW is a 12-bit clip, whose frames add nothing to the "
                                 "black frame\n"))
        << calibration.err;
}

// The file the reader tried and why it could not be opened, beside the line
// that names the argument.
TEST(ArgumentWarnings, ClipThatCannotBeOpenedNamesTheFileAndTheReason) {
    TempDir dir;
    makeRampClip(dir, "good.RAW", 1);
    testing_support::writeFileBytes(dir.file("M001.RAW"), std::string(5000, 'x'));
    const auto missing = runRaw2tvx({"M002.RAW", "f_%d.dpx"}, dir.path());
    EXPECT_EQ(kClipUnusableStatus, missing.exitCode);
    EXPECT_EQ("M002.RAW file could not be opened\n\ndone\n", missing.out);
    EXPECT_EQ("raw2tvx: cannot open M002.RAW: No such file or directory; the run stops here\n", missing.err);

    const auto noTrailer = runRaw2tvx({"M001.RAW", "good.RAW", "f_%d.dpx"}, dir.path());
    EXPECT_EQ(kClipUnusableStatus, noTrailer.exitCode);
    EXPECT_EQ("M001.RAW file could not be opened\n\ndone\n", noTrailer.out);
    EXPECT_EQ(
        "raw2tvx: no RAW trailer at the end of M001.RAW, and M001.R00 cannot be opened: No such file or "
        "directory; the run stops here\n",
        noTrailer.err);
    EXPECT_FALSE(fileExists(dir.file("f_0.dpx")));
}

// A black calibration that cannot be a lens-cap recording: a chart clip
// named by -bc, or a pattern none of whose matches is dark, all of which are
// summed. The warning names it and gives the average the summary line shows.
TEST(ArgumentWarnings, BlackCalibrationFarAboveTheBlackLevelIsNamed) {
    TempDir dir;
    std::filesystem::create_directory(dir.file("cal"));
    makeRampClip(dir, "clip.RAW", 1);
    makeClip(dir, {"--width", "64", "--height", "32", "--frames", "1", "--scene", "chart", "cal/chart.RAW"});
    makeClip(dir, {"--width", "64", "--height", "32", "--frames", "1", "--scene", "lenscap", "cap.RAW"});

    const auto chart = runRaw2tvx({"clip.RAW", "f_%d.dpx", "-bccal/chart.RAW"}, dir.path());
    ASSERT_EQ(0, chart.exitCode) << chart.err;
    const std::string summary = "Black Level Calibation: min = ";
    const std::size_t at = chart.out.find(summary);
    ASSERT_NE(std::string::npos, at) << chart.out;
    int minimum = 0, maximum = 0, average = 0;
    ASSERT_EQ(3, std::sscanf(chart.out.c_str() + at, "Black Level Calibation: min = %d, max = %d, avg = %d",
                             &minimum, &maximum, &average));
    ASSERT_GE(average - kDefaultBlack, 200);
    EXPECT_EQ(kWarning +
                  "-bccal/chart.RAW: cal/chart.RAW does not look recorded with the lens cap on: its "
                  "average is " +
                  std::to_string(average) + ", " + std::to_string(average - kDefaultBlack) +
                  " above its black level 512; it is used as the black frame all the same\n",
              chart.err);

    // The only match of the pattern is the chart: it is summed all the same.
    const auto pattern = runRaw2tvx({"clip.RAW", "g_%d.dpx", "-bccal/*.RAW"}, dir.path());
    ASSERT_EQ(0, pattern.exitCode) << pattern.err;
    EXPECT_EQ(chart.out, pattern.out);
    EXPECT_EQ(kWarning +
                  "-bccal/*.RAW: no clip matching cal/*.RAW looks recorded with the lens cap on, so the "
                  "frames of all its matches were summed into the black frame: their average is " +
                  std::to_string(average) + ", " + std::to_string(average - kDefaultBlack) +
                  " above the black level 512\n",
              pattern.err);
    EXPECT_EQ(readDpx(dir.file("f_0.dpx")).pixels, readDpx(dir.file("g_0.dpx")).pixels);

    // A lens-cap clip says nothing.
    const auto cap = runRaw2tvx({"clip.RAW", "h_%d.dpx", "-bccap.RAW"}, dir.path());
    ASSERT_EQ(0, cap.exitCode);
    EXPECT_EQ("", cap.err);
}
