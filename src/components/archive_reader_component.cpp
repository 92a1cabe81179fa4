#include "components/archive_reader_component.h"

#include <algorithm>
#include <cerrno>
#include <span>
#include <string_view>
#include <utility>
#include <vector>

extern "C" {
#include <libavformat/avformat.h>
#include <libavutil/dict.h>
#include <libavutil/error.h>
}

#include "components/library_log.h"
#include "components/lossless_jpeg_segments.h"
#include "components/movie_tag_reader.h"
#include "platform/processors.h"

namespace {

// The largest errno value; libavformat's own failures lie far beyond.
constexpr int kLargestErrno = 4095;

int errnoOf(int averror) {
    return averror < 0 && averror >= -kLargestErrno ? -averror : 0;
}

std::string libraryText(int averror) {
    char text[AV_ERROR_MAX_STRING_SIZE] = {};
    av_strerror(averror, text, sizeof text);
    return text;
}

bool isMov(const AVInputFormat* format) {
    return std::string_view(format->name).starts_with("mov,");
}

bool isAvi(const AVInputFormat* format) {
    return std::string_view(format->name) == "avi";
}

}  // namespace

struct CArchiveReader::Movie {
    Movie() = default;
    ~Movie() {
        av_packet_free(&packet);
        avformat_close_input(&format);
    }
    Movie(const Movie&) = delete;
    Movie& operator=(const Movie&) = delete;

    AVFormatContext* format = nullptr;
    AVPacket* packet = nullptr;  // the current frame, when `holding`
    int stream = -1;
    bool holding = false;
};

CArchiveReader::CArchiveReader() {
    silenceLibraryLog();
}

CArchiveReader::~CArchiveReader() = default;

HRESULT CArchiveReader::NonDelegatingQueryInterface(const Guid& iid, void** object) {
    if (iid == IArchiveReader::kIid) return returnInterface(static_cast<IArchiveReader*>(this), object);
    return CUnknown::NonDelegatingQueryInterface(iid, object);
}

HRESULT CArchiveReader::fail(HRESULT result, const std::string& why) {
    message_ = path_ + ": " + why;
    return result;
}

HRESULT CArchiveReader::failInLibrary(int averror, const std::string& step) {
    if (const int error = errnoOf(averror))
        return fail(hresultFromErrno(error), step + ": " + libraryText(averror));
    if (averror == AVERROR(ENOMEM)) return fail(E_OUTOFMEMORY, step + ": " + libraryText(averror));
    // Anything else the demuxers find is in the file itself.
    return fail(E_INVALIDARG, step + ": " + libraryText(averror));
}

HRESULT CArchiveReader::Open(const std::string& path) {
    movie_.reset();
    tags_.clear();
    path_ = path;
    message_.clear();
    return openMovie();
}

HRESULT CArchiveReader::openMovie() {
    movie_.reset();
    nextFrame_ = 0;
    auto movie = std::make_unique<Movie>();
    movie->packet = av_packet_alloc();
    if (movie->packet == nullptr) return fail(E_OUTOFMEMORY, "no memory to read the movie");

    // The file protocol alone, named, so that no part of the name is taken
    // for another protocol and no reference in the file opens anything else.
    AVDictionary* options = nullptr;
    av_dict_set(&options, "protocol_whitelist", "file", 0);
    const int opened = avformat_open_input(&movie->format, ("file:" + path_).c_str(), nullptr, &options);
    av_dict_free(&options);
    if (opened < 0) return failInLibrary(opened, "cannot be opened as a movie");

    const AVInputFormat* container = movie->format->iformat;
    if (!isMov(container) && !isAvi(container))
        return fail(E_INVALIDARG, std::string("is a ") + container->name + " file, not a MOV or AVI movie");
    for (unsigned index = 0; index < movie->format->nb_streams; ++index) {
        if (movie->format->streams[index]->codecpar->codec_type == AVMEDIA_TYPE_VIDEO) {
            movie->stream = static_cast<int>(index);
            break;
        }
    }
    if (movie->stream < 0) return fail(E_INVALIDARG, "has no video");
    if (movie->format->streams[movie->stream]->codecpar->codec_id != AV_CODEC_ID_MJPEG)
        return fail(E_INVALIDARG, "holds no lossless JPEG video: it is no camera archive");

    const AVDictionaryEntry* entry = nullptr;
    std::map<std::string, std::string> tags;
    if (isMov(container)) {
        std::vector<std::pair<std::string, std::string>> entries;
        while ((entry = av_dict_get(movie->format->metadata, "", entry, AV_DICT_IGNORE_SUFFIX)))
            entries.emplace_back(entry->key, entry->value);
        tags = readMovTags(entries);
    } else if ((entry = av_dict_get(movie->format->metadata, "comment", nullptr, AV_DICT_MATCH_CASE))) {
        tags = readAviCommentTags(entry->value);
    }
    if (tags.find(kTagArchiveVersion) == tags.end())
        return fail(E_INVALIDARG,
                    std::string("has no ") + kTagArchiveVersion + " tag: it is no camera archive");

    movie_ = std::move(movie);
    tags_ = std::move(tags);
    // Its frames must be ours, which the first one shows.
    const HRESULT first = nextFrame();
    if (first != S_OK) {
        if (succeeded(first)) return S_OK;  // no frame at all
        movie_.reset();
        return first;
    }
    const Result<LosslessJpegSegments> segments =
        readLosslessJpegSegments({movie_->packet->data, static_cast<std::size_t>(movie_->packet->size)});
    if (!segments.ok() && segments.status().code() == ErrorCode::kUnsupported) {
        movie_.reset();
        return fail(E_INVALIDARG, "frame 0: " + segments.status().message() + ": it is no camera archive");
    }
    return S_OK;
}

HRESULT CArchiveReader::nextFrame() {
    Movie& movie = *movie_;
    if (movie.holding) return S_OK;
    const std::string step = "cannot read frame " + std::to_string(nextFrame_);
    for (;;) {
        av_packet_unref(movie.packet);
        const int read = av_read_frame(movie.format, movie.packet);
        if (read == AVERROR_EOF) return S_FALSE;
        if (read < 0) return failInLibrary(read, step);
        if (movie.packet->stream_index != movie.stream) continue;
        if (movie.packet->flags & AV_PKT_FLAG_CORRUPT)
            return fail(E_INVALIDARG, "frame " + std::to_string(nextFrame_) + " is cut short");
        movie.holding = true;
        return S_OK;
    }
}

HRESULT CArchiveReader::GetTags(std::map<std::string, std::string>* tags) {
    if (tags == nullptr) return E_POINTER;
    if (!movie_) return fail(E_UNEXPECTED, "no movie is open");
    *tags = tags_;
    return S_OK;
}

HRESULT CArchiveReader::SetDecodeThreads(int threads) {
    if (threads < 0) return E_INVALIDARG;
    decodeThreads_ = threads;
    return S_OK;
}

HRESULT CArchiveReader::ReadFrame(std::uint16_t* bayer, std::size_t strideSamples, int maxWidth,
                                  int maxHeight, ArchiveFrameRead* frame) {
    if (bayer == nullptr || frame == nullptr) return E_POINTER;
    if (!movie_) return fail(E_UNEXPECTED, "no movie is open");
    const HRESULT next = nextFrame();
    if (next != S_OK) return next;
    Movie& movie = *movie_;
    movie.holding = false;
    const std::int64_t index = nextFrame_++;
    if (!helpersStarted_) {
        helpersStarted_ = true;
        const int threads = decodeThreads_ > 0 ? decodeThreads_ : platform::processorCount();
        helpers_.start(std::clamp(threads - 1, 0, kMostLosslessJpegDecodeThreads - 1));
    }
    LosslessJpegDecoded decoded;
    const Status status = decoder_.decode({movie.packet->data, static_cast<std::size_t>(movie.packet->size)},
                                          bayer, strideSamples, maxWidth, maxHeight, &decoded, &helpers_);
    if (!status.ok()) {
        const HRESULT result = status.code() == ErrorCode::kNoMemory ? E_OUTOFMEMORY : E_INVALIDARG;
        return fail(result, "frame " + std::to_string(index) + ": " + status.message());
    }
    *frame = ArchiveFrameRead{};
    frame->width = decoded.width;
    frame->height = decoded.height;
    if (decoded.comment) {
        if (const std::optional<ArchiveFrameMark> mark = parseArchiveFrameComment(*decoded.comment)) {
            frame->marked = true;
            frame->mark = *mark;
        }
    }
    return S_OK;
}

HRESULT CArchiveReader::SkipFrame() {
    if (!movie_) return fail(E_UNEXPECTED, "no movie is open");
    const HRESULT next = nextFrame();
    if (next != S_OK) return next;
    movie_->holding = false;
    ++nextFrame_;
    return S_OK;
}

HRESULT CArchiveReader::Rewind() {
    if (!movie_) return fail(E_UNEXPECTED, "no movie is open");
    // Opened afresh: the same steps as the first time, whatever the container.
    return openMovie();
}

std::string CArchiveReader::LastMessage() {
    return message_;
}
