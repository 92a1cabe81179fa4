#include "media/result_status.h"

#include <gtest/gtest.h>

#include <cerrno>

// ENOSPC is 28: its code is 0x80070000 | 0x1C, both ways.
TEST(ResultStatus, AWriteFailureKeepsItsErrnoBothWays) {
    const Status full = statusFromResult(static_cast<HRESULT>(0x8007001Cu), "writing a.mov");
    EXPECT_EQ(ErrorCode::kWriteFailed, full.code());
    EXPECT_EQ(ENOSPC, full.systemError());
    EXPECT_EQ("writing a.mov: No space left on device", full.message());
    EXPECT_EQ(static_cast<HRESULT>(0x8007001Cu), resultFromStatus(full));
}

TEST(ResultStatus, TheGeneralCodesAreNoWriteFailures) {
    EXPECT_EQ(ErrorCode::kNoMemory, statusFromResult(E_OUTOFMEMORY, "x").code());
    EXPECT_EQ(ErrorCode::kBadInput, statusFromResult(E_INVALIDARG, "x").code());
    const Status missing = statusFromResult(REGDB_E_CLASSNOTREG, "building the graph");
    EXPECT_EQ(ErrorCode::kFailed, missing.code());
    EXPECT_EQ(0, missing.systemError());
    EXPECT_EQ("building the graph: result 0x80040154", missing.message());
    EXPECT_EQ(E_OUTOFMEMORY, resultFromStatus(Status::failure(ErrorCode::kNoMemory, "x")));
    EXPECT_EQ(E_INVALIDARG, resultFromStatus(Status::failure(ErrorCode::kBadInput, "x")));
    EXPECT_EQ(E_FAIL, resultFromStatus(Status::failure(ErrorCode::kUnsupported, "x")));
    EXPECT_EQ(E_FAIL, resultFromStatus(Status::failure(ErrorCode::kWriteFailed, "no errno")));
}

TEST(ResultStatus, SuccessCodesAreSuccess) {
    EXPECT_TRUE(statusFromResult(S_OK, "x").ok());
    EXPECT_TRUE(statusFromResult(S_FALSE, "x").ok());
    EXPECT_EQ(S_OK, resultFromStatus(Status{}));
}
