#pragma once

#include <cstddef>
#include <cstdint>
#include <string>

#include "files/dpx_time_code.h"

// Writes one 10-bit RGB DPX file per frame, named by an output pattern (see
// output_pattern.h). Each file is written under a temporary name in its
// directory and renamed into place only when every byte of it was written, so
// a failure (disk full, file size limit, no such directory) never leaves a
// partial file under the final name; it is reported in *failureMessage, which
// names the final file and the reason.
class DPXSequenceExporter {
public:
    // The pattern should have passed validateOutputPattern; a refused one makes
    // every ExportFrame fail with a message.
    explicit DPXSequenceExporter(std::string nameFormat);

    // False when the output names a file called "null", whatever its
    // extension and directory ("null.dpx"): frames are then processed but
    // nothing is written.
    bool ExportsFrames() const;

    // rgbFrame: width x height pixels of R, G, B 16-bit samples, rows
    // width * 6 bytes apart. Returns true when the file is complete (or
    // nothing is exported), false with *failureMessage set otherwise. With
    // timing, the television header carries its time code and rate.
    bool ExportFrame(const std::uint16_t* rgbFrame, int width, int height, std::int64_t frameNumber,
                     std::string* failureMessage, const DPXFrameTiming* timing = nullptr) const;

    const std::string& NameFormat() const { return nameFormat_; }

private:
    std::string nameFormat_;
};

// Writes the frame numbered frameNumber as one DPX file named from
// nameFormat. pitchBytes is the distance between rows of frame, at least
// width * 6 and even. Without timing the header has no time code. True when
// the file is complete under its final name.
bool WriteDPXFrame(const std::string& nameFormat, std::int64_t frameNumber, const std::uint16_t* frame,
                   int width, int height, std::size_t pitchBytes, std::string* failureMessage,
                   const DPXFrameTiming* timing = nullptr);
