#pragma once

#include <array>
#include <cstddef>
#include <cstdint>
#include <memory>
#include <optional>
#include <string>
#include <vector>

#include "encode/metadata_tag_list.h"
#include "media/output_format.h"
#include "platform/status.h"

class CEncodeGraph;

// What the movie of a clip is made of, known when its first frame is ready.
struct MovieFormat {
    OutputFormat picture = OutputFormat::Raw;
    std::int32_t width = 0;  // pixels (samples for Raw)
    std::int32_t height = 0;
    std::int32_t rateNumerator = 0;  // frames per second, numerator / denominator
    std::int32_t rateDenominator = 0;
    std::int32_t quality = 4;  // the -q value as given
    std::int32_t curveCode = 0;
    std::optional<std::int32_t> debayer;  // the demosaic type, when the user chose one
    std::array<float, 12> colorMatrix{};  // the clip's colour: three rows of four
    std::array<float, 4> whiteBalance{};
    const MetadataTagList* tags = nullptr;  // the user's tags; must live until the first frame is delivered
};

// The movies of a run, one per clip, written through the run's encoding
// graph. Per clip: name, open (on the first frame), deliver each frame,
// finish; abandon instead of finish when the run failed. A clip that opens no
// movie makes no file.
//
// Failures: ErrorCode::kWriteFailed with the errno when the movie file could
// not be written (disk full, file size limit, no such directory); any other
// code when a component refused (an encoder or multiplexer missing or failing,
// a frame refused).
// The file a movie of this name is written to (see name()), or why the name
// cannot be used.
Result<std::string> movieFilePath(const std::string& outputName);

class MovieWriter {
public:
    // Initialises the component library for the writer's life.
    MovieWriter();
    ~MovieWriter();
    MovieWriter(const MovieWriter&) = delete;
    MovieWriter& operator=(const MovieWriter&) = delete;

    // Names the next movie (a UTF-8 path) and chooses its container: ".mov"
    // writes a MOV, anything else an AVI, with ".avi" added unless the name
    // ends in it. Fails for a name that cannot be used.
    Status name(const std::string& outputName);
    // The file the named movie is written to.
    const std::string& outputPath() const;

    // Sets up the movie for frames of this format; the graph is built and
    // started by the first frame delivered.
    void open(const MovieFormat& format);
    // One frame, top row first, rows pitchBytes apart.
    Status deliver(const void* frame, std::size_t pitchBytes);
    // Completes the movie being written, if any.
    Status finish();
    // Gives up the movie being written, if any: no file is left.
    Status abandon();

    // What the components had to say about the movies finished or abandoned
    // since the last call (metadata they could not store, ...), and forgets it.
    std::vector<std::string> takeMessages();

private:
    std::unique_ptr<CEncodeGraph> graph_;
};
