#pragma once

#include <string>

#include "media/result_codes.h"
#include "platform/status.h"

// Where the media framework meets the code around it: a result code and the
// one result type of everything outside the framework, each way. A failure
// that carries an errno keeps it both ways (facility 7, see hresultFromErrno).

// kWriteFailed with an errno: that errno's code; kNoMemory: E_OUTOFMEMORY;
// kBadInput: E_INVALIDARG; any other failure: E_FAIL.
HRESULT resultFromStatus(const Status& status);

// Success for S_OK and every other success code; a failure that carries an
// errno (other than the two general codes E_OUTOFMEMORY and E_INVALIDARG) is
// kWriteFailed with that errno; E_OUTOFMEMORY is kNoMemory; E_INVALIDARG is
// kBadInput; anything else kFailed. The message says what was being done.
Status statusFromResult(HRESULT result, const std::string& what);
