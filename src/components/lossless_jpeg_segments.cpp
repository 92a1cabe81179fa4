#include "components/lossless_jpeg_segments.h"

#include "bytes/byte_view.h"

namespace {

constexpr std::uint8_t kMarkerStart = 0xFF;
constexpr std::uint8_t kStartOfImage = 0xD8;
constexpr std::uint8_t kEndOfImage = 0xD9;
constexpr std::uint8_t kLosslessFrame = 0xC3;
constexpr std::uint8_t kHuffmanTables = 0xC4;
constexpr std::uint8_t kStartOfScan = 0xDA;
constexpr std::uint8_t kRestartInterval = 0xDD;
constexpr std::uint8_t kComment = 0xFE;
constexpr std::uint8_t kFirstApplication = 0xE0;
constexpr std::uint8_t kLastApplication = 0xEF;

constexpr int kPrecision = 16;
constexpr int kHuffmanTableSlots = 4;

Status damaged(const std::string& why) {
    return Status::failure(ErrorCode::kBadInput, "the lossless JPEG image " + why);
}

Status unsupported(const std::string& why) {
    return Status::failure(ErrorCode::kUnsupported, "the lossless JPEG image " + why);
}

std::string hexByte(unsigned value) {
    static const char kDigits[] = "0123456789ABCDEF";
    return std::string{kDigits[(value >> 4) & 0xF], kDigits[value & 0xF]};
}

// The codes of the lengths given, assigned in canonical order, must fit their
// lengths; a table that promises more codes than there are is damaged.
bool codesFit(const LosslessJpegHuffmanSpec& table) {
    unsigned code = 0;
    for (int length = 1; length <= kMaxHuffmanCodeLength; ++length) {
        code += table.codesOfLength[static_cast<std::size_t>(length - 1)];
        if (code > (1u << length)) return false;
        code <<= 1;
    }
    return true;
}

// The tables of one DHT segment into their slots.
Status readHuffmanTables(ByteView segment, std::array<std::optional<LosslessJpegHuffmanSpec>, 4>& slots) {
    while (segment.remaining() > 0) {
        const std::uint8_t classAndSlot = segment.u8();
        if (classAndSlot >> 4 != 0) return unsupported("has a Huffman table of another class");
        const int slot = classAndSlot & 0xF;
        if (slot >= kHuffmanTableSlots) return damaged("names Huffman table " + std::to_string(slot));
        LosslessJpegHuffmanSpec table;
        int symbols = 0;
        for (std::uint8_t& count : table.codesOfLength) {
            count = segment.u8();
            symbols += count;
        }
        if (!segment.ok()) return damaged("has a Huffman table cut short");
        if (symbols < 1 || symbols > kDifferenceCategories || !codesFit(table))
            return damaged("has a Huffman table of " + std::to_string(symbols) + " codes that cannot be");
        table.symbolCount = symbols;
        for (int index = 0; index < symbols; ++index) {
            const std::uint8_t symbol = segment.u8();
            if (symbol >= kDifferenceCategories)
                return damaged("has a Huffman table with category " + std::to_string(symbol));
            table.symbols[static_cast<std::size_t>(index)] = symbol;
        }
        if (!segment.ok()) return damaged("has a Huffman table cut short");
        slots[static_cast<std::size_t>(slot)] = table;
    }
    return {};
}

struct Frame {
    int width = 0;
    int height = 0;
    int componentId = 0;
};

Result<Frame> readFrameHeader(ByteView segment) {
    Frame frame;
    const int precision = segment.u8();
    frame.height = segment.u16();
    frame.width = segment.u16();
    const int components = segment.u8();
    frame.componentId = segment.u8();
    segment.skip(2);  // sampling factors and quantisation table: nothing to the lossless process
    if (!segment.ok()) return damaged("has a frame header cut short");
    if (precision != kPrecision)
        return unsupported("has " + std::to_string(precision) + "-bit samples, not 16-bit");
    if (components != 1) return unsupported("has " + std::to_string(components) + " components, not one");
    if (segment.remaining() != 0) return damaged("has a frame header of the wrong length");
    // A height of 0 would come later in a DNL segment, which we never write.
    if (frame.width < 1 || frame.height < 1)
        return unsupported("is " + std::to_string(frame.width) + "x" + std::to_string(frame.height));
    return frame;
}

}  // namespace

Result<LosslessJpegSegments> readLosslessJpegSegments(std::span<const std::uint8_t> image) {
    ByteView view(image, ByteOrder::kBigEndian);
    if (view.u8() != kMarkerStart || view.u8() != kStartOfImage)
        return damaged("does not start with a start-of-image marker");

    LosslessJpegSegments segments;
    std::optional<Frame> frame;
    std::array<std::optional<LosslessJpegHuffmanSpec>, kHuffmanTableSlots> tables;
    int restartSamples = 0;
    for (;;) {
        const std::uint8_t start = view.u8();
        std::uint8_t marker = view.u8();
        while (marker == kMarkerStart && view.ok()) marker = view.u8();  // fill bytes
        if (!view.ok() || marker == kEndOfImage) return damaged("ends before its scan");
        if (start != kMarkerStart) return damaged("has bytes where a marker should stand");
        const std::size_t length = view.u16();
        if (!view.ok() || length < 2 || !view.covers(view.position(), length - 2))
            return damaged("has a marker segment cut short");
        ByteView segment(view.bytes(length - 2), ByteOrder::kBigEndian);

        switch (marker) {
            case kLosslessFrame: {
                if (frame) return damaged("has two frame headers");
                Result<Frame> read = readFrameHeader(segment);
                if (!read.ok()) return read.status();
                frame = read.value();
                segments.width = frame->width;
                segments.height = frame->height;
                break;
            }
            case kHuffmanTables:
                if (Status read = readHuffmanTables(segment, tables); !read.ok()) return read;
                break;
            case kRestartInterval:
                restartSamples = segment.u16();
                if (!segment.ok() || segment.remaining() != 0)
                    return damaged("has a restart interval segment of the wrong length");
                break;
            case kComment:
                if (!segments.comment) {
                    const std::span<const std::uint8_t> text = segment.bytes(segment.size());
                    segments.comment.emplace(text.begin(), text.end());
                }
                break;
            case kStartOfScan: {
                if (!frame) return damaged("has a scan before its frame header");
                const int components = segment.u8();
                const int componentId = segment.u8();
                const int tableSlots = segment.u8();
                const int predictor = segment.u8();
                const int spectralEnd = segment.u8();  // 0 in the lossless process
                const int approximation = segment.u8();
                if (!segment.ok() || segment.remaining() != 0) return damaged("has a scan header cut short");
                if (components != 1 || componentId != frame->componentId)
                    return damaged("has a scan of another component");
                if (predictor < 1 || predictor > 7)
                    return unsupported("has predictor " + std::to_string(predictor));
                if (approximation != 0) return unsupported("has a point transform");
                if (spectralEnd != 0) return damaged("has a scan header of another process");
                const int slot = tableSlots >> 4;
                if (slot >= kHuffmanTableSlots || !tables[static_cast<std::size_t>(slot)])
                    return damaged("has a scan without its Huffman table");
                if (restartSamples % frame->width != 0)
                    return unsupported("has restart intervals of " + std::to_string(restartSamples) +
                                       " samples, not whole rows");
                segments.restartRows = restartSamples / frame->width;
                segments.predictor = predictor;
                segments.table = *tables[static_cast<std::size_t>(slot)];
                segments.scanOffset = view.position();
                return segments;
            }
            default:
                if (marker >= kFirstApplication && marker <= kLastApplication) break;
                return unsupported("has a segment of marker 0xFF" + hexByte(marker));
        }
    }
}
