#include "encode/movie_writer.h"

#include <limits>

#include "encode/encode_graph.h"
#include "media/result_status.h"

namespace {

// The demosaic code the encoder is sent when the user chose none.
constexpr std::int32_t kNoDebayerChosen = 65535;

}  // namespace

MovieWriter::MovieWriter() : graph_(std::make_unique<CEncodeGraph>()) {}

MovieWriter::~MovieWriter() = default;

Result<std::string> movieFilePath(const std::string& outputName) {
    OutputFile file;
    if (outputName.empty()) return Status::failure(ErrorCode::kBadInput, "the movie has no name");
    if (const Status chosen =
            statusFromResult(chooseOutputFile(outputName, &file), "naming the movie " + outputName);
        !chosen.ok())
        return chosen;
    return file.path;
}

Status MovieWriter::name(const std::string& outputName) {
    if (outputName.empty()) return Status::failure(ErrorCode::kBadInput, "the movie has no name");
    return statusFromResult(graph_->SetOutputFile(outputName), "naming the movie " + outputName);
}

const std::string& MovieWriter::outputPath() const {
    return graph_->outputPath();
}

void MovieWriter::open(const MovieFormat& format) {
    graph_->setClipColor(format.colorMatrix.data(), format.whiteBalance.data());
    graph_->setMetadataTags(format.tags);
    // The graph takes the picture as two flags: RAW wins over RGB 4:4:4, and
    // neither is YUV 4:2:2. Whether the source could be made shows with the
    // first frame.
    const bool rgb444 = format.picture != OutputFormat::Yuv422;
    const bool raw = format.picture == OutputFormat::Raw;
    graph_->CreateVideoSource(format.width, format.height, format.rateDenominator, format.rateNumerator,
                              rgb444, raw, format.curveCode, format.debayer.value_or(kNoDebayerChosen));
    graph_->SetQuality(format.quality, 0);
    graph_->SetOptionFlagA(true);
    graph_->SetOptionFlagB(true);
}

Status MovieWriter::deliver(const void* frame, std::size_t pitchBytes) {
    if (pitchBytes > static_cast<std::size_t>(std::numeric_limits<std::int32_t>::max()))
        return Status::failure(ErrorCode::kBadInput, "a frame row is too long for the encoder");
    const HRESULT result = graph_->EncodeFrame(frame, static_cast<std::int32_t>(pitchBytes));
    // A frame that was not taken ends the movie as any failure does.
    if (result == S_OK) return {};
    if (succeeded(result)) return Status::failure(ErrorCode::kFailed, "the encoder took no more frames");
    return statusFromResult(result, "encoding a frame of " + graph_->outputPath());
}

Status MovieWriter::finish() {
    return statusFromResult(graph_->Finish(), "completing " + graph_->outputPath());
}

Status MovieWriter::abandon() {
    return statusFromResult(graph_->abandon(), "abandoning " + graph_->outputPath());
}

std::vector<std::string> MovieWriter::takeMessages() {
    return graph_->takeMessages();
}
