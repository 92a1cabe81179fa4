#include "components/lossless_jpeg_encoder.h"

#include <algorithm>
#include <cstdint>
#include <string>

#include "components/bayer_quadrants.h"
#include "components/jpeg_bit_writer.h"
#include "components/lossless_jpeg_huffman.h"
#include "components/lossless_jpeg_kernels.h"

namespace {

constexpr int kPrecision = 16;
// SOI, SOF3 with one component, DHT with 17 categories, SOS with one component.
constexpr std::size_t kHeaderBytes = 2 + (2 + 11) + (2 + 3 + 16 + kDifferenceCategories) + (2 + 8);
constexpr std::size_t kTrailerBytes = 2;  // EOI
constexpr std::size_t kMostBitsPerSample = 2 * kMaxHuffmanCodeLength;
constexpr std::size_t kRestartIntervalBytes = 2 + 4;  // DRI
// Before each restart marker the last byte may be stuffed; then the marker.
constexpr std::size_t kRestartBytes = 2 + 2;
// The interval is counted in samples in 16 bits. Its high byte is kept below
// 0xFF: a reader that skips segments by looking for markers (FFmpeg's, while
// it probes a movie) takes 0xFF followed by 0xC0 or more for one.
constexpr int kMostRestartSamples = 0xFEFF;

// COM: marker, length, text.
std::size_t commentSegmentBytes(std::size_t commentBytes) {
    return commentBytes == 0 ? 0 : 4 + commentBytes;
}

bool sizeSupported(int width, int height) {
    return width >= 1 && height >= 1 && width <= kMaxLosslessJpegSide && height <= kMaxLosslessJpegSide;
}

bool restartSupported(int width, int restartRows) {
    return restartRows >= 0 && restartRows <= losslessJpegMostRestartRows(width);
}

// DRI and the markers of every interval after the first.
std::size_t restartSegmentBytes(int height, int restartRows) {
    if (restartRows == 0) return 0;
    return kRestartIntervalBytes + kRestartBytes * static_cast<std::size_t>((height - 1) / restartRows);
}

// The room one row of differences may take with what is pending in the bit
// writer and the closing bytes after it.
std::size_t rowRoom(int width) {
    return JpegBitWriter::worstCaseBytes(kMostBitsPerSample * static_cast<std::size_t>(width)) +
           kTrailerBytes;
}

// Marker segments go out through this; it refuses to pass the end.
struct SegmentWriter {
    std::uint8_t* data;
    std::size_t capacity;
    std::size_t position = 0;

    bool room(std::size_t bytes) const { return capacity - position >= bytes; }
    void byte(unsigned value) { data[position++] = static_cast<std::uint8_t>(value); }
    void bigEndian16(unsigned value) {
        byte(value >> 8);
        byte(value & 0xFF);
    }
    void marker(unsigned code) {
        byte(0xFF);
        byte(code);
    }
};

void writeHeaders(SegmentWriter& out, int width, int height, const HuffmanTable& table,
                  const LosslessJpegOptions& options) {
    const std::string_view comment = options.comment;
    out.marker(0xD8);  // SOI

    if (!comment.empty()) {
        out.marker(0xFE);  // COM
        out.bigEndian16(static_cast<unsigned>(2 + comment.size()));
        for (const char character : comment) out.byte(static_cast<unsigned char>(character));
    }

    out.marker(0xC3);  // SOF3: lossless, Huffman coded
    out.bigEndian16(11);
    out.byte(kPrecision);
    out.bigEndian16(static_cast<unsigned>(height));
    out.bigEndian16(static_cast<unsigned>(width));
    out.byte(1);     // components
    out.byte(1);     // component id
    out.byte(0x11);  // no subsampling
    out.byte(0);     // quantisation table: unused in the lossless process

    out.marker(0xC4);  // DHT
    out.bigEndian16(2 + 1 + kMaxHuffmanCodeLength + kDifferenceCategories);
    out.byte(0x00);  // table class 0 (DC and lossless), table 0
    for (std::uint8_t count : table.codesOfLength) out.byte(count);
    for (std::uint8_t category : table.categoriesInCodeOrder) out.byte(category);

    if (options.restartRows > 0) {
        out.marker(0xDD);  // DRI, in samples
        out.bigEndian16(4);
        out.bigEndian16(static_cast<unsigned>(width * options.restartRows));
    }

    out.marker(0xDA);  // SOS
    out.bigEndian16(8);
    out.byte(1);     // components in the scan
    out.byte(1);     // component id
    out.byte(0x00);  // Huffman table 0
    out.byte(static_cast<unsigned>(options.predictor));
    out.byte(0);  // end of spectral selection: unused
    out.byte(0);  // no successive approximation, point transform 0
}

struct RowKernels {
    void (*layout)(const std::uint16_t*, int, std::uint16_t*);
    void (*differences)(const std::uint16_t*, const std::uint16_t*, int, int, std::uint16_t*);
    bool avx2;
};

RowKernels rowKernels(bool allowAvx2) {
    if (allowAvx2 && losslessJpegAvx2Available())
        return {bayerRowToQuadrantRowAvx2, rowDifferencesAvx2, true};
    return {bayerRowToQuadrantRow, rowDifferencesReference, false};
}

const std::uint16_t* bayerRowOf(const std::uint16_t* bayer, std::size_t strideSamples, int quadrantRow,
                                int height) {
    return bayer + static_cast<std::size_t>(quadrantSourceRow(quadrantRow, height)) * strideSamples;
}

// The category counts of every `step`-th row, starting halfway into the first
// step; at least one row always counts.
CategoryCounts sampleCategories(const std::uint16_t* bayer, std::size_t strideSamples, int width, int height,
                                int predictor, int step, const RowKernels& kernels, std::uint16_t* above,
                                std::uint16_t* row, std::uint16_t* differences) {
    CategoryCounts counts{};
    for (int y = std::min(height - 1, step / 2); y < height; y += step) {
        if (y > 0) kernels.layout(bayerRowOf(bayer, strideSamples, y - 1, height), width, above);
        kernels.layout(bayerRowOf(bayer, strideSamples, y, height), width, row);
        kernels.differences(row, y > 0 ? above : nullptr, width, predictor, differences);
        countCategoriesReference(differences, width, counts);
    }
    return counts;
}

Status noRoom() {
    return Status::failure(ErrorCode::kFailed, "the output has no room for the lossless JPEG image");
}

}  // namespace

int losslessJpegMostRestartRows(int width) {
    return width >= 1 ? kMostRestartSamples / width : 0;
}

std::size_t losslessJpegMaxBytes(int width, int height, std::size_t commentBytes, int restartRows) {
    if (!sizeSupported(width, height) || commentBytes > kMaxLosslessJpegCommentBytes ||
        !restartSupported(width, restartRows))
        return 0;
    const std::size_t samples = static_cast<std::size_t>(width) * static_cast<std::size_t>(height);
    return kHeaderBytes + commentSegmentBytes(commentBytes) + restartSegmentBytes(height, restartRows) +
           JpegBitWriter::worstCaseBytes(kMostBitsPerSample * samples) + kTrailerBytes;
}

Result<std::size_t> encodeLosslessJpeg(const std::uint16_t* bayer, std::size_t strideSamples, int width,
                                       int height, LosslessJpegWorkspace& workspace, std::uint8_t* output,
                                       std::size_t capacity, const LosslessJpegOptions& options) {
    if (bayer == nullptr || output == nullptr)
        return Status::failure(ErrorCode::kBadInput, "no frame or no output for the lossless JPEG image");
    if (!sizeSupported(width, height))
        return Status::failure(ErrorCode::kBadInput,
                               "a lossless JPEG image is at most 65535 samples wide and "
                               "high, not " +
                                   std::to_string(width) + "x" + std::to_string(height));
    if (strideSamples < static_cast<std::size_t>(width) || options.predictor < 1 || options.predictor > 7 ||
        options.tableRowStep < 1 || options.comment.size() > kMaxLosslessJpegCommentBytes ||
        !restartSupported(width, options.restartRows))
        return Status::failure(ErrorCode::kBadInput, "the lossless JPEG encoder cannot use its options");
    if (capacity < kHeaderBytes + commentSegmentBytes(options.comment.size()) +
                       (options.restartRows > 0 ? kRestartIntervalBytes : 0))
        return noRoom();

    const RowKernels kernels = rowKernels(options.allowAvx2);
    const std::size_t paddedWidth = static_cast<std::size_t>(width) + kRowPadding;
    workspace.rows.resize(3 * paddedWidth);
    std::uint16_t* rowBuffers[2] = {workspace.rows.data(), workspace.rows.data() + paddedWidth};
    std::uint16_t* differences = workspace.rows.data() + 2 * paddedWidth;
    if (kernels.avx2) {
        workspace.codes.resize(paddedWidth);
        workspace.codeLengths.resize(paddedWidth);
    }

    const CategoryCounts counts =
        sampleCategories(bayer, strideSamples, width, height, options.predictor, options.tableRowStep,
                         kernels, rowBuffers[0], rowBuffers[1], differences);
    const HuffmanTable table = buildHuffmanTable(counts);
    const CategoryCodes codes = categoryCodesOf(table);

    SegmentWriter segments{output, capacity};
    writeHeaders(segments, width, height, table, options);

    JpegBitWriter writer;
    writer.out = output + segments.position;
    const std::size_t room = rowRoom(width);
    const std::uint16_t* above = nullptr;
    for (int y = 0; y < height; ++y) {
        const bool restarts = options.restartRows > 0 && y > 0 && y % options.restartRows == 0;
        if (capacity - static_cast<std::size_t>(writer.out - output) < room + (restarts ? kRestartBytes : 0))
            return noRoom();
        if (restarts) {
            // The interval ends on a whole byte; the next starts as the image does.
            writer.flush();
            const int interval = y / options.restartRows - 1;
            *writer.out++ = 0xFF;
            *writer.out++ = static_cast<std::uint8_t>(0xD0 + interval % 8);  // RSTm
            above = nullptr;
        }
        std::uint16_t* row = rowBuffers[y % 2];
        kernels.layout(bayerRowOf(bayer, strideSamples, y, height), width, row);
        kernels.differences(row, above, width, options.predictor, differences);
        if (kernels.avx2)
            codeDifferencesAvx2(differences, width, codes, writer, workspace.codes.data(),
                                workspace.codeLengths.data());
        else
            codeDifferencesReference(differences, width, codes, writer);
        above = row;
    }
    writer.flush();

    segments.position = static_cast<std::size_t>(writer.out - output);
    segments.marker(0xD9);  // EOI
    return segments.position;
}
