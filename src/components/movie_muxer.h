#pragma once

#include <cstdint>
#include <memory>
#include <optional>
#include <span>
#include <string>
#include <vector>

#include "components/byte_sink.h"
#include "components/encoded_stream.h"
#include "components/movie_failure.h"
#include "components/movie_metadata.h"
#include "timing/movie_tag.h"
#include "timing/start_time_code.h"

struct AVDictionary;

enum class MovieContainer { Avi, Mov };

// Writes one video stream of compressed frames into an AVI or MOV file,
// through an IByteSink, with the tags the encoder received as the movie's
// metadata. Use: writeHeader once, writePacket for each frame, writeTrailer.
// The first failure ends the movie: every later call returns it again.
//
// The files depend on nothing but what is passed: no library version, no
// clock. Frame rates stay exact fractions; files past 4 GiB use OpenDML
// (AVI) and 64-bit offsets (MOV).
//
// MOV metadata: every tag as a QuickTime metadata item (see movie_metadata.h
// for the keys), and a time-code track from a valid TIMC. AVI: the tags as
// lines of the INFO comment (ICMT), the start time code as ISMP. What cannot
// be written is reported in warnings(), never as a failure.
//
// The sink stays the caller's: once writeTrailer succeeds a MovieFile is
// committed; after any failure it is abandoned.
class MovieMuxer {
public:
    MovieMuxer(MovieContainer container, IByteSink& sink);
    ~MovieMuxer();
    MovieMuxer(const MovieMuxer&) = delete;
    MovieMuxer& operator=(const MovieMuxer&) = delete;

    // Opens the container for the stream and writes its header with the
    // tags, in the order the encoder received them.
    Status writeHeader(const EncodedStreamInfo& stream, const std::vector<MovieTag>& tags);
    // One compressed frame; frame indices must increase.
    Status writePacket(const EncodedPacket& packet);
    Status writePacket(std::span<const std::uint8_t> data, std::int64_t frameIndex);
    // Completes the container's index and header and flushes every byte to the sink.
    Status writeTrailer();

    // Messages about what the movie does not carry (metadata left out, a
    // start time code refused), for the caller to show.
    const std::vector<std::string>& warnings() const { return warnings_; }
    // The start time code the movie carries, if any.
    const std::optional<StartTimeCode>& startTimeCode() const { return startTimeCode_; }
    std::int64_t framesWritten() const { return framesWritten_; }

private:
    struct Library;

    Status fail(Status failure);
    Status failInLibrary(int averror, const std::string& step);
    void chooseStartTimeCode(const std::vector<MovieMetadataItem>& items, const EncodedStreamInfo& stream);
    // The steps of writeHeader; the int results are AVERROR codes.
    bool describeStream(const EncodedStreamInfo& stream);
    int addMovMetadata(const std::vector<MovieMetadataItem>& items, AVDictionary** options);
    int addAviMetadata(const std::vector<MovieMetadataItem>& items);

    MovieContainer container_;
    IByteSink& sink_;
    std::unique_ptr<Library> library_;
    Status failure_;
    bool trailerWritten_ = false;
    std::int64_t lastFrameIndex_ = -1;
    std::int64_t framesWritten_ = 0;
    std::vector<std::string> warnings_;
    std::optional<StartTimeCode> startTimeCode_;
};
