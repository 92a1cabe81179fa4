#include "media/result_status.h"

#include <cstdio>

#include "platform/path.h"

HRESULT resultFromStatus(const Status& status) {
    switch (status.code()) {
        case ErrorCode::kNone:
            return S_OK;
        case ErrorCode::kWriteFailed:
            return status.systemError() > 0 ? hresultFromErrno(status.systemError()) : E_FAIL;
        case ErrorCode::kNoMemory:
            return E_OUTOFMEMORY;
        case ErrorCode::kBadInput:
            return E_INVALIDARG;
        default:
            return E_FAIL;
    }
}

Status statusFromResult(HRESULT result, const std::string& what) {
    if (succeeded(result)) return {};
    if (result == E_OUTOFMEMORY) return Status::failure(ErrorCode::kNoMemory, what + ": out of memory");
    if (result == E_INVALIDARG) return Status::failure(ErrorCode::kBadInput, what + ": invalid argument");
    if (const int error = errnoFromHresult(result))
        return Status::failure(ErrorCode::kWriteFailed, what + ": " + platform::errorText(error), error);
    char code[16];
    std::snprintf(code, sizeof code, "0x%08X", static_cast<unsigned>(result));
    return Status::failure(ErrorCode::kFailed, what + ": result " + code);
}
