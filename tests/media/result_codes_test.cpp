#include "media/result_codes.h"

#include <gtest/gtest.h>

#include <cerrno>

TEST(ResultCodes, SuccessIsZeroOrPositive) {
    EXPECT_TRUE(succeeded(S_OK));
    EXPECT_TRUE(succeeded(S_FALSE));
    EXPECT_TRUE(succeeded(VFW_S_NO_MORE_ITEMS));
    EXPECT_TRUE(failed(E_FAIL));
    EXPECT_TRUE(failed(REGDB_E_CLASSNOTREG));
    EXPECT_EQ(static_cast<HRESULT>(0x80004005u), E_FAIL);
    EXPECT_EQ(static_cast<HRESULT>(0x80040154u), REGDB_E_CLASSNOTREG);
}

TEST(ResultCodes, AnErrnoTravelsInFacilitySeven) {
    // ENOSPC is 28: 0x80070000 | 0x1C.
    EXPECT_EQ(static_cast<HRESULT>(0x8007001Cu), hresultFromErrno(ENOSPC));
    EXPECT_EQ(ENOSPC, errnoFromHresult(hresultFromErrno(ENOSPC)));
    EXPECT_EQ(EACCES, errnoFromHresult(hresultFromErrno(EACCES)));
    EXPECT_EQ(EIO, errnoFromHresult(hresultFromErrno(EIO)));
}

TEST(ResultCodes, NoErrnoIsNeverTurnedIntoSuccess) {
    EXPECT_EQ(E_FAIL, hresultFromErrno(0));
    EXPECT_EQ(E_FAIL, hresultFromErrno(-5));
}

TEST(ResultCodes, OnlyFacilitySevenFailuresCarryAnErrno) {
    EXPECT_EQ(0, errnoFromHresult(S_OK));
    EXPECT_EQ(0, errnoFromHresult(S_FALSE));
    EXPECT_EQ(0, errnoFromHresult(E_FAIL));
    EXPECT_EQ(0, errnoFromHresult(REGDB_E_CLASSNOTREG));
    EXPECT_EQ(0, errnoFromHresult(VFW_E_NOT_CONNECTED));
    EXPECT_EQ(ENOMEM, errnoFromHresult(E_OUTOFMEMORY));
    EXPECT_EQ(EINVAL, errnoFromHresult(E_INVALIDARG));
}
