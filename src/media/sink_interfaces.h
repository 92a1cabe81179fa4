#pragma once

#include <cstdint>
#include <string>

#include "media/known_ids.h"
#include "media/media_type.h"
#include "media/result_codes.h"
#include "media/unknown.h"

// The interfaces of filters that write files, and of the AVI multiplexer's
// interleaving control.

// SetMode flag: an existing file of the name is replaced.
inline constexpr std::uint32_t AM_FILE_OVERWRITE = 1;

struct IFileSinkFilter : virtual IUnknown {
    static constexpr Guid kIid = IID_IFileSinkFilter;

    // The file to write, a UTF-8 path; type may be null.
    virtual HRESULT SetFileName(const std::string& path, const MediaType* type) = 0;
};

struct IFileSinkFilter2 : IFileSinkFilter {
    static constexpr Guid kIid = IID_IFileSinkFilter2;

    virtual HRESULT SetMode(std::uint32_t flags) = 0;
};

enum class InterleavingMode : std::int32_t {
    None = 0,          // INTERLEAVE_NONE
    Capture = 1,       // INTERLEAVE_CAPTURE
    Full = 2,          // INTERLEAVE_FULL
    NoneBuffered = 3,  // INTERLEAVE_NONE_BUFFERED
};

struct IConfigInterleaving : virtual IUnknown {
    static constexpr Guid kIid = IID_IConfigInterleaving;

    virtual HRESULT put_Mode(InterleavingMode mode) = 0;
    // Interleave and preroll times in 100-ns units.
    virtual HRESULT put_Interleaving(const std::int64_t* interleave, const std::int64_t* preroll) = 0;
};
