#pragma once

#include <cstdint>

// Result codes of the media framework and of everything built on it: zero or
// positive is success (S_FALSE and the VFW_S_ codes carry extra news), negative
// is failure. The values are the ones media components traditionally use, so
// a code read in a log means what it always meant.
using HRESULT = std::int32_t;

namespace media_detail {
constexpr HRESULT code(std::uint32_t bits) {
    return static_cast<HRESULT>(bits);
}
}  // namespace media_detail

inline constexpr HRESULT S_OK = 0;
inline constexpr HRESULT S_FALSE = 1;

inline constexpr HRESULT E_NOTIMPL = media_detail::code(0x80004001);
inline constexpr HRESULT E_NOINTERFACE = media_detail::code(0x80004002);
inline constexpr HRESULT E_POINTER = media_detail::code(0x80004003);
inline constexpr HRESULT E_ABORT = media_detail::code(0x80004004);
inline constexpr HRESULT E_FAIL = media_detail::code(0x80004005);
inline constexpr HRESULT E_UNEXPECTED = media_detail::code(0x8000FFFF);
inline constexpr HRESULT E_OUTOFMEMORY = media_detail::code(0x8007000E);
inline constexpr HRESULT E_INVALIDARG = media_detail::code(0x80070057);
inline constexpr HRESULT REGDB_E_CLASSNOTREG = media_detail::code(0x80040154);

inline constexpr HRESULT VFW_S_NO_MORE_ITEMS = 0x00040103;
inline constexpr HRESULT VFW_S_DUPLICATE_NAME = 0x0004022D;
inline constexpr HRESULT VFW_S_NO_STOP_TIME = 0x00040270;

inline constexpr HRESULT VFW_E_ALREADY_CONNECTED = media_detail::code(0x80040204);
inline constexpr HRESULT VFW_E_NO_ACCEPTABLE_TYPES = media_detail::code(0x80040207);
inline constexpr HRESULT VFW_E_INVALID_DIRECTION = media_detail::code(0x80040208);
inline constexpr HRESULT VFW_E_NOT_CONNECTED = media_detail::code(0x80040209);
inline constexpr HRESULT VFW_E_NO_ALLOCATOR = media_detail::code(0x8004020A);
inline constexpr HRESULT VFW_E_RUNTIME_ERROR = media_detail::code(0x8004020B);
inline constexpr HRESULT VFW_E_BUFFER_NOTSET = media_detail::code(0x8004020C);
inline constexpr HRESULT VFW_E_BUFFER_OVERFLOW = media_detail::code(0x8004020D);
inline constexpr HRESULT VFW_E_BADALIGN = media_detail::code(0x8004020E);
inline constexpr HRESULT VFW_E_ALREADY_COMMITTED = media_detail::code(0x8004020F);
inline constexpr HRESULT VFW_E_BUFFERS_OUTSTANDING = media_detail::code(0x80040210);
inline constexpr HRESULT VFW_E_NOT_COMMITTED = media_detail::code(0x80040211);
inline constexpr HRESULT VFW_E_SIZENOTSET = media_detail::code(0x80040212);
inline constexpr HRESULT VFW_E_NOT_FOUND = media_detail::code(0x80040216);
inline constexpr HRESULT VFW_E_NOT_STOPPED = media_detail::code(0x80040224);
inline constexpr HRESULT VFW_E_WRONG_STATE = media_detail::code(0x80040227);
inline constexpr HRESULT VFW_E_TYPE_NOT_ACCEPTED = media_detail::code(0x8004022A);
inline constexpr HRESULT VFW_E_DUPLICATE_NAME = media_detail::code(0x8004022D);
inline constexpr HRESULT VFW_E_TIMEOUT = media_detail::code(0x8004022E);
inline constexpr HRESULT VFW_E_SAMPLE_TIME_NOT_SET = media_detail::code(0x80040249);
inline constexpr HRESULT VFW_E_NOT_IN_GRAPH = media_detail::code(0x8004025F);

// The same spelling the older name had; both are in use.
inline constexpr HRESULT VFW_E_INVALIDDIRECTION = VFW_E_INVALID_DIRECTION;

inline constexpr bool succeeded(HRESULT result) {
    return result >= 0;
}
inline constexpr bool failed(HRESULT result) {
    return result < 0;
}

// A failure that carries an errno value: facility 7, the errno in the low 16
// bits. Zero or a negative value is no errno at all and gives E_FAIL, so a
// failure is never turned into success.
inline constexpr HRESULT hresultFromErrno(int error) {
    if (error <= 0) return E_FAIL;
    return media_detail::code(0x80070000u | (static_cast<std::uint32_t>(error) & 0xFFFFu));
}

// The errno a failure carries, or 0 when it carries none. Facility-7 failures
// carry their low 16 bits, except the two general codes of that facility:
// E_OUTOFMEMORY reads as ENOMEM and E_INVALIDARG as EINVAL. So errno 14
// (EFAULT) and 87 (EUSERS), whose codes those two are, come back as ENOMEM and
// EINVAL; neither can come out of a file write given a valid buffer.
int errnoFromHresult(HRESULT result);
