#include "components/encoder_filter.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <cerrno>
#include <cstdint>
#include <cstdio>
#include <cstring>
#include <string>
#include <vector>

extern "C" {
#include <libavcodec/avcodec.h>
}

#include "media/filter_graph.h"
#include "media/known_ids.h"
#include "media/video_info.h"
#include "support/media_fakes/fake_filters.h"

using media_fakes::FakePushSource;
using media_fakes::FakeSink;

namespace {

constexpr std::int64_t kFrameTime = 400000;  // 25 frames a second

std::uint32_t fourcc(const std::string& text) {
    return static_cast<std::uint32_t>(static_cast<unsigned char>(text[0])) |
           static_cast<std::uint32_t>(static_cast<unsigned char>(text[1])) << 8 |
           static_cast<std::uint32_t>(static_cast<unsigned char>(text[2])) << 16 |
           static_cast<std::uint32_t>(static_cast<unsigned char>(text[3])) << 24;
}

std::uint32_t rowBytes(int width, int bits) {
    return ((static_cast<std::uint32_t>(width) * static_cast<std::uint32_t>(bits) + 31) / 8) & ~3u;
}

// A video type as a frame source offers it: subtype and compression code,
// bits per pixel, the image size from the padded rows, in a VIDEOINFO (or a
// VIDEOINFOHEADER2) block.
MediaType frameType(const std::string& subtype, const std::string& compression, int bits, int width,
                    int height, bool videoInfo2 = false) {
    BitmapInfoHeader bitmap;
    bitmap.width = width;
    bitmap.height = height;
    bitmap.bitCount = static_cast<std::uint16_t>(bits);
    bitmap.compression = fourcc(compression);
    bitmap.sizeImage = rowBytes(width, bits) * static_cast<std::uint32_t>(height);
    MediaType type;
    type.majorType = MEDIATYPE_Video;
    type.subtype = fourccGuid(fourcc(subtype));
    type.sampleSize = bitmap.sizeImage;
    if (videoInfo2) {
        type.formatType = FORMAT_VideoInfo2;
        type.format.assign(kVideoInfoHeader2Bytes, 0);
        writeBitmapInfoHeader(type.format, kVideoInfo2BitmapOffset, bitmap);
        // AvgTimePerFrame sits at the same place in both blocks.
        for (int byte = 0; byte < 8; ++byte)
            type.format[40 + static_cast<std::size_t>(byte)] =
                static_cast<std::uint8_t>(kFrameTime >> (8 * byte));
    } else {
        VideoInfoHeader header;
        header.avgTimePerFrame = kFrameTime;
        header.bitmap = bitmap;
        type.formatType = FORMAT_VideoInfo;
        type.format = makeVideoInfo(header);
    }
    return type;
}

MediaType bayerType(int width, int height) {
    return frameType("BYR4", "BYR4", 16, width, height);
}

ComPtr<CEncoderFilter> makeEncoder(const Guid& clsid) {
    return makeComObject<CEncoderFilter>(clsid);
}

HRESULT acceptance(const Guid& clsid, const MediaType& type) {
    ComPtr<CEncoderFilter> encoder = makeEncoder(clsid);
    return static_cast<CBasePin*>(encoder->GetPin(0))->CheckMediaType(type);
}

// A Bayer frame of 16-bit samples, different in every frame.
std::vector<std::uint8_t> bayerFrame(int width, int height, int frame) {
    std::vector<std::uint8_t> bytes(static_cast<std::size_t>(width) * height * 2);
    for (std::size_t index = 0; index < bytes.size() / 2; ++index) {
        const auto sample =
            static_cast<std::uint16_t>((index * 97 + static_cast<std::size_t>(frame) * 4099) % 65536);
        bytes[2 * index] = static_cast<std::uint8_t>(sample);
        bytes[2 * index + 1] = static_cast<std::uint8_t>(sample >> 8);
    }
    return bytes;
}

std::uint16_t sampleAt(const std::vector<std::uint8_t>& frame, int width, int x, int y) {
    const std::size_t at = (static_cast<std::size_t>(y) * width + x) * 2;
    return static_cast<std::uint16_t>(frame[at] | frame[at + 1] << 8);
}

// One compressed frame through FFmpeg's decoder for the codec: its pixel
// format and the 16-bit samples of its first plane, row by row.
struct Decoded {
    AVPixelFormat format = AV_PIX_FMT_NONE;
    int width = 0;
    int height = 0;
    std::vector<std::uint16_t> firstPlane;
};

// The codec tag tells the ProRes decoder the depth of 4444 frames.
Decoded decodePacket(AVCodecID codecId, const std::vector<std::uint8_t>& bytes, std::uint32_t codecTag = 0) {
    Decoded decoded;
    // The decoder's notes on every first frame are of no interest here.
    av_log_set_level(AV_LOG_ERROR);
    const AVCodec* codec = avcodec_find_decoder(codecId);
    AVCodecContext* context = avcodec_alloc_context3(codec);
    context->codec_tag = codecTag;
    AVPacket* packet = av_packet_alloc();
    AVFrame* frame = av_frame_alloc();
    std::vector<std::uint8_t> padded(bytes);
    padded.resize(bytes.size() + AV_INPUT_BUFFER_PADDING_SIZE, 0);
    packet->data = padded.data();
    packet->size = static_cast<int>(bytes.size());
    if (avcodec_open2(context, codec, nullptr) >= 0 && avcodec_send_packet(context, packet) >= 0 &&
        avcodec_receive_frame(context, frame) >= 0) {
        decoded.format = static_cast<AVPixelFormat>(frame->format);
        decoded.width = frame->width;
        decoded.height = frame->height;
        for (int y = 0; y < frame->height; ++y) {
            const std::uint8_t* row = frame->data[0] + static_cast<std::ptrdiff_t>(y) * frame->linesize[0];
            for (int x = 0; x < frame->width; ++x)
                decoded.firstPlane.push_back(static_cast<std::uint16_t>(row[2 * x] | row[2 * x + 1] << 8));
        }
    }
    packet->data = nullptr;
    packet->size = 0;
    av_frame_free(&frame);
    av_packet_free(&packet);
    avcodec_free_context(&context);
    return decoded;
}

// A source pushing frames of one type, the encoder, and a sink recording the
// compressed frames, connected and ready to run.
struct EncoderGraph {
    ComPtr<CFilterGraph> graph = makeComObject<CFilterGraph>();
    ComPtr<FakePushSource> source;
    ComPtr<CEncoderFilter> encoder;
    ComPtr<FakeSink> sink;

    EncoderGraph(const Guid& clsid, const MediaType& type, FakeSink::Options sinkOptions = {},
                 const std::vector<MovieTag>& tags = {}) {
        FakePushSource::Options sourceOptions;
        sourceOptions.types.offered.push_back(type);
        sourceOptions.buffers = {2, static_cast<std::int32_t>(type.sampleSize), 0, 0};
        source = makeComObject<FakePushSource>(std::move(sourceOptions));
        encoder = makeEncoder(clsid);
        sink = makeComObject<FakeSink>(std::move(sinkOptions), nullptr, "sink");
        for (const MovieTag& tag : tags)
            EXPECT_EQ(S_OK,
                      encoder->SetMetadata(tag.tag, tag.type, static_cast<std::uint32_t>(tag.value.size()),
                                           tag.value.data()));
        EXPECT_EQ(S_OK, graph->AddFilter(source.get(), "source"));
        EXPECT_EQ(S_OK, graph->AddFilter(encoder.get(), "encoder"));
        EXPECT_EQ(S_OK, graph->AddFilter(sink.get(), "sink"));
        EXPECT_EQ(S_OK, graph->Connect(source->GetPin(0), encoder->GetPin(0)));
        EXPECT_EQ(S_OK, graph->Connect(encoder->GetPin(1), sink->GetPin(0)));
    }
    ~EncoderGraph() {
        graph->Stop();
        graph.reset();
    }
};

}  // namespace

// Each class takes exactly its frame types: the RAW class "BYR4" at 16 bits,
// the picture class "RG48" at 48 bits and subtype "YU63" with compression
// "YU64" at 32 bits, in a VideoInfo or VideoInfo2 block.
TEST(EncoderFilter, EachClassTakesExactlyItsFrameTypes) {
    struct Case {
        MediaType type;
        HRESULT raw, picture;
        const char* what;
    };
    MediaType streamType = bayerType(64, 32);
    streamType.majorType = MEDIATYPE_Stream;
    MediaType noFormat = bayerType(64, 32);
    noFormat.formatType = FORMAT_None;
    noFormat.format.clear();
    MediaType wrongImageSize = frameType("RG48", "RG48", 48, 64, 32);
    writeBitmapInfoHeader(wrongImageSize.format, kVideoInfoBitmapOffset, [] {
        BitmapInfoHeader bitmap;
        bitmap.width = 64;
        bitmap.height = 32;
        bitmap.bitCount = 48;
        bitmap.compression = fourcc("RG48");
        bitmap.sizeImage = 64 * 32 * 6 - 4;
        return bitmap;
    }());
    const std::vector<Case> cases{
        {bayerType(64, 32), S_OK, S_FALSE, "BYR4 16"},
        {frameType("BYR4", "BYR4", 16, 64, 32, true), S_OK, S_FALSE, "BYR4 16 in VideoInfo2"},
        {frameType("RG48", "RG48", 48, 64, 32), S_FALSE, S_OK, "RG48 48"},
        {frameType("RG48", "RG48", 48, 64, 32, true), S_FALSE, S_OK, "RG48 48 in VideoInfo2"},
        {frameType("YU63", "YU64", 32, 64, 32), S_FALSE, S_OK, "YU63 with YU64 at 32"},
        {frameType("YU64", "YU64", 32, 64, 32), S_FALSE, S_FALSE, "YU64 with YU64"},
        {frameType("YU63", "YU63", 32, 64, 32), S_FALSE, S_FALSE, "YU63 with YU63"},
        {frameType("YU64", "YU63", 32, 64, 32), S_FALSE, S_FALSE, "the pair the wrong way"},
        {frameType("BYR4", "BYR4", 8, 64, 32), S_FALSE, S_FALSE, "BYR4 at 8 bits"},
        {frameType("RG48", "RG48", 32, 64, 32), S_FALSE, S_FALSE, "RG48 at 32 bits"},
        {frameType("YU63", "YU64", 16, 64, 32), S_FALSE, S_FALSE, "YU63/YU64 at 16 bits"},
        {frameType("BYR4", "RG48", 16, 64, 32), S_FALSE, S_FALSE, "subtype and compression apart"},
        {frameType("BYR4", "BYR4", 16, 0, 32), S_FALSE, S_FALSE, "no width"},
        {streamType, S_FALSE, S_FALSE, "a byte stream"},
        {noFormat, S_FALSE, S_FALSE, "no format block"},
        {wrongImageSize, S_FALSE, S_FALSE, "an image size the rows do not fill"},
    };
    for (const Case& item : cases) {
        EXPECT_EQ(item.raw, acceptance(CLSID_RawBayerEncoder, item.type)) << item.what;
        EXPECT_EQ(item.picture, acceptance(CLSID_PictureEncoder, item.type)) << item.what;
    }
}

// Before its input is connected the encoder has no output type; after it,
// the type names the codec: "MJPG" for lossless JPEG, the ProRes tag for
// pictures (apch for 4:2:2 at the default quality).
TEST(EncoderFilter, OutputTypeFollowsTheInput) {
    {
        ComPtr<CEncoderFilter> encoder = makeEncoder(CLSID_RawBayerEncoder);
        MediaType type;
        EXPECT_EQ(E_FAIL, static_cast<CBasePin*>(encoder->GetPin(1))->GetMediaType(0, &type));
    }
    EncoderGraph raw(CLSID_RawBayerEncoder, bayerType(64, 32));
    ASSERT_TRUE(raw.encoder->GetPin(1)->isConnected());
    const MediaType rawOut = raw.encoder->GetPin(1)->connectionType();
    EXPECT_EQ(MEDIATYPE_Video, rawOut.majorType);
    EXPECT_EQ(fourccGuid(fourcc("MJPG")), rawOut.subtype);

    EncoderGraph yuv(CLSID_PictureEncoder, frameType("YU63", "YU64", 32, 64, 32));
    ASSERT_TRUE(yuv.encoder->GetPin(1)->isConnected());
    const MediaType yuvOut = yuv.encoder->GetPin(1)->connectionType();
    EXPECT_EQ(fourccGuid(fourcc("apch")), yuvOut.subtype);
}

// Frames pushed through a running graph come out as lossless JPEG frames, in
// order, stamped at 25 frames a second, each a sync point; once the graph
// has stopped after an end-of-stream, every frame and the end-of-stream have
// arrived. Decoded, each frame holds the Bayer samples as quadrants.
TEST(EncoderFilter, RawFramesComeOutInOrderAndStopWaitsForThem) {
    constexpr int kWidth = 64, kHeight = 32, kFrames = 12;
    EncoderGraph chain(CLSID_RawBayerEncoder, bayerType(kWidth, kHeight));
    ASSERT_EQ(S_OK, chain.graph->Run());
    std::vector<std::vector<std::uint8_t>> frames;
    for (int frame = 0; frame < kFrames; ++frame) {
        frames.push_back(bayerFrame(kWidth, kHeight, frame));
        ASSERT_EQ(S_OK, chain.source->deliver(frames.back(), frame * kFrameTime, (frame + 1) * kFrameTime));
    }
    ASSERT_EQ(S_OK, chain.source->deliverEndOfStream());
    ASSERT_EQ(S_OK, chain.graph->Stop());
    EXPECT_EQ(kFrames, chain.sink->receivedAtStop());
    EXPECT_TRUE(chain.sink->endOfStreamAtStop());
    const std::vector<FakeSink::Received> received = chain.sink->received();
    ASSERT_EQ(static_cast<std::size_t>(kFrames), received.size());
    for (int frame = 0; frame < kFrames; ++frame) {
        const FakeSink::Received& packet = received[static_cast<std::size_t>(frame)];
        EXPECT_EQ(frame * kFrameTime, packet.start);
        EXPECT_EQ((frame + 1) * kFrameTime, packet.stop);
        EXPECT_TRUE(packet.syncPoint);
        const Decoded decoded = decodePacket(AV_CODEC_ID_MJPEG, packet.bytes);
        ASSERT_EQ(AV_PIX_FMT_GRAY16LE, decoded.format) << "frame " << frame;
        ASSERT_EQ(kWidth, decoded.width);
        ASSERT_EQ(kHeight, decoded.height);
        // Quadrants: even columns on the left half, even rows on the top half.
        bool equal = true;
        for (int y = 0; y < kHeight && equal; ++y)
            for (int x = 0; x < kWidth && equal; ++x) {
                const int qx = x % 2 == 0 ? x / 2 : kWidth / 2 + x / 2;
                const int qy = y % 2 == 0 ? y / 2 : kHeight / 2 + y / 2;
                equal = decoded.firstPlane[static_cast<std::size_t>(qy) * kWidth + qx] ==
                        sampleAt(frames[static_cast<std::size_t>(frame)], kWidth, x, y);
            }
        EXPECT_TRUE(equal) << "frame " << frame;
    }
}

// CRC-32C bit by bit (reflected polynomial 0x82F63B78): the checksum an
// archive's frame carries, over its samples row by row, low byte first.
std::uint32_t bitwiseCrc32c(const std::vector<std::uint8_t>& bytes) {
    std::uint32_t crc = 0xFFFFFFFFu;
    for (const std::uint8_t byte : bytes) {
        crc ^= byte;
        for (int bit = 0; bit < 8; ++bit) crc = (crc >> 1) ^ (0x82F63B78u & (0u - (crc & 1u)));
    }
    return ~crc;
}

// With an ARCV tag, whatever its value, every lossless JPEG frame carries a
// COM segment right after SOI: "raw2tvx archive frame N crc32c XXXXXXXX",
// the frame's place in the stream and the CRC-32C of its samples, the row
// padding left out, and its scan restarts every few rows. FFmpeg decodes
// both to the same samples; without the tag there is no comment and no
// restart.
TEST(EncoderFilter, ArchiveFramesCarryTheirIndexAndChecksum) {
    constexpr int kWidth = 37, kHeight = 9, kFrames = 5, kRowBytes = 76;  // rows padded to 4 bytes
    const MovieTag archive{fourcc("ARCV"), 'L', {7, 0, 0, 0}};
    EncoderGraph marked(CLSID_RawBayerEncoder, bayerType(kWidth, kHeight), {}, {archive});
    EncoderGraph plain(CLSID_RawBayerEncoder, bayerType(kWidth, kHeight));
    ASSERT_EQ(S_OK, marked.graph->Run());
    ASSERT_EQ(S_OK, plain.graph->Run());
    std::vector<std::vector<std::uint8_t>> samples;  // each frame's samples without the padding
    for (int frame = 0; frame < kFrames; ++frame) {
        const std::vector<std::uint8_t> packed = bayerFrame(kWidth, kHeight, frame);
        std::vector<std::uint8_t> padded(static_cast<std::size_t>(kRowBytes) * kHeight, 0xEE);
        for (int y = 0; y < kHeight; ++y)
            std::memcpy(padded.data() + static_cast<std::size_t>(y) * kRowBytes,
                        packed.data() + static_cast<std::size_t>(y) * kWidth * 2, kWidth * 2);
        samples.push_back(packed);
        ASSERT_EQ(S_OK, marked.source->deliver(padded, frame * kFrameTime, (frame + 1) * kFrameTime));
        ASSERT_EQ(S_OK, plain.source->deliver(padded, frame * kFrameTime, (frame + 1) * kFrameTime));
    }
    for (EncoderGraph* chain : {&marked, &plain}) {
        ASSERT_EQ(S_OK, chain->source->deliverEndOfStream());
        ASSERT_EQ(S_OK, chain->graph->Stop());
    }
    const std::vector<FakeSink::Received> withMarks = marked.sink->received();
    const std::vector<FakeSink::Received> without = plain.sink->received();
    ASSERT_EQ(static_cast<std::size_t>(kFrames), withMarks.size());
    ASSERT_EQ(static_cast<std::size_t>(kFrames), without.size());
    for (std::size_t frame = 0; frame < withMarks.size(); ++frame) {
        char text[64];
        std::snprintf(text, sizeof text, "raw2tvx archive frame %zu crc32c %08x", frame,
                      static_cast<unsigned>(bitwiseCrc32c(samples[frame])));
        const std::string comment = text;
        const std::vector<std::uint8_t>& plainBytes = without[frame].bytes;
        ASSERT_GE(plainBytes.size(), 4u);
        EXPECT_EQ(0xC3, plainBytes[3]) << "no comment without the tag";
        std::vector<std::uint8_t> expected = {0xFF, 0xD8, 0xFF,
                                              0xFE, 0,    static_cast<std::uint8_t>(comment.size() + 2)};
        expected.insert(expected.end(), comment.begin(), comment.end());
        const std::vector<std::uint8_t>& archived = withMarks[frame].bytes;
        ASSERT_GE(archived.size(), expected.size());
        EXPECT_TRUE(std::equal(expected.begin(), expected.end(), archived.begin()))
            << "frame " << frame << ": " << comment;
        // The archive's scan restarts (DRI, in samples); the RAW movie's does not.
        const std::vector<std::uint8_t> restartSegment = {0xFF, 0xDD, 0, 4};
        const auto dri =
            std::search(archived.begin(), archived.end(), restartSegment.begin(), restartSegment.end());
        ASSERT_NE(archived.end(), dri);
        const int interval = dri[4] << 8 | dri[5];
        EXPECT_EQ(0, interval % kWidth);
        EXPECT_GT(interval, 0);
        EXPECT_EQ(plainBytes.end(), std::search(plainBytes.begin(), plainBytes.end(), restartSegment.begin(),
                                                restartSegment.end()));
        const Decoded decoded = decodePacket(AV_CODEC_ID_MJPEG, withMarks[frame].bytes);
        EXPECT_EQ(static_cast<std::size_t>(kWidth * kHeight), decoded.firstPlane.size());
        EXPECT_EQ(decodePacket(AV_CODEC_ID_MJPEG, plainBytes).firstPlane, decoded.firstPlane);
    }
}

// Pictures come out as ProRes: 4444 from RGB, 422 HQ from the 4:2:2 words
// (the default quality).
TEST(EncoderFilter, PicturesComeOutAsProRes) {
    struct Case {
        MediaType type;
        const char* tag;
        AVPixelFormat decoded;
    };
    for (const Case& item : {Case{frameType("RG48", "RG48", 48, 64, 32), "ap4h", AV_PIX_FMT_YUV444P12LE},
                             Case{frameType("YU63", "YU64", 32, 64, 32), "apch", AV_PIX_FMT_YUV422P10LE}}) {
        EncoderGraph chain(CLSID_PictureEncoder, item.type);
        ASSERT_TRUE(chain.encoder->GetPin(1)->isConnected());
        const MediaType output = chain.encoder->GetPin(1)->connectionType();
        EXPECT_EQ(fourccGuid(fourcc(item.tag)), output.subtype);
        ASSERT_EQ(S_OK, chain.graph->Run());
        const std::vector<std::uint8_t> picture(item.type.sampleSize, 0x80);
        for (int frame = 0; frame < 5; ++frame)
            ASSERT_EQ(S_OK, chain.source->deliver(picture, frame * kFrameTime, (frame + 1) * kFrameTime));
        ASSERT_EQ(S_OK, chain.source->deliverEndOfStream());
        ASSERT_EQ(S_OK, chain.graph->Stop());
        EXPECT_TRUE(chain.sink->endOfStreamAtStop());
        const std::vector<FakeSink::Received> received = chain.sink->received();
        ASSERT_EQ(5u, received.size());
        for (std::size_t frame = 0; frame < received.size(); ++frame) {
            EXPECT_EQ(static_cast<std::int64_t>(frame) * kFrameTime, received[frame].start);
            EXPECT_EQ(item.decoded,
                      decodePacket(AV_CODEC_ID_PRORES, received[frame].bytes, fourcc(item.tag)).format);
        }
    }
}

// A graph stopped without an end-of-stream is a movie given up: the
// encoder sends no end-of-stream, and a second run starts a new stream.
TEST(EncoderFilter, StopWithoutEndOfStreamGivesUpAndRunsAgain) {
    EncoderGraph chain(CLSID_RawBayerEncoder, bayerType(32, 16));
    for (int run = 0; run < 2; ++run) {
        ASSERT_EQ(S_OK, chain.graph->Run());
        for (int frame = 0; frame < 4; ++frame)
            ASSERT_EQ(S_OK, chain.source->deliver(bayerFrame(32, 16, frame), frame * kFrameTime,
                                                  (frame + 1) * kFrameTime));
        EXPECT_EQ(S_OK, chain.graph->Stop());
        EXPECT_FALSE(chain.sink->endOfStreamAtStop());
    }
    ASSERT_EQ(S_OK, chain.graph->Run());
    ASSERT_EQ(S_OK, chain.source->deliver(bayerFrame(32, 16, 0), 0, kFrameTime));
    ASSERT_EQ(S_OK, chain.source->deliverEndOfStream());
    ASSERT_EQ(S_OK, chain.graph->Stop());
    EXPECT_TRUE(chain.sink->endOfStreamAtStop());
    // The last stream's frame is stamped from 0 again.
    EXPECT_EQ(0, chain.sink->received().back().start);
}

// A multiplexer that cannot write (a full disk) refuses a frame: a later
// frame from the source gets that failure, and so does the graph's Stop.
TEST(EncoderFilter, DownstreamFailureReachesTheSource) {
    FakeSink::Options refusing;
    refusing.receiveResult = hresultFromErrno(ENOSPC);
    EncoderGraph chain(CLSID_RawBayerEncoder, bayerType(32, 16), refusing);
    ASSERT_EQ(S_OK, chain.graph->Run());
    HRESULT delivered = S_OK;
    for (int frame = 0; frame < 50 && delivered == S_OK; ++frame)
        delivered =
            chain.source->deliver(bayerFrame(32, 16, frame), frame * kFrameTime, (frame + 1) * kFrameTime);
    EXPECT_EQ(hresultFromErrno(ENOSPC), delivered);
    chain.source->deliverEndOfStream();
    EXPECT_EQ(hresultFromErrno(ENOSPC), chain.graph->Stop());
    EXPECT_FALSE(chain.sink->endOfStreamAtStop());
}

// The settings and every tag are kept as sent, in order, whatever they say.
TEST(EncoderFilter, KeepsEveryTagAsSent) {
    ComPtr<CEncoderFilter> encoder = makeEncoder(CLSID_RawBayerEncoder);
    const float half = 0.5f;
    const char text[] = "Q. Ombry";
    EXPECT_EQ(S_OK, encoder->SetMetadata(fourcc("HPNT"), 'f', 4, &half));
    EXPECT_EQ(S_OK, encoder->SetMetadata(fourcc("TAGV"), 'c', 8, text));
    EXPECT_EQ(S_OK, encoder->SetMetadata(fourcc("HPNT"), 'f', 4, &half));
    EXPECT_EQ(S_OK, encoder->SetMetadata(fourcc("NONE"), 'c', 0, nullptr));
    EXPECT_EQ(E_POINTER, encoder->SetMetadata(fourcc("NULL"), 'c', 4, nullptr));
    const std::vector<MovieTag> tags = encoder->tags();
    ASSERT_EQ(4u, tags.size());
    EXPECT_EQ(fourcc("HPNT"), tags[0].tag);
    EXPECT_EQ('f', tags[0].type);
    EXPECT_EQ((std::vector<std::uint8_t>{0, 0, 0, 0x3F}), tags[0].value);
    EXPECT_EQ(fourcc("TAGV"), tags[1].tag);
    EXPECT_EQ(std::vector<std::uint8_t>(text, text + 8), tags[1].value);
    EXPECT_EQ(fourcc("HPNT"), tags[2].tag);
    EXPECT_TRUE(tags[3].value.empty());
}
