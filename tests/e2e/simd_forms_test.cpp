// --simd keeps the program's vector kernels to a narrower form: every form writes
// the same pictures, and an unknown form stops the run before anything is done.
#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "e2e/e2e_clips.h"

using e2e::makeClip;
using testing_support::TempDir;

// A noisy chart (so that the demosaic takes its weighted paths as well as its plain ones),
// 14-bit packed, at a width that leaves columns over after the widest vectors; each type's
// DPX frames from every form equal, pixel for pixel, those of the widest form this
// processor runs. The forms it lacks run as the widest it has.
TEST(SimdForms, EveryFormWritesTheSamePictures) {
    TempDir dir;
    makeClip(dir, {"--width", "1000", "--height", "70", "--frames", "2", "--noise", "300", "clip.RAW"});
    for (const std::string type : {"-d1", "-d2", "-d4", "-d5"}) {
        const auto widest =
            testing_support::runRaw2tvx({"clip.RAW", "wide_%02d.dpx", "-444", type}, dir.path());
        ASSERT_EQ(0, widest.exitCode) << widest.err;
        for (const std::string form : {"scalar", "sse4", "avx2", "avx512"}) {
            SCOPED_TRACE(type + " --simd=" + form);
            const auto run = testing_support::runRaw2tvx(
                {"clip.RAW", form + "_%02d.dpx", "-444", type, "--simd=" + form}, dir.path());
            ASSERT_EQ(0, run.exitCode) << run.err;
            for (const std::string frame : {"00", "01"}) {
                const e2e::DpxPicture expected = e2e::readDpx(dir.path() + "/wide_" + frame + ".dpx");
                const e2e::DpxPicture picture = e2e::readDpx(dir.path() + "/" + form + "_" + frame + ".dpx");
                ASSERT_TRUE(expected.valid && picture.valid);
                ASSERT_EQ(expected.width, picture.width);
                EXPECT_EQ(expected.pixels, picture.pixels) << "frame " << frame;
            }
        }
    }

    const auto unknown = testing_support::runRaw2tvx({"clip.RAW", "null.dpx", "--simd=avx3"}, dir.path());
    EXPECT_EQ(e2e::kUsageStatus, unknown.exitCode);
    EXPECT_NE(std::string::npos, unknown.err.find("--simd=avx3"));
    EXPECT_NE(std::string::npos, unknown.err.find("scalar, sse4, avx2, avx512")) << unknown.err;
}
