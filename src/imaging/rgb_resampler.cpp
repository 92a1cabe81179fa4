#include "imaging/rgb_resampler.h"

extern "C" {
#include <libavutil/pixfmt.h>
#include <libswscale/swscale.h>
}

struct RgbResampler::Scaler {
    SwsContext* context = nullptr;
    int sourceWidth = 0, sourceHeight = 0, targetWidth = 0, targetHeight = 0;
    ~Scaler() { sws_freeContext(context); }
};

RgbResampler::RgbResampler() : scaler_(std::make_unique<Scaler>()) {}
RgbResampler::~RgbResampler() = default;

bool RgbResampler::configure(int sourceWidth, int sourceHeight, int targetWidth, int targetHeight) {
    if (sourceWidth < 1 || sourceHeight < 1 || targetWidth < 1 || targetHeight < 1) return false;
    Scaler& s = *scaler_;
    if (s.context && s.sourceWidth == sourceWidth && s.sourceHeight == sourceHeight &&
        s.targetWidth == targetWidth && s.targetHeight == targetHeight)
        return true;
    sws_freeContext(s.context);
    // Our frames hold native 16-bit samples; on x86-64 that is little-endian.
    s.context = sws_getContext(
        sourceWidth, sourceHeight, AV_PIX_FMT_RGB48LE, targetWidth, targetHeight, AV_PIX_FMT_RGB48LE,
        SWS_LANCZOS | SWS_ACCURATE_RND | SWS_BITEXACT | SWS_FULL_CHR_H_INT | SWS_FULL_CHR_H_INP, nullptr,
        nullptr, nullptr);
    s.sourceWidth = sourceWidth;
    s.sourceHeight = sourceHeight;
    s.targetWidth = targetWidth;
    s.targetHeight = targetHeight;
    return s.context != nullptr;
}

bool RgbResampler::resample(const std::uint16_t* source, std::uint16_t* target) const {
    const Scaler& s = *scaler_;
    if (!s.context || !source || !target) return false;
    const std::uint8_t* sourcePlanes[4] = {reinterpret_cast<const std::uint8_t*>(source), nullptr, nullptr,
                                           nullptr};
    const int sourceStrides[4] = {s.sourceWidth * 6, 0, 0, 0};
    std::uint8_t* targetPlanes[4] = {reinterpret_cast<std::uint8_t*>(target), nullptr, nullptr, nullptr};
    const int targetStrides[4] = {s.targetWidth * 6, 0, 0, 0};
    const int rows =
        sws_scale(s.context, sourcePlanes, sourceStrides, 0, s.sourceHeight, targetPlanes, targetStrides);
    return rows == s.targetHeight;
}
