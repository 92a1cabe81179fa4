#include "components/movie_muxer.h"

#include <cerrno>
#include <climits>
#include <cstring>

extern "C" {
#include <libavformat/avformat.h>
#include <libavutil/dict.h>
#include <libavutil/mathematics.h>
#include <libavutil/mem.h>
#include <libavutil/rational.h>
}

#include "components/library_log.h"
#include "components/sink_io_context.h"
#include "timing/time_code_request.h"

namespace {

// A QuickTime time-code sample counts at most 255 frames a second; the mov
// muxer fails the whole file above that.
constexpr int kLargestTrackCountingBase = 255;

struct Dictionary {
    AVDictionary* entries = nullptr;
    ~Dictionary() { av_dict_free(&entries); }
};

// Keys are ours to tell apart exactly: "Director" and "director" are two entries.
int setEntry(AVDictionary** dictionary, const std::string& key, const std::string& value) {
    return av_dict_set(dictionary, key.c_str(), value.c_str(), AV_DICT_MATCH_CASE);
}

bool isSupportedCodec(AVCodecID codec) {
    return codec == AV_CODEC_ID_PRORES || codec == AV_CODEC_ID_MJPEG;
}

}  // namespace

struct MovieMuxer::Library {
    explicit Library(IByteSink& sink) : io(sink) {}
    ~Library() {
        av_packet_free(&packet);
        avformat_free_context(format);
    }
    Library(const Library&) = delete;
    Library& operator=(const Library&) = delete;

    SinkIoContext io;
    AVFormatContext* format = nullptr;
    AVStream* stream = nullptr;
    AVPacket* packet = nullptr;
    AVRational frameTime{1, 24};  // the length of one frame: the packets' own time base
};

MovieMuxer::MovieMuxer(MovieContainer container, IByteSink& sink) : container_(container), sink_(sink) {
    silenceLibraryLog();
}

MovieMuxer::~MovieMuxer() = default;

Status MovieMuxer::fail(Status failure) {
    failure_ = std::move(failure);
    return failure_;
}

Status MovieMuxer::failInLibrary(int averror, const std::string& step) {
    // A refused write surfaces in the library as some error, possibly at a
    // later call; the sink's own errno says what really happened.
    if (library_ && library_->io.sinkError() != 0)
        return fail(movieWriteFailure(library_->io.sinkError(), step));
    return fail(movieLibraryFailure(averror, step));
}

void MovieMuxer::chooseStartTimeCode(const std::vector<MovieMetadataItem>& items,
                                     const EncodedStreamInfo& stream) {
    const TimeCodeRequest request =
        readStartTimeCodeRequest(items, stream.rateNumerator, stream.rateDenominator);
    if (!request.asked) return;
    const std::string refused = "TIMC " + request.shownText + " gives the movie no start time code: ";
    if (!request.timeCode) {
        warnings_.push_back(refused + request.refusal);
        return;
    }
    if (container_ == MovieContainer::Mov && request.timeCode->countingBase > kLargestTrackCountingBase) {
        warnings_.push_back(
            refused + "a time-code track counts at most " + std::to_string(kLargestTrackCountingBase) +
            " frames a second and the movie counts " + std::to_string(request.timeCode->countingBase));
        return;
    }
    startTimeCode_ = request.timeCode;
}

Status MovieMuxer::writeHeader(const EncodedStreamInfo& stream, const std::vector<MovieTag>& tags) {
    if (!failure_.ok()) return failure_;
    if (library_) return fail(movieLibraryFailure(AVERROR(EINVAL), "writing a second header"));
    if (!isSupportedCodec(stream.codecId) || stream.width <= 0 || stream.height <= 0 ||
        stream.rateNumerator <= 0 || stream.rateDenominator <= 0 || stream.extradata.size() > INT_MAX / 2)
        return fail(movieLibraryFailure(AVERROR(EINVAL), "describing the stream"));
    const char* step = "writing the header";
    library_ = std::make_unique<Library>(sink_);
    Library& library = *library_;
    library.packet = av_packet_alloc();
    if (library.io.context() == nullptr || library.packet == nullptr)
        return failInLibrary(AVERROR(ENOMEM), step);
    // Named, not guessed: the file is written under a temporary name.
    const AVOutputFormat* format =
        av_guess_format(container_ == MovieContainer::Mov ? "mov" : "avi", nullptr, nullptr);
    if (format == nullptr) return failInLibrary(AVERROR_MUXER_NOT_FOUND, step);
    int result = avformat_alloc_output_context2(&library.format, format, nullptr, nullptr);
    if (result < 0) return failInLibrary(result, step);
    library.format->pb = library.io.context();
    // No library version and no wall-clock time in the file: two runs give the same bytes.
    library.format->flags |= AVFMT_FLAG_BITEXACT | AVFMT_FLAG_CUSTOM_IO;
    library.stream = avformat_new_stream(library.format, nullptr);
    if (library.stream == nullptr) return failInLibrary(AVERROR(ENOMEM), step);

    const std::vector<MovieMetadataItem> items = collectMovieMetadata(tags);
    if (!describeStream(stream)) return failInLibrary(AVERROR(ENOMEM), step);
    chooseStartTimeCode(items, stream);
    Dictionary options;
    result =
        container_ == MovieContainer::Mov ? addMovMetadata(items, &options.entries) : addAviMetadata(items);
    if (result < 0) return failInLibrary(result, step);
    result = avformat_write_header(library.format, &options.entries);
    if (result < 0) return failInLibrary(result, step);
    if (av_dict_count(options.entries) != 0) return failInLibrary(AVERROR_OPTION_NOT_FOUND, step);
    return {};
}

bool MovieMuxer::describeStream(const EncodedStreamInfo& stream) {
    Library& library = *library_;
    AVCodecParameters* parameters = library.stream->codecpar;
    parameters->codec_type = AVMEDIA_TYPE_VIDEO;
    parameters->codec_id = stream.codecId;
    parameters->codec_tag = stream.codecTag;
    parameters->width = stream.width;
    parameters->height = stream.height;
    parameters->bits_per_coded_sample = stream.bitsPerCodedSample;
    parameters->profile = stream.profile;
    parameters->field_order = AV_FIELD_PROGRESSIVE;
    // Lossless JPEG carries the Bayer mosaic, not a picture: no colour fields.
    // A picture's fields are the encoder's word alone, so that the container
    // and the frame headers never disagree (a user's +ECRV names no curve the
    // pictures went through).
    if (stream.codecId != AV_CODEC_ID_MJPEG) {
        parameters->color_space = stream.colorSpace;
        parameters->color_range = stream.colorRange;
        parameters->color_primaries = stream.colorPrimaries;
        parameters->color_trc = stream.colorTransfer;
    }
    if (!stream.extradata.empty()) {
        const std::size_t bytes = stream.extradata.size();
        parameters->extradata = static_cast<std::uint8_t*>(av_mallocz(bytes + AV_INPUT_BUFFER_PADDING_SIZE));
        if (parameters->extradata == nullptr) return false;
        std::memcpy(parameters->extradata, stream.extradata.data(), bytes);
        parameters->extradata_size = static_cast<int>(bytes);
    }
    AVRational rate{};
    av_reduce(&rate.num, &rate.den, stream.rateNumerator, stream.rateDenominator, INT_MAX);
    library.frameTime = av_inv_q(rate);
    library.stream->time_base = library.frameTime;
    // The mov muxer writes the time-code track only when this is set.
    library.stream->avg_frame_rate = rate;
    library.stream->r_frame_rate = rate;
    return true;
}

int MovieMuxer::addMovMetadata(const std::vector<MovieMetadataItem>& items, AVDictionary** options) {
    Library& library = *library_;
    MovMetadata metadata = makeMovMetadata(items);
    warnings_.insert(warnings_.end(), metadata.warnings.begin(), metadata.warnings.end());
    int result = 0;
    for (const auto& [key, value] : metadata.items)
        if ((result = setEntry(&library.format->metadata, key, value)) < 0) return result;
    // On the stream, not the file: file-level keys all become metadata items.
    if (startTimeCode_ &&
        (result = setEntry(&library.stream->metadata, "timecode", formatTimeCode(*startTimeCode_))) < 0)
        return result;
    // No "faststart": it reopens the file by name. "write_colr" records the
    // matrix alone when primaries and transfer are not known.
    const AVCodecParameters* parameters = library.stream->codecpar;
    const bool colour = parameters->color_space != AVCOL_SPC_UNSPECIFIED ||
                        parameters->color_trc != AVCOL_TRC_UNSPECIFIED ||
                        parameters->color_primaries != AVCOL_PRI_UNSPECIFIED;
    return av_dict_set(options, "movflags", colour ? "+use_metadata_tags+write_colr" : "+use_metadata_tags",
                       0);
}

int MovieMuxer::addAviMetadata(const std::vector<MovieMetadataItem>& items) {
    Library& library = *library_;
    AviComment comment = makeAviComment(items);
    warnings_.insert(warnings_.end(), comment.warnings.begin(), comment.warnings.end());
    int result = 0;
    // Four-letter INFO keys go into the file as they are; the avi muxer drops other names.
    if (!comment.text.empty() && (result = setEntry(&library.format->metadata, "ICMT", comment.text)) < 0)
        return result;
    if (startTimeCode_) result = setEntry(&library.format->metadata, "ISMP", formatTimeCode(*startTimeCode_));
    return result;
}

Status MovieMuxer::writePacket(const EncodedPacket& packet) {
    return writePacket(packet.data, packet.frameIndex);
}

Status MovieMuxer::writePacket(std::span<const std::uint8_t> data, std::int64_t frameIndex) {
    if (!failure_.ok()) return failure_;
    const std::string step = "writing frame " + std::to_string(frameIndex);
    if (!library_ || trailerWritten_)
        return fail(movieLibraryFailure(AVERROR(EINVAL), step + " outside the movie"));
    if (frameIndex <= lastFrameIndex_ || data.empty() || data.size() > INT_MAX)
        return fail(movieLibraryFailure(AVERROR(EINVAL), step));
    Library& library = *library_;
    AVPacket* out = library.packet;
    av_packet_unref(out);
    // The muxers only read the bytes; a packet without a buffer of its own
    // is written from the caller's memory, or copied where it is kept.
    out->data = const_cast<std::uint8_t*>(data.data());
    out->size = static_cast<int>(data.size());
    out->stream_index = library.stream->index;
    out->pts = frameIndex;
    out->dts = frameIndex;
    out->duration = 1;
    out->flags |= AV_PKT_FLAG_KEY;
    // The mov muxer chose its own time base when it wrote the header.
    av_packet_rescale_ts(out, library.frameTime, library.stream->time_base);
    const int result = av_write_frame(library.format, out);
    out->data = nullptr;
    out->size = 0;
    if (result < 0) return failInLibrary(result, step);
    lastFrameIndex_ = frameIndex;
    ++framesWritten_;
    return {};
}

Status MovieMuxer::writeTrailer() {
    if (!failure_.ok()) return failure_;
    const char* step = "writing the trailer";
    if (!library_ || trailerWritten_) return fail(movieLibraryFailure(AVERROR(EINVAL), step));
    Library& library = *library_;
    int result = av_write_trailer(library.format);
    if (result < 0) return failInLibrary(result, step);
    AVIOContext* io = library.io.context();
    avio_flush(io);
    if (io->error < 0) return failInLibrary(io->error, step);
    if (library.io.sinkError() != 0) return failInLibrary(AVERROR(library.io.sinkError()), step);
    trailerWritten_ = true;
    return {};
}
