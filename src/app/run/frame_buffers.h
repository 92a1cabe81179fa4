#pragma once

#include <cstddef>
#include <cstdint>
#include <memory>

#include "raw/clip_trailer.h"

// A block of 16-bit samples on a 64-byte boundary, made once per clip and
// reused for every frame. Empty until allocate() succeeds.
class SampleBuffer {
public:
    // Makes room for count samples; false (and empty) when the memory cannot be had.
    bool allocate(std::size_t count);
    void release();

    std::uint16_t* data() { return samples_.get(); }
    const std::uint16_t* data() const { return samples_.get(); }
    std::size_t size() const { return count_; }
    bool empty() const { return count_ == 0; }

private:
    struct Free {
        void operator()(std::uint16_t* samples) const;
    };
    std::unique_ptr<std::uint16_t, Free> samples_;
    std::size_t count_ = 0;
};

// The frame buffers of the clip being converted.
struct FrameBuffers {
    SampleBuffer bayer;       // frame width x frame height samples; cropped in place
    SampleBuffer bayerAhead;  // the same for the next frame, read while the pool works on this one
    SampleBuffer rgb;     // crop width x crop height pixels of R, G, B, unless the output takes Bayer frames
    SampleBuffer output;  // output width x output height pixels, when the output size differs

    void release() {
        bayer.release();
        bayerAhead.release();
        rgb.release();
        output.release();
    }
};

// The largest picture (width x height x 6 bytes, at the crop or the output
// size) the converter takes on. With a 64-bit address space that is the
// bound the clip reader puts on one frame, so any frame size a camera
// records converts; a 32-bit process keeps to 96 MiB. Whether the memory can
// actually be had is found out when the pictures are allocated.
inline constexpr std::uint64_t kPictureByteLimit = sizeof(void*) >= 8 ? kMaxFrameBytes : 100663296;
