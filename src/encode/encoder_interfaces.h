#pragma once

#include <cstdint>
#include <string>
#include <vector>

#include "media/guid.h"
#include "media/known_ids.h"
#include "media/result_codes.h"
#include "media/unknown.h"

// What the encoding graph asks of an encoder filter beyond the ordinary
// filter interfaces. Both interfaces are optional: an encoder that lacks one
// is simply not configured that way. The encoder classes are
// CLSID_RawBayerEncoder (RAW Bayer frames) and CLSID_PictureEncoder (RGB 4:4:4
// and YUV 4:2:2 pictures), in media/known_ids.h.

inline constexpr Guid IID_IEncoderSettings = makeGuid("{3275F6ED-207D-4F0F-BE16-50749DF23196}");
inline constexpr Guid IID_IEncoderMetadata = makeGuid("{2514F394-1853-4C29-BE49-F4DD73510A66}");

// The encoder's four settings, sent once before any pin is connected, in this
// order. Results are not looked at.
struct IEncoderSettings : virtual IUnknown {
    static constexpr Guid kIid = IID_IEncoderSettings;

    // The -q value as the user gave it (1 to 5 documented, 4 by default).
    virtual HRESULT SetQuality(std::int32_t quality) = 0;
    virtual HRESULT SetOptionValue(std::int32_t value) = 0;
    // Flags: 0 off, anything else on.
    virtual HRESULT SetOptionFlagA(std::int32_t on) = 0;
    virtual HRESULT SetOptionFlagB(std::int32_t on) = 0;
};

// Metadata tags for the movie, sent one call per tag before any pin is
// connected: the fixed tags first, then the user's. Results are not looked at.
struct IEncoderMetadata : virtual IUnknown {
    static constexpr Guid kIid = IID_IEncoderMetadata;

    // tag: four characters in memory order (the first in the low byte).
    // type: the type character, widened ('c' text, 'f' 32-bit floats,
    //   'L' 32-bit signed integers, 'H' a 32-bit hexadecimal value,
    //   'b' bytes).
    // value: size bytes, little-endian numbers; valid only during the call.
    virtual HRESULT SetMetadata(std::uint32_t tag, std::int32_t type, std::uint32_t size,
                                const void* value) = 0;
};

inline constexpr Guid IID_IFrameRateSource = makeGuid("{122F0579-3B15-4149-BA50-FA09AB197C6D}");
inline constexpr Guid IID_IComponentMessages = makeGuid("{5BCCC70E-0FF1-416E-BE55-3CCD62D2C782}");

// Offered by the frame source's output pin: the exact frame rate as a
// fraction. The media type carries only the time per frame in 100-ns units,
// which cannot tell 24000/1001 from its neighbours; a movie's rate must be
// the exact one.
struct IFrameRateSource : virtual IUnknown {
    static constexpr Guid kIid = IID_IFrameRateSource;

    // Frames per second as numerator / denominator, both above 0.
    virtual HRESULT GetFrameRate(std::int32_t* numerator, std::int32_t* denominator) = 0;
};

// Offered by a component that has something to tell the user about the movie
// it made (metadata it could not store, a start time code it refused). The
// components print nothing themselves.
struct IComponentMessages : virtual IUnknown {
    static constexpr Guid kIid = IID_IComponentMessages;

    // Appends the messages gathered since the last call, and forgets them.
    virtual HRESULT TakeMessages(std::vector<std::string>* messages) = 0;
};
