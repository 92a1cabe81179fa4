#pragma once

#include <vector>

#include "components/encoded_stream.h"
#include "media/guid.h"
#include "media/result_codes.h"
#include "media/unknown.h"
#include "timing/movie_tag.h"

inline constexpr Guid IID_IEncodedStream = makeGuid("{74CC8152-F083-40E8-ADB6-0F994D00EC7A}");

// Offered by the encoder's output pin to the multiplexer it connects to:
// what the movie's header needs to say of the stream, and the tags the
// encoder was given, in the order it got them. Both are known before the
// encoder's output is connected.
struct IEncodedStream : virtual IUnknown {
    static constexpr Guid kIid = IID_IEncodedStream;

    virtual HRESULT GetStreamInfo(EncodedStreamInfo* info) = 0;
    virtual HRESULT GetTags(std::vector<MovieTag>* tags) = 0;
};
