#include "media/output_format.h"

#include "media/guid.h"

FramePixelFormat toPixelFormat(OutputFormat format) {
    switch (format) {
        case OutputFormat::Raw:
            return FramePixelFormat{makeFourCC("BYR4"), makeFourCC("BYR4"), 16};
        case OutputFormat::Rgb444:
            return FramePixelFormat{makeFourCC("RG48"), makeFourCC("RG48"), 48};
        case OutputFormat::Yuv422:
            break;
    }
    // The 4:2:2 subtype and compression codes differ on purpose: the encoder
    // expects exactly this pair.
    return FramePixelFormat{makeFourCC("YU63"), makeFourCC("YU64"), 32};
}

std::optional<OutputFormat> toOutputFormat(const FramePixelFormat& pixels) {
    for (const OutputFormat format : {OutputFormat::Raw, OutputFormat::Yuv422, OutputFormat::Rgb444})
        if (pixels == toPixelFormat(format)) return format;
    return std::nullopt;
}
