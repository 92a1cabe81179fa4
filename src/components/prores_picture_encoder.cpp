#include "components/prores_picture_encoder.h"

#include <cstdint>
#include <string>
#include <utility>
#include <vector>

#include "components/rgb48_to_ycbcr444.h"
#include "components/yuv422_words_to_planes.h"

extern "C" {
#include <libavcodec/avcodec.h>
#include <libavutil/error.h>
#include <libavutil/frame.h>
#include <libavutil/opt.h>
}

namespace {

struct CodecContextFree {
    void operator()(AVCodecContext* context) const { avcodec_free_context(&context); }
};
struct FrameFree {
    void operator()(AVFrame* frame) const { av_frame_free(&frame); }
};
struct PacketFree {
    void operator()(AVPacket* packet) const { av_packet_free(&packet); }
};
using CodecContextPtr = std::unique_ptr<AVCodecContext, CodecContextFree>;
using FramePtr = std::unique_ptr<AVFrame, FrameFree>;
using PacketPtr = std::unique_ptr<AVPacket, PacketFree>;

// The frame header holds width and height in 16 bits.
constexpr int kLargestSide = 65535;

// A movie declares 24-bit colour for ProRes pictures without alpha.
constexpr int kCodedDepth = 24;

Status libraryError(const char* what, int code) {
    char text[AV_ERROR_MAX_STRING_SIZE] = {};
    av_strerror(code, text, sizeof text);
    return Status::failure(code == AVERROR(ENOMEM) ? ErrorCode::kNoMemory : ErrorCode::kFailed,
                           std::string(what) + ": " + text);
}

Status refusal(std::string message) {
    return Status::failure(ErrorCode::kBadInput, std::move(message));
}

}  // namespace

struct ProResPictureEncoder::Codec {
    OutputFormat kind = OutputFormat::Yuv422;
    int width = 0;
    int height = 0;
    ProResSettings settings;
    EncodedStreamInfo info;
    CodecContextPtr context;
    PacketPtr packet;
    // Picture buffers the codec may still hold: with frame threads it keeps a reference to
    // the pictures it is encoding. A buffer is filled again only when the packet of the
    // frame it last carried has come out and the codec has let go of it. The second test
    // alone would do; the first puts the codec's own lock between its last read of the
    // picture and our next write, where thread checkers can see it.
    struct Picture {
        FramePtr frame;
        std::int64_t frameIndex = -1;
    };
    std::vector<Picture> pictures;
    EncodedPacket output;  // reused, so its buffer grows to the largest frame once
    std::int64_t submitted = 0;
    std::int64_t delivered = 0;
    bool flushed = false;
    Status failure = Status::failure(ErrorCode::kFailed, "the encoder is not open");

    Status fail(Status status) {
        failure = std::move(status);
        return failure;
    }
    AVFrame* writableFrame();
    Status drain(const PacketSink& sink);
};

ProResPictureEncoder::ProResPictureEncoder() : codec_(std::make_unique<Codec>()) {}
ProResPictureEncoder::~ProResPictureEncoder() = default;

Status ProResPictureEncoder::open(OutputFormat kind, int width, int height, int quality, int rateNumerator,
                                  int rateDenominator, ProResThreading threading,
                                  AVColorTransferCharacteristic transfer) {
    codec_ = std::make_unique<Codec>();
    Codec& c = *codec_;
    if (kind == OutputFormat::Raw) return c.fail(refusal("ProRes takes pictures, not Bayer frames"));
    if (width < 1 || height < 1 || width > kLargestSide || height > kLargestSide)
        return c.fail(refusal("picture size " + std::to_string(width) + "x" + std::to_string(height) +
                              " is outside 1..65535"));
    if (kind == OutputFormat::Yuv422 && width % 2 != 0)
        return c.fail(refusal("4:2:2 pictures need an even width, not " + std::to_string(width)));
    if (rateNumerator < 1 || rateDenominator < 1)
        return c.fail(refusal("frame rate " + std::to_string(rateNumerator) + "/" +
                              std::to_string(rateDenominator) + " is not a positive fraction"));
    if (threading.threads < 1) return c.fail(refusal("the codec needs at least one thread"));

    const AVCodec* encoder = avcodec_find_encoder_by_name("prores_ks");
    if (!encoder)
        return c.fail(
            Status::failure(ErrorCode::kUnsupported, "this FFmpeg has no ProRes encoder (prores_ks)"));
    c.context.reset(avcodec_alloc_context3(encoder));
    c.packet.reset(av_packet_alloc());
    if (!c.context || !c.packet)
        return c.fail(Status::failure(ErrorCode::kNoMemory, "out of memory for the codec"));

    c.kind = kind;
    c.width = width;
    c.height = height;
    c.settings = chooseProResSettings(kind, quality);
    AVCodecContext& context = *c.context;
    context.width = width;
    context.height = height;
    context.pix_fmt = kind == OutputFormat::Yuv422 ? AV_PIX_FMT_YUV422P10LE : AV_PIX_FMT_YUV444P10LE;
    // Time stamps count frames: one tick is one frame.
    context.time_base = AVRational{rateDenominator, rateNumerator};
    context.framerate = AVRational{rateNumerator, rateDenominator};
    context.sample_aspect_ratio = AVRational{1, 1};
    // A fixed quantiser: the codec's own rate control searches per slice and runs at a
    // fraction of the speed.
    context.flags |= AV_CODEC_FLAG_QSCALE | AV_CODEC_FLAG_BITEXACT;
    context.global_quality = c.settings.quantiser * FF_QP2LAMBDA;
    context.thread_count = threading.threads;
    context.thread_type = threading.sliceThreads ? FF_THREAD_SLICE : FF_THREAD_FRAME;
    context.colorspace = AVCOL_SPC_BT709;
    context.color_range = AVCOL_RANGE_MPEG;
    context.color_primaries = AVCOL_PRI_UNSPECIFIED;
    context.color_trc = transfer;
    // The codec takes its profile from its own option, not from the context's profile.
    int result = av_opt_set_int(context.priv_data, "profile", c.settings.profile, 0);
    if (result < 0) return c.fail(libraryError("cannot choose the ProRes profile", result));
    result = avcodec_open2(&context, encoder, nullptr);
    if (result < 0) return c.fail(libraryError("cannot open the ProRes encoder", result));

    EncodedStreamInfo& info = c.info;
    info.codecId = AV_CODEC_ID_PRORES;
    info.codecTag = context.codec_tag;
    info.width = width;
    info.height = height;
    info.bitsPerCodedSample = kCodedDepth;
    info.profile = c.settings.profile;
    info.rateNumerator = rateNumerator;
    info.rateDenominator = rateDenominator;
    info.colorSpace = context.colorspace;
    info.colorRange = context.color_range;
    info.colorPrimaries = context.color_primaries;
    info.colorTransfer = context.color_trc;
    if (context.extradata && context.extradata_size > 0)
        info.extradata.assign(context.extradata, context.extradata + context.extradata_size);
    c.failure = Status{};
    return {};
}

const EncodedStreamInfo& ProResPictureEncoder::streamInfo() const {
    return codec_->info;
}

const ProResSettings& ProResPictureEncoder::settings() const {
    return codec_->settings;
}

std::size_t ProResPictureEncoder::packedRowBytes() const {
    const std::size_t bytesPerPixel = codec_->kind == OutputFormat::Yuv422 ? 4 : 6;
    return bytesPerPixel * static_cast<std::size_t>(codec_->width);
}

AVFrame* ProResPictureEncoder::Codec::writableFrame() {
    for (Picture& picture : pictures)
        if (picture.frameIndex < delivered && av_frame_is_writable(picture.frame.get())) {
            picture.frameIndex = submitted;
            return picture.frame.get();
        }
    FramePtr frame(av_frame_alloc());
    if (!frame) return nullptr;
    frame->format = context->pix_fmt;
    frame->width = width;
    frame->height = height;
    if (av_frame_get_buffer(frame.get(), 0) < 0) return nullptr;
    pictures.push_back({std::move(frame), submitted});
    return pictures.back().frame.get();
}

Status ProResPictureEncoder::Codec::drain(const PacketSink& sink) {
    for (;;) {
        const int result = avcodec_receive_packet(context.get(), packet.get());
        if (result == AVERROR(EAGAIN) || result == AVERROR_EOF) return {};
        if (result < 0) return fail(libraryError("the ProRes encoder failed", result));
        output.data.assign(packet->data, packet->data + packet->size);
        output.frameIndex = packet->pts;
        av_packet_unref(packet.get());
        // Every frame is a key frame and the codec keeps their order.
        if (output.frameIndex != delivered)
            return fail(Status::failure(ErrorCode::kFailed,
                                        "the encoder returned frame " + std::to_string(output.frameIndex) +
                                            " where frame " + std::to_string(delivered) + " was due"));
        ++delivered;
        if (!sink || !sink(output))
            return fail(Status::failure(
                ErrorCode::kFailed,
                "the packet of frame " + std::to_string(output.frameIndex) + " was not taken"));
    }
}

Status ProResPictureEncoder::encode(const std::uint8_t* rows, std::size_t rowBytes, const PacketSink& sink) {
    Codec& c = *codec_;
    if (!c.failure.ok()) return c.failure;
    if (c.flushed) return c.fail(refusal("the stream has ended"));
    if (!rows) return c.fail(refusal("no picture"));
    if (rowBytes < packedRowBytes())
        return c.fail(refusal("rows of " + std::to_string(rowBytes) +
                              " bytes are shorter than a picture row of " +
                              std::to_string(packedRowBytes())));
    if (reinterpret_cast<std::uintptr_t>(rows) % 2 != 0 || rowBytes % 2 != 0)
        return c.fail(refusal("the picture's 16-bit samples are not aligned"));

    AVFrame* frame = c.writableFrame();
    if (!frame) return c.fail(Status::failure(ErrorCode::kNoMemory, "out of memory for a picture"));
    // Planes of 10-bit samples: av_frame_get_buffer aligned every row to 16-bit words.
    const auto plane = [frame](int index) { return reinterpret_cast<std::uint16_t*>(frame->data[index]); };
    const Yuv10Planes planes = {
        plane(0), plane(1), plane(2), frame->linesize[0] / 2, frame->linesize[1] / 2, frame->linesize[2] / 2};
    if (c.kind == OutputFormat::Yuv422)
        convertYuv422WordsToPlanes(rows, rowBytes, c.width, 0, c.height, planes);
    else
        convertRgb48ToYcbcr444(rows, rowBytes, c.width, 0, c.height, planes);

    // The codec writes the colour description of each frame from the frame, not from the
    // context; decoders then read it from every frame.
    frame->colorspace = AVCOL_SPC_BT709;
    frame->color_range = AVCOL_RANGE_MPEG;
    frame->color_primaries = AVCOL_PRI_UNSPECIFIED;
    frame->color_trc = c.context->color_trc;
    frame->pts = c.submitted;

    int result = avcodec_send_frame(c.context.get(), frame);
    if (result == AVERROR(EAGAIN)) {
        if (const Status drained = c.drain(sink); !drained.ok()) return drained;
        result = avcodec_send_frame(c.context.get(), frame);
    }
    if (result < 0) return c.fail(libraryError("the ProRes encoder refused a frame", result));
    ++c.submitted;
    return c.drain(sink);
}

Status ProResPictureEncoder::flush(const PacketSink& sink) {
    Codec& c = *codec_;
    if (!c.failure.ok()) return c.failure;
    if (c.flushed) return {};
    c.flushed = true;
    const int result = avcodec_send_frame(c.context.get(), nullptr);
    if (result < 0) return c.fail(libraryError("the ProRes encoder could not end the stream", result));
    if (const Status drained = c.drain(sink); !drained.ok()) return drained;
    if (c.delivered != c.submitted)
        return c.fail(Status::failure(ErrorCode::kFailed, "the encoder returned " +
                                                              std::to_string(c.delivered) + " of " +
                                                              std::to_string(c.submitted) + " frames"));
    return {};
}

std::int64_t ProResPictureEncoder::framesSubmitted() const {
    return codec_->submitted;
}

std::size_t ProResPictureEncoder::pictureBuffers() const {
    return codec_->pictures.size();
}

std::int64_t ProResPictureEncoder::packetsDelivered() const {
    return codec_->delivered;
}
