#include "components/curve_transfer.h"

#include <gtest/gtest.h>

// Descriptors worked by hand: kind x 65536 + numerator x 256 + denominator.
TEST(CurveTransfer, NamesOnlyThePowersThatHaveACode) {
    EXPECT_EQ(AVCOL_TRC_LINEAR, lookUpCurveTransfer(0x20101));       // gamma 1/1
    EXPECT_EQ(AVCOL_TRC_GAMMA22, lookUpCurveTransfer(0x20B05));      // gamma 11/5
    EXPECT_EQ(AVCOL_TRC_GAMMA28, lookUpCurveTransfer(0x20E05));      // gamma 14/5
    EXPECT_EQ(AVCOL_TRC_UNSPECIFIED, lookUpCurveTransfer(0x20C05));  // gamma 2.4: no pure-power code
    EXPECT_EQ(AVCOL_TRC_UNSPECIFIED, lookUpCurveTransfer(0x21601));  // gamma 22/1
    EXPECT_EQ(AVCOL_TRC_UNSPECIFIED, lookUpCurveTransfer(0x17101));  // log 113
    EXPECT_EQ(AVCOL_TRC_UNSPECIFIED, lookUpCurveTransfer(0x10B05));  // log 2.2
    EXPECT_EQ(AVCOL_TRC_UNSPECIFIED, lookUpCurveTransfer(0x50101));  // Cineon
    EXPECT_EQ(AVCOL_TRC_UNSPECIFIED, lookUpCurveTransfer(0));
}
