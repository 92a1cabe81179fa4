#include "app/cli/command_line.h"

#include <gtest/gtest.h>

#include <cstdint>
#include <string>
#include <vector>

#include "app/cli/metadata_tags.h"
#include "app/report/console.h"

namespace {

struct Outcome {
    bool ok = true;
    std::string message;
};

struct Parsed {
    Outcome outcome;
    ConversionSettings settings;
    RunOptions options;
    MetadataTagList tags;
    std::string printed;  // the echo of the tags
};

// argv[0] is the program path, as the process receives it.
Parsed parse(std::vector<std::string> arguments, const std::string& programPath = "/usr/bin/raw2tvx") {
    arguments.insert(arguments.begin(), programPath);
    std::vector<const char*> argv;
    for (const auto& argument : arguments) argv.push_back(argument.c_str());
    Parsed parsed;
    const CommandLine line = readCommandLine(static_cast<int>(argv.size()), argv.data());
    parsed.outcome = {line.ok(), line.failure};
    parsed.settings = line.settings;
    parsed.options = line.options;
    testing::internal::CaptureStdout();
    Console console(false);
    addTagArguments(line.arguments, line.argumentsApplied, parsed.tags, console);
    parsed.printed = testing::internal::GetCapturedStdout();
    return parsed;
}

void expectDefaults(const ConversionSettings& s) {
    EXPECT_EQ(OutputFormat::Raw, s.outputFormat);
    EXPECT_EQ(-1, s.blackOverride);
    EXPECT_EQ(-1, s.whiteOverride);
    EXPECT_EQ("", s.blackCalibrationPath);
    EXPECT_EQ(8, s.blackCalibrationOffset);
    EXPECT_EQ(1, s.curveKind);
    EXPECT_EQ(113.0f, s.curveParam);
    EXPECT_EQ(95, s.cineonBlack);
    EXPECT_EQ(685, s.cineonWhite);
    EXPECT_EQ(2, s.debayerType);
    EXPECT_FALSE(s.debayerExplicit);
    EXPECT_TRUE(s.frameRateFromClip);
    EXPECT_EQ(24.0f, s.frameRate);
    EXPECT_EQ(24000, s.rateNumerator);
    EXPECT_EQ(1000, s.rateDenominator);
    EXPECT_EQ(0u, s.inPoint);
    EXPECT_EQ(4294967295u, s.outPoint);
    EXPECT_EQ(0, s.skipFrames);
    EXPECT_EQ(4, s.quality);
    EXPECT_EQ(-1, s.outputWidth);
    EXPECT_EQ(-1, s.outputHeight);
    EXPECT_EQ(-1, s.windowLeft);
    EXPECT_EQ(-1, s.windowTop);
    EXPECT_EQ(-1, s.windowRight);
    EXPECT_EQ(-1, s.windowBottom);
    EXPECT_FALSE(s.verbose);
    EXPECT_EQ("", s.outputPath);
    EXPECT_FALSE(s.movieOutput);
}

// The defaults, with out.dpx as the output.
void expectDefaultsExceptOutput(ConversionSettings settings) {
    EXPECT_EQ("out.dpx", settings.outputPath);
    settings.outputPath.clear();
    expectDefaults(settings);
}

}  // namespace

TEST(CommandLine, UnknownSwitchesAndInputsLeaveEveryDefault) {
    const Parsed parsed = parse({"clip.RAW", "-", "-z5", "-4", "-4x", "-b", "-bx3", "-V", "-x", "notes.txt"});
    EXPECT_TRUE(parsed.outcome.ok);
    expectDefaults(parsed.settings);
    EXPECT_EQ(0, parsed.tags.used);
    EXPECT_EQ("", parsed.printed);
}

TEST(CommandLine, OutputFormatSwitchesTheLastWins) {
    EXPECT_EQ(OutputFormat::Yuv422, parse({"-444", "-422"}).settings.outputFormat);
    EXPECT_EQ(OutputFormat::Rgb444, parse({"-422", "-444"}).settings.outputFormat);
    EXPECT_EQ(OutputFormat::Rgb444, parse({"-444", "-4x"}).settings.outputFormat);
    EXPECT_EQ(OutputFormat::Rgb444, parse({"-44whatever"}).settings.outputFormat);
    EXPECT_EQ(OutputFormat::Raw, parse({"-4x"}).settings.outputFormat);
    EXPECT_EQ(OutputFormat::Yuv422, parse({"-y"}).settings.outputFormat);
    EXPECT_EQ(OutputFormat::Yuv422, parse({"-444", "-Yes"}).settings.outputFormat);
}

TEST(CommandLine, LevelAndCalibrationSwitches) {
    const Parsed parsed = parse({"-bl100", "-bo3", "-bcBlack.RAW", "-wl16000"});
    EXPECT_EQ(100, parsed.settings.blackOverride);
    EXPECT_EQ(3, parsed.settings.blackCalibrationOffset);
    EXPECT_EQ("Black.RAW", parsed.settings.blackCalibrationPath);
    EXPECT_EQ(16000, parsed.settings.whiteOverride);
    EXPECT_EQ(-1, parsed.settings.outputWidth);

    const Parsed upper = parse({"-BL7", "-BO-2", "-BC*.RAW", "-WLx"});
    EXPECT_EQ(7, upper.settings.blackOverride);
    EXPECT_EQ(-2, upper.settings.blackCalibrationOffset);
    EXPECT_EQ("*.RAW", upper.settings.blackCalibrationPath);
    EXPECT_EQ(0, upper.settings.whiteOverride);

    // -bc keeps everything after its three characters, even an empty rest.
    EXPECT_EQ("", parse({"-bcX.RAW", "-bc"}).settings.blackCalibrationPath);
}

TEST(CommandLine, OutputSizeSwitches) {
    const Parsed parsed = parse({"-w1280", "-h720"});
    EXPECT_EQ(1280, parsed.settings.outputWidth);
    EXPECT_EQ(720, parsed.settings.outputHeight);
    EXPECT_EQ(-1, parsed.settings.whiteOverride);
    EXPECT_EQ(640, parse({"-W640"}).settings.outputWidth);
    // Only "l" after the w selects the white level; anything else is read as the width.
    EXPECT_EQ(0, parse({"-w1280", "-wx"}).settings.outputWidth);
    EXPECT_EQ(0, parse({"-w1280", "-w"}).settings.outputWidth);
    EXPECT_EQ(-8, parse({"-H-8"}).settings.outputHeight);
}

TEST(CommandLine, CurveSwitchesShareKindAndParameter) {
    const Parsed gamma = parse({"-l400", "-g2.2"});
    EXPECT_EQ(2, gamma.settings.curveKind);
    EXPECT_EQ(2.2f, gamma.settings.curveParam);

    const Parsed cineon = parse({"-g2.2", "-cb100"});
    EXPECT_EQ(5, cineon.settings.curveKind);
    EXPECT_EQ(100, cineon.settings.cineonBlack);
    EXPECT_EQ(685, cineon.settings.cineonWhite);
    EXPECT_EQ(2.2f, cineon.settings.curveParam);

    const Parsed white = parse({"-CW700", "-l300"});
    EXPECT_EQ(1, white.settings.curveKind);
    EXPECT_EQ(300.0f, white.settings.curveParam);
    EXPECT_EQ(700, white.settings.cineonWhite);

    EXPECT_EQ(5, parse({"-c"}).settings.curveKind);
    EXPECT_EQ(5, parse({"-Cx"}).settings.curveKind);
    EXPECT_EQ(95, parse({"-Cx"}).settings.cineonBlack);

    // A switch without a readable number keeps the shared parameter.
    const Parsed bare = parse({"-g2.2", "-l"});
    EXPECT_TRUE(bare.outcome.ok);
    EXPECT_EQ(1, bare.settings.curveKind);
    EXPECT_EQ(2.2f, bare.settings.curveParam);
    const Parsed unreadable = parse({"-Gabc"});
    EXPECT_EQ(2, unreadable.settings.curveKind);
    EXPECT_EQ(113.0f, unreadable.settings.curveParam);

    EXPECT_TRUE(parse({"-l0.5"}).outcome.ok);
    EXPECT_TRUE(parse({"-g0.45"}).outcome.ok);
}

TEST(CommandLine, UnusableLogPowerOrGammaIsRefusedNamingTheSwitch) {
    struct Case {
        std::vector<std::string> arguments;
        std::string message;
    };
    const Case cases[] = {
        {{"-l1"}, "-l1: log power 1 cannot be used; it must be a number above 0 other than 1"},
        {{"-l0"}, "-l0: log power 0 cannot be used; it must be a number above 0 other than 1"},
        {{"-L-3"}, "-L-3: log power -3 cannot be used; it must be a number above 0 other than 1"},
        {{"-g1", "-l"}, "-l: log power 1 cannot be used; it must be a number above 0 other than 1"},
        {{"-lnan"}, "-lnan: log power nan cannot be used; it must be a number above 0 other than 1"},
        {{"-g0"}, "-g0: gamma 0 cannot be used; it must be a number above 0"},
        {{"-g-2.5"}, "-g-2.5: gamma -2.5 cannot be used; it must be a number above 0"},
        {{"-ginf"}, "-ginf: gamma inf cannot be used; it must be a number above 0"},
    };
    for (const Case& refused : cases) {
        const Parsed parsed = parse(refused.arguments);
        EXPECT_FALSE(parsed.outcome.ok) << refused.arguments.back();
        EXPECT_EQ(refused.message, parsed.outcome.message);
    }
    // Parsing stops at the refused switch: later arguments are not read.
    const Parsed stopped = parse({"-q2", "-l1", "-q5", "+TIMB=24"});
    EXPECT_EQ(2, stopped.settings.quality);
    EXPECT_EQ(0, stopped.tags.used);
    // A gamma of 1 is a plain curve and a Cineon switch does not check the parameter.
    EXPECT_TRUE(parse({"-g1"}).outcome.ok);
    EXPECT_TRUE(parse({"-g1", "-c"}).outcome.ok);
}

TEST(CommandLine, DebayerInOutSkipQualityAndVerbose) {
    const Parsed parsed = parse({"-d3", "-i10", "-o20", "-s2", "-q9", "-v"});
    EXPECT_EQ(3, parsed.settings.debayerType);
    EXPECT_TRUE(parsed.settings.debayerExplicit);
    EXPECT_EQ(10u, parsed.settings.inPoint);
    EXPECT_EQ(20u, parsed.settings.outPoint);
    EXPECT_EQ(2, parsed.settings.skipFrames);
    EXPECT_EQ(9, parsed.settings.quality);
    EXPECT_TRUE(parsed.settings.verbose);

    const Parsed other = parse({"-Dx", "-o-1", "-I-1", "-S3", "-Q1", "-V"});
    EXPECT_EQ(0, other.settings.debayerType);
    EXPECT_TRUE(other.settings.debayerExplicit);
    EXPECT_EQ(4294967295u, other.settings.outPoint);
    EXPECT_EQ(4294967295u, other.settings.inPoint);
    EXPECT_EQ(3, other.settings.skipFrames);
    EXPECT_EQ(1, other.settings.quality);
    EXPECT_FALSE(other.settings.verbose);

    EXPECT_EQ(0u, parse({"-o0"}).settings.outPoint);
    EXPECT_EQ(5, parse({"-q3", "-q5"}).settings.quality);
    // Beyond 32 bits the value is clamped, never wrapped by accident.
    EXPECT_EQ(2147483647u, parse({"-o99999999999"}).settings.outPoint);
}

TEST(CommandLine, FrameRateSwitch) {
    struct Case {
        const char* argument;
        std::int32_t numerator;
        std::int32_t denominator;
    };
    // The NTSC rates as typed, to thousandths or hundredths, are N x 1000/1001
    // exactly; two whole numbers A/B are the rate A/B; other rates keep their
    // rules: 29.98 is 30000/1001 too, and the single-precision 29.99 lies
    // just below 29.99, so times 1000 it truncates to 29989.
    const Case cases[] = {
        {"-f24", 24, 1},
        {"-f23.976", 24000, 1001},
        {"-f23.98", 24000, 1001},
        {"-f29.98", 30000, 1001},
        {"-f30", 30, 1},
        {"-f25", 25, 1},
        {"-F12.5", 12500, 1000},
        {"-f29.97", 30000, 1001},
        {"-f47.95", 48000, 1001},
        {"-f47.952", 48000, 1001},
        {"-f59.94", 60000, 1001},
        {"-f119.88", 120000, 1001},
        {"-f29.99", 29989, 1000},
        {"-f59.93", 59930, 1000},
        {"-f60000/1001", 60000, 1001},
        {"-f30000/1001", 30000, 1001},
        {"-f25/2", 25, 2},
        {"-f1e30", 2147483647, 1},
    };
    for (const Case& rate : cases) {
        const Parsed parsed = parse({rate.argument});
        EXPECT_EQ(rate.numerator, parsed.settings.rateNumerator) << rate.argument;
        EXPECT_EQ(rate.denominator, parsed.settings.rateDenominator) << rate.argument;
        EXPECT_FALSE(parsed.settings.frameRateFromClip);
    }
    EXPECT_EQ(23.976f, parse({"-f23.976"}).settings.frameRate);

    const Parsed unreadable = parse({"-fabc"});
    EXPECT_EQ(24.0f, unreadable.settings.frameRate);
    EXPECT_EQ(24, unreadable.settings.rateNumerator);
    EXPECT_EQ(1, unreadable.settings.rateDenominator);
    EXPECT_FALSE(unreadable.settings.frameRateFromClip);

    // An unreadable value keeps the rate an earlier -f set.
    const Parsed kept = parse({"-f12.5", "-f"});
    EXPECT_EQ(12.5f, kept.settings.frameRate);
    EXPECT_EQ(12500, kept.settings.rateNumerator);

    // A fraction with a zero or text after it is no fraction: the number before the slash is read.
    EXPECT_EQ(60000, parse({"-f60000/0"}).settings.rateNumerator);
    EXPECT_EQ(1, parse({"-f60000/1001x"}).settings.rateDenominator);
}

TEST(CommandLine, SourceWindowSwitch) {
    const Parsed rounded = parse({"-(101,51,300,200)"});
    // Left 101 is odd: 102. Width 300 - 102 = 198, rounded up to 208: right 310.
    // Top 51 is odd: 52. Height 200 - 52 = 148 is even: bottom stays 200.
    EXPECT_EQ(102, rounded.settings.windowLeft);
    EXPECT_EQ(52, rounded.settings.windowTop);
    EXPECT_EQ(310, rounded.settings.windowRight);
    EXPECT_EQ(200, rounded.settings.windowBottom);

    const Parsed noBottom = parse({"-(10,10,0,0)"});
    EXPECT_EQ(10, noBottom.settings.windowLeft);
    EXPECT_EQ(10, noBottom.settings.windowTop);
    EXPECT_EQ(0, noBottom.settings.windowRight);
    EXPECT_EQ(0, noBottom.settings.windowBottom);

    // Fields the text does not reach keep their value; bottom stays -1, so no adjustment.
    const Parsed partial = parse({"-(5,7)"});
    EXPECT_EQ(5, partial.settings.windowLeft);
    EXPECT_EQ(7, partial.settings.windowTop);
    EXPECT_EQ(-1, partial.settings.windowRight);
    EXPECT_EQ(-1, partial.settings.windowBottom);
    const Parsed stopsAtSpace = parse({"-(0,0,64,64)", "-(3 ,9,9,9)"});
    EXPECT_EQ(4, stopsAtSpace.settings.windowLeft);
    EXPECT_EQ(0, stopsAtSpace.settings.windowTop);

    // Odd height 1 (after top 1 becomes 2, bottom 3): rounded up to 2, bottom 4.
    const Parsed oddHeight = parse({"-(1,1,2,3)"});
    EXPECT_EQ(2, oddHeight.settings.windowLeft);
    EXPECT_EQ(2, oddHeight.settings.windowRight);
    EXPECT_EQ(2, oddHeight.settings.windowTop);
    EXPECT_EQ(4, oddHeight.settings.windowBottom);

    // Width -20 is 0xFFFFFFEC: plus 15 gives 0xFFFFFFFB, low four bits
    // cleared and taken modulo 65536 gives 0xFFF0 = 65520.
    EXPECT_EQ(65520, parse({"-(0,0,-20,10)"}).settings.windowRight);

    // Edges at the end of the 32-bit range wrap instead of overflowing:
    // top 2147483647 + 1 wraps to -2147483648; the height is then 0xFFFFFFFF,
    // odd, and (0xFFFFFFFF + 1) & 0xFFFE is 0.
    const Parsed extreme = parse({"-(0,2147483647,0,2147483647)"});
    EXPECT_EQ(INT32_MIN, extreme.settings.windowTop);
    EXPECT_EQ(INT32_MIN, extreme.settings.windowBottom);
}

TEST(CommandLine, OutputArgumentsAndTheProgramPath) {
    const Parsed movie = parse({"x.DPX", "y.avi", "clip.RAW"});
    EXPECT_EQ("y.avi", movie.settings.outputPath);
    EXPECT_TRUE(movie.settings.movieOutput);

    const Parsed dpxAfterMovie = parse({"clip.RAW", "y.avi", "x.dpx"});
    EXPECT_EQ("x.dpx", dpxAfterMovie.settings.outputPath);
    EXPECT_TRUE(dpxAfterMovie.settings.movieOutput);
    // Without a clip, the first movie is the archive to develop when another
    // output follows it; alone it is the output.
    const Parsed developed = parse({"y.avi", "x.dpx"});
    EXPECT_EQ("x.dpx", developed.settings.outputPath);
    EXPECT_FALSE(developed.settings.movieOutput);
    EXPECT_EQ("y.mov", parse({"y.mov"}).settings.outputPath);

    const Parsed dpx = parse({"clip.RAW", "frames/f%05d.DPX"});
    EXPECT_EQ("frames/f%05d.DPX", dpx.settings.outputPath);
    EXPECT_FALSE(dpx.settings.movieOutput);

    EXPECT_EQ("Out.MOV", parse({"Out.MOV"}).settings.outputPath);
    EXPECT_TRUE(parse({"Out.MOV"}).settings.movieOutput);
    EXPECT_EQ("", parse({"clip.RAW", "clip.R00"}).settings.outputPath);

    // The scan starts at the program's own path.
    const Parsed fromProgramPath = parse({"clip.RAW"}, "/opt/tool.avi");
    EXPECT_EQ("/opt/tool.avi", fromProgramPath.settings.outputPath);
    EXPECT_TRUE(fromProgramPath.settings.movieOutput);
}

// Long options are read strictly: an unknown name, a value where none is
// taken or a count that is not a whole number of 1 or more stops the run.
TEST(CommandLine, LongOptions) {
    const Parsed parsed = parse({"clip.RAW", "--threads=3", "--keep-going", "out.dpx"});
    EXPECT_TRUE(parsed.outcome.ok) << parsed.outcome.message;
    expectDefaultsExceptOutput(parsed.settings);
    EXPECT_EQ(-1, parsed.options.widestSimd);
    EXPECT_EQ(2, parse({"clip.RAW", "--simd=avx2", "out.dpx"}).options.widestSimd);
    EXPECT_EQ(0, parse({"clip.RAW", "--simd=scalar", "out.dpx"}).options.widestSimd);
    const struct {
        const char* argument;
        const char* message;
    } refused[] = {
        {"--",
         "--: unknown option; the options are --threads=N, --keep-going, --archive, --verify, --plan, "
         "--clip-index=K, --first-number=N, --skip-existing, --no-clobber, --simd=FORM"},
        {"--thread=2",
         "--thread=2: unknown option; the options are --threads=N, --keep-going, --archive, --verify, "
         "--plan, --clip-index=K, --first-number=N, --skip-existing, --no-clobber, --simd=FORM"},
        {"--threads", "--threads: give --threads=N with N a whole number of 1 or more"},
        {"--threads=0", "--threads=0: give --threads=N with N a whole number of 1 or more"},
        {"--threads=2x", "--threads=2x: give --threads=N with N a whole number of 1 or more"},
        {"--threads=-1", "--threads=-1: give --threads=N with N a whole number of 1 or more"},
        {"--keep-going=yes", "--keep-going=yes: --keep-going takes no value"},
        {"--simd", "--simd: give --simd=FORM with FORM one of scalar, sse4, avx2, avx512"},
        {"--simd=AVX2", "--simd=AVX2: give --simd=FORM with FORM one of scalar, sse4, avx2, avx512"},
    };
    for (const auto& item : refused) {
        const Parsed bad = parse({"clip.RAW", item.argument, "out.dpx"});
        EXPECT_FALSE(bad.outcome.ok) << item.argument;
        EXPECT_EQ(item.message, bad.outcome.message);
    }
}

TEST(CommandLine, MetadataArgumentsGoToTheTagList) {
    const Parsed parsed = parse({"clip.RAW", "+TIMB=24", ":Director=Q. Ombry", "out.avi"});
    EXPECT_TRUE(parsed.outcome.ok);
    EXPECT_EQ(12 + 16 + 16, parsed.tags.used);
    EXPECT_EQ("add TIMB = 24 (int)\nadd Director = Q. Ombry (freeform)\n", parsed.printed);
    EXPECT_EQ("out.avi", parsed.settings.outputPath);
}
