#include "imaging/tone_curves.h"

#include <gtest/gtest.h>

TEST(CurveDescriptor, FindsTheClosestFractionWithSmallTerms) {
    EXPECT_EQ(0x17101u, curveDescriptor(1, 113.0f));
    EXPECT_EQ(0x1FF01u, curveDescriptor(1, 400.0f));
    EXPECT_EQ(0x20B05u, curveDescriptor(2, 2.2f));
    EXPECT_EQ(0x20C05u, curveDescriptor(2, 2.4f));
    EXPECT_EQ(0x101FFu, curveDescriptor(1, 0.0f));
    EXPECT_EQ(0x50101u, curveDescriptor(5, 2.2f));
    // 1.5 = 3/2 = 6/4: the smallest denominator wins.
    EXPECT_EQ(0x10302u, curveDescriptor(1, 1.5f));
    EXPECT_EQ(0x20101u, curveDescriptor(2, 1.0f));
}

TEST(ToneCurves, MeetTheirEndsAndTheCineonBlackPoint) {
    EXPECT_EQ(0.0f, logCurve(0.0f, 113.0f));
    EXPECT_NEAR(1.0, static_cast<double>(logCurve(1.0f, 113.0f)), 1e-6);
    EXPECT_EQ(1.0f, gammaCurve(1.0f, 2.2f));
    EXPECT_NEAR(0.5, static_cast<double>(gammaCurve(0.25f, 2.0f)), 1e-6);
    // 10^((95 - 685) * 0.002 / 0.6 / 1.7) = 10^(-1.1568...) = 0.069685...
    const float offset = cineonToLinear(95.0f, 685.0f);
    EXPECT_NEAR(0.069685, static_cast<double>(offset), 1e-6);
    EXPECT_NEAR(95.0, static_cast<double>(linearToCineon(offset, 685.0f)), 1e-3);
    EXPECT_NEAR(685.0, static_cast<double>(linearToCineon(1.0f, 685.0f)), 1e-4);
}
