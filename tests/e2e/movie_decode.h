// Movies read back by independent readers for the end-to-end tests:
// ffprobe's report of the container and stream, and every picture decoded by
// libavformat and libavcodec as 16-bit planes. Nothing here uses the
// program's own code.
#pragma once

#include <gtest/gtest.h>

#include <array>
#include <cmath>
#include <cstdint>
#include <limits>
#include <map>
#include <sstream>
#include <string>
#include <vector>

extern "C" {
#include <libavcodec/avcodec.h>
#include <libavformat/avformat.h>
#include <libavutil/pixdesc.h>
}

#include "support/run_program.h"

namespace e2e {

// ffprobe's fields of the first stream ("codec_name", "r_frame_rate", ...) and
// of the format ("format.format_name", "format.duration"), with the frames
// counted by decoding ("nb_read_frames").
struct ProbeReport {
    bool ok = false;
    std::map<std::string, std::string> fields;
    std::string field(const std::string& name) const {
        const auto found = fields.find(name);
        return found == fields.end() ? "(absent)" : found->second;
    }
};

inline ProbeReport probeMovie(const std::string& path) {
    ProbeReport report;
    const auto result = testing_support::runProgram(
        {"/usr/bin/ffprobe", "-v", "error", "-count_frames", "-show_streams", "-show_format", path});
    if (result.exitCode != 0 || !result.err.empty()) return report;
    std::istringstream lines(result.out);
    std::string line;
    std::string prefix;
    int streams = 0;
    while (std::getline(lines, line)) {
        if (line == "[STREAM]") {
            ++streams;
            prefix = streams == 1 ? "" : "stream" + std::to_string(streams) + ".";
            continue;
        }
        if (line == "[FORMAT]") {
            prefix = "format.";
            continue;
        }
        const std::size_t equals = line.find('=');
        if (equals == std::string::npos) continue;
        report.fields[prefix + line.substr(0, equals)] = line.substr(equals + 1);
    }
    report.fields["streams"] = std::to_string(streams);
    report.ok = streams > 0;
    return report;
}

// One decoded picture: its pixel format and up to three planes of 16-bit
// samples, each packed row by row at its own width.
struct DecodedPicture {
    AVPixelFormat format = AV_PIX_FMT_NONE;
    AVColorSpace colorSpace = AVCOL_SPC_UNSPECIFIED;
    AVColorRange colorRange = AVCOL_RANGE_UNSPECIFIED;
    int width = 0;
    int height = 0;
    int planeCount = 0;
    std::array<int, 3> planeWidth{};
    std::array<int, 3> planeHeight{};
    std::array<std::vector<std::uint16_t>, 3> planes;

    std::uint16_t at(int plane, int x, int y) const {
        return planes[static_cast<std::size_t>(plane)]
                     [static_cast<std::size_t>(y) * static_cast<std::size_t>(planeWidth[plane]) +
                      static_cast<std::size_t>(x)];
    }
};

// Every picture of the first video stream, decoded by FFmpeg's own decoder
// for the stream's codec. Only formats of 9 to 16 bits per sample are taken;
// an empty list when the movie cannot be read.
inline std::vector<DecodedPicture> decodeMovie(const std::string& path) {
    std::vector<DecodedPicture> pictures;
    AVFormatContext* format = nullptr;
    if (avformat_open_input(&format, path.c_str(), nullptr, nullptr) < 0) return pictures;
    avformat_find_stream_info(format, nullptr);
    const int stream = av_find_best_stream(format, AVMEDIA_TYPE_VIDEO, -1, -1, nullptr, 0);
    const AVCodec* codec =
        stream < 0 ? nullptr : avcodec_find_decoder(format->streams[stream]->codecpar->codec_id);
    AVCodecContext* context = codec ? avcodec_alloc_context3(codec) : nullptr;
    AVPacket* packet = av_packet_alloc();
    AVFrame* frame = av_frame_alloc();
    bool usable = context && packet && frame &&
                  avcodec_parameters_to_context(context, format->streams[stream]->codecpar) >= 0 &&
                  avcodec_open2(context, codec, nullptr) >= 0;
    const auto takeFrames = [&] {
        while (usable && avcodec_receive_frame(context, frame) == 0) {
            const AVPixFmtDescriptor* descriptor =
                av_pix_fmt_desc_get(static_cast<AVPixelFormat>(frame->format));
            if (!descriptor || descriptor->comp[0].depth <= 8 || descriptor->comp[0].step != 2) {
                usable = false;
                break;
            }
            DecodedPicture picture;
            picture.format = static_cast<AVPixelFormat>(frame->format);
            picture.colorSpace = frame->colorspace;
            picture.colorRange = frame->color_range;
            picture.width = frame->width;
            picture.height = frame->height;
            picture.planeCount = descriptor->nb_components < 3 ? 1 : 3;
            for (int plane = 0; plane < picture.planeCount; ++plane) {
                const int shiftX = plane == 0 ? 0 : descriptor->log2_chroma_w;
                const int shiftY = plane == 0 ? 0 : descriptor->log2_chroma_h;
                const int width = -((-frame->width) >> shiftX);
                const int height = -((-frame->height) >> shiftY);
                picture.planeWidth[plane] = width;
                picture.planeHeight[plane] = height;
                auto& samples = picture.planes[static_cast<std::size_t>(plane)];
                samples.resize(static_cast<std::size_t>(width) * static_cast<std::size_t>(height));
                for (int y = 0; y < height; ++y) {
                    const std::uint8_t* row =
                        frame->data[plane] + static_cast<std::ptrdiff_t>(y) * frame->linesize[plane];
                    for (int x = 0; x < width; ++x)
                        samples[static_cast<std::size_t>(y) * width + x] =
                            static_cast<std::uint16_t>(row[2 * x] | row[2 * x + 1] << 8);
                }
            }
            pictures.push_back(std::move(picture));
            av_frame_unref(frame);
        }
    };
    while (usable && av_read_frame(format, packet) >= 0) {
        if (packet->stream_index == stream && avcodec_send_packet(context, packet) < 0) usable = false;
        av_packet_unref(packet);
        takeFrames();
    }
    if (usable && avcodec_send_packet(context, nullptr) >= 0) takeFrames();
    av_frame_free(&frame);
    av_packet_free(&packet);
    avcodec_free_context(&context);
    avformat_close_input(&format);
    if (!usable) pictures.clear();
    return pictures;
}

// Peak signal to noise ratio of two equally long sample lists on a scale
// whose peak is 1.0; infinity when they are equal.
inline double psnr(const std::vector<double>& expected, const std::vector<double>& actual) {
    if (expected.size() != actual.size() || expected.empty()) return 0.0;
    double sum = 0.0;
    for (std::size_t i = 0; i < expected.size(); ++i) {
        const double difference = expected[i] - actual[i];
        sum += difference * difference;
    }
    const double meanSquare = sum / static_cast<double>(expected.size());
    return meanSquare == 0.0 ? std::numeric_limits<double>::infinity() : 10.0 * std::log10(1.0 / meanSquare);
}

}  // namespace e2e
