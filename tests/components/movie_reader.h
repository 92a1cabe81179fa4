// Reads a movie back with libavformat's demuxers, the independent reader of
// the movie tests: container fields, metadata and every packet of the video
// stream as stored.
#pragma once

#include <gtest/gtest.h>

#include <cstdint>
#include <map>
#include <string>
#include <utility>
#include <vector>

extern "C" {
#include <libavformat/avformat.h>
}

#include "support/run_program.h"

namespace movie_test {

struct ReadStream {
    AVMediaType type = AVMEDIA_TYPE_UNKNOWN;
    AVCodecID codecId = AV_CODEC_ID_NONE;
    std::uint32_t codecTag = 0;
    int width = 0;
    int height = 0;
    int bitsPerCodedSample = 0;
    AVRational averageRate{0, 1};
    AVRational timeBase{0, 1};
    std::int64_t duration = 0;  // in timeBase
    std::int64_t frameCount = 0;
    AVColorSpace colorSpace = AVCOL_SPC_UNSPECIFIED;
    AVColorPrimaries colorPrimaries = AVCOL_PRI_UNSPECIFIED;
    AVColorTransferCharacteristic colorTransfer = AVCOL_TRC_UNSPECIFIED;
    std::map<std::string, std::string> metadata;
};

struct ReadMovie {
    bool opened = false;
    std::string formatName;
    std::vector<std::pair<std::string, std::string>> metadata;  // in stored order
    std::vector<ReadStream> streams;
    std::vector<std::vector<std::uint8_t>> videoPackets;
    std::vector<std::int64_t> videoTimes;  // presentation times in the video stream's time base
    bool allKeyFrames = true;

    std::string tag(const std::string& key) const {
        for (const auto& [name, value] : metadata)
            if (name == key) return value;
        return "(absent)";
    }
    bool hasTag(const std::string& key) const { return tag(key) != "(absent)"; }
};

inline std::map<std::string, std::string> dictionaryMap(const AVDictionary* dictionary) {
    std::map<std::string, std::string> entries;
    const AVDictionaryEntry* entry = nullptr;
    while ((entry = av_dict_get(dictionary, "", entry, AV_DICT_IGNORE_SUFFIX)))
        entries[entry->key] = entry->value;
    return entries;
}

inline ReadMovie readMovie(const std::string& path) {
    ReadMovie movie;
    AVFormatContext* context = nullptr;
    if (avformat_open_input(&context, path.c_str(), nullptr, nullptr) < 0) return movie;
    movie.opened = true;
    movie.formatName = context->iformat->name;
    const AVDictionaryEntry* entry = nullptr;
    while ((entry = av_dict_get(context->metadata, "", entry, AV_DICT_IGNORE_SUFFIX)))
        movie.metadata.emplace_back(entry->key, entry->value);
    int video = -1;
    for (unsigned i = 0; i < context->nb_streams; ++i) {
        const AVStream* stream = context->streams[i];
        const AVCodecParameters* parameters = stream->codecpar;
        ReadStream read;
        read.type = parameters->codec_type;
        read.codecId = parameters->codec_id;
        read.codecTag = parameters->codec_tag;
        read.width = parameters->width;
        read.height = parameters->height;
        read.bitsPerCodedSample = parameters->bits_per_coded_sample;
        read.averageRate = stream->avg_frame_rate;
        read.timeBase = stream->time_base;
        read.duration = stream->duration;
        read.frameCount = stream->nb_frames;
        read.colorSpace = parameters->color_space;
        read.colorPrimaries = parameters->color_primaries;
        read.colorTransfer = parameters->color_trc;
        read.metadata = dictionaryMap(stream->metadata);
        movie.streams.push_back(std::move(read));
        if (video < 0 && parameters->codec_type == AVMEDIA_TYPE_VIDEO) video = static_cast<int>(i);
    }
    AVPacket* packet = av_packet_alloc();
    while (av_read_frame(context, packet) >= 0) {
        if (packet->stream_index == video) {
            movie.videoPackets.emplace_back(packet->data, packet->data + packet->size);
            movie.videoTimes.push_back(packet->pts);
            if (!(packet->flags & AV_PKT_FLAG_KEY)) movie.allKeyFrames = false;
        }
        av_packet_unref(packet);
    }
    av_packet_free(&packet);
    avformat_close_input(&context);
    return movie;
}

// ffprobe's report of the movie, one "key=value" line per field.
inline std::string probeReport(const std::string& path) {
    const auto result = testing_support::runProgram(
        {"/usr/bin/ffprobe", "-v", "error", "-show_format", "-show_streams", path});
    EXPECT_EQ(0, result.exitCode) << result.err;
    EXPECT_EQ("", result.err);
    return result.out;
}

inline bool hasLine(const std::string& report, const std::string& line) {
    return ("\n" + report).find("\n" + line + "\n") != std::string::npos;
}

}  // namespace movie_test
