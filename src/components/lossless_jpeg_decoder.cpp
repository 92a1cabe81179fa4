#include "components/lossless_jpeg_decoder.h"

#include <algorithm>
#include <array>
#include <bit>
#include <cstring>
#include <new>

#include "components/bayer_quadrants.h"
#include "components/lossless_jpeg_segments.h"

namespace {

// The next kLookupBits bits of the scan decode most differences with one
// look-up; a code too long for them, or whose first extra bit lies beyond
// them, goes the canonical way.
constexpr int kLookupBits = 11;
// A difference takes at most a 16-bit code and 16 extra bits.
constexpr std::size_t kMostBytesPerSample = 4;
// Past the scan's bytes, zeros for the reads of one row that runs off its end
// (at most kMostBytesPerSample a sample, and the 8 bytes of each refill).
constexpr std::size_t kPaddingSlack = 64;

// A difference as the look-up bits give it: the code and its extra bits take
// `total` bits, and the difference is `base` plus the extra bits that lie
// beyond the look-up bits, modulo 65536. The first extra bit, which says
// whether the difference is negative, is among the look-up bits, so `base`
// holds the rest of the rule: a negative difference is the extra bits less
// 2^s - 1.
//
// Each field has an array of its own, so that it is read with the look-up
// bits as its index and nothing else.
struct DecodeTable {
    static constexpr std::size_t kLookups = std::size_t{1} << kLookupBits;
    std::array<std::uint8_t, kLookups> total{};     // 0: the canonical way
    std::array<std::uint8_t, kLookups> lowShift{};  // 64 - total: brings the last extra bit to the bottom
    std::array<std::uint16_t, kLookups> lowMask{};  // the extra bits beyond the look-up bits
    std::array<std::uint16_t, kLookups> base{};

    // For the canonical way, by code length: the largest code (-1 when none
    // has the length), and what turns a code into its symbol's index.
    std::array<std::int32_t, kMaxHuffmanCodeLength + 1> largestCode{};
    std::array<std::int32_t, kMaxHuffmanCodeLength + 1> symbolOffset{};
    std::array<std::uint8_t, kDifferenceCategories> symbols{};
};

// The difference of category s whose extra bits are `extra`: those with a
// leading one stand for themselves, those with a leading zero for themselves
// less 2^s - 1 (as FFmpeg reads them, category 16 too).
constexpr unsigned differenceOf(unsigned extra, int category) {
    if (category == 0) return 0;
    const unsigned mask = (1u << category) - 1u;
    return extra >> (category - 1) ? extra : extra - mask;
}

// Fills the look-up entries of one code: every value of the look-up bits
// that starts with it, with whatever extra bits follow among them.
void setLookups(DecodeTable& table, int code, int length, int category) {
    const int spread = kLookupBits - length;
    const int total = length + category;
    const int beyond = std::max(0, total - kLookupBits);  // extra bits past the look-up bits
    const int within = category - beyond;
    const auto first = static_cast<std::size_t>(code) << spread;
    for (std::size_t lookup = first; lookup < first + (std::size_t{1} << spread); ++lookup) {
        const auto known = static_cast<unsigned>(lookup >> (spread - within)) & ((1u << within) - 1u);
        table.total[lookup] = static_cast<std::uint8_t>(total);
        table.lowShift[lookup] = static_cast<std::uint8_t>(64 - total);
        table.lowMask[lookup] = static_cast<std::uint16_t>((1u << beyond) - 1u);
        table.base[lookup] = static_cast<std::uint16_t>(differenceOf(known << beyond, category));
    }
}

// The table was checked when it was read: its codes fit their lengths and its
// symbols are categories.
void buildDecodeTable(const LosslessJpegHuffmanSpec& codes, DecodeTable& table) {
    table.total.fill(0);
    table.symbols = codes.symbols;
    int code = 0;
    int index = 0;
    for (int length = 1; length <= kMaxHuffmanCodeLength; ++length) {
        const int count = codes.codesOfLength[static_cast<std::size_t>(length - 1)];
        table.largestCode[static_cast<std::size_t>(length)] = count > 0 ? code + count - 1 : -1;
        table.symbolOffset[static_cast<std::size_t>(length)] = index - code;
        for (int n = 0; n < count; ++n, ++code, ++index) {
            const int category = codes.symbols[static_cast<std::size_t>(index)];
            // The leading extra bit must be among the look-up bits.
            if (length + (category > 0 ? 1 : 0) <= kLookupBits) setLookups(table, code, length, category);
        }
        code <<= 1;
    }
}

struct Difference {
    unsigned total = 0;  // bits taken; 0 for bits that start no code
    unsigned value = 0;  // modulo 65536
};

// The difference at the top of `bits` the canonical way: the code is as long
// as the first length whose largest code is not below the code's bits. None
// for bits that start no code (the all-ones code, or damage).
[[gnu::noinline]] Difference decodeTheLongWay(const DecodeTable& table, std::uint64_t bits) {
    const auto top = static_cast<std::int32_t>(bits >> 48);
    for (int length = 1; length <= kMaxHuffmanCodeLength; ++length) {
        const std::int32_t code = top >> (kMaxHuffmanCodeLength - length);
        if (code <= table.largestCode[static_cast<std::size_t>(length)]) {
            const std::int32_t index = code + table.symbolOffset[static_cast<std::size_t>(length)];
            if (index < 0 || index >= kDifferenceCategories) return {};
            const int category = table.symbols[static_cast<std::size_t>(index)];
            const auto extra = static_cast<unsigned>(((bits << length) >> 1) >> (63 - category));
            return {static_cast<unsigned>(length + category), differenceOf(extra, category)};
        }
    }
    return {};
}

inline std::uint64_t bigEndian64(const std::uint8_t* bytes) {
    std::uint64_t word = 0;
    std::memcpy(&word, bytes, 8);
    if constexpr (std::endian::native == std::endian::little) word = __builtin_bswap64(word);
    return word;
}

// The scan's bits, most significant first. After each refill at least 56 of
// `bits` are the stream's, from the read position on; the bits below them are
// the stream's too, or zeros, and the next refill sets them again.
struct BitReader {
    const std::uint8_t* next = nullptr;  // the first byte not yet wholly in `bits`
    std::uint64_t bits = 0;
    std::uint64_t valid = 0;

    void refill() {
        bits |= bigEndian64(next) >> valid;
        next += 7 - (valid >> 3);
        valid |= 56;
    }
    // Bits read so far, counted from `start`.
    std::size_t position(const std::uint8_t* start) const {
        return static_cast<std::size_t>(next - start) * 8 - valid;
    }
};

// The predictions of the standard, in full integers, modulo 65536.
template <int Predictor>
inline unsigned predict(unsigned left, unsigned above, unsigned aboveLeft) {
    const int a = static_cast<int>(left), b = static_cast<int>(above), c = static_cast<int>(aboveLeft);
    if constexpr (Predictor == 1) return left;
    if constexpr (Predictor == 2) return above;
    if constexpr (Predictor == 3) return aboveLeft;
    if constexpr (Predictor == 4) return static_cast<unsigned>(a + b - c) & 0xFFFFu;
    if constexpr (Predictor == 5) return static_cast<unsigned>(a + ((b - c) >> 1)) & 0xFFFFu;
    if constexpr (Predictor == 6) return static_cast<unsigned>(b + ((a - c) >> 1)) & 0xFFFFu;
    if constexpr (Predictor == 7) return (left + above) >> 1;
}

// Decodes `count` samples of one quadrant row into every second sample of
// `out`; their upper neighbours are every second sample of `above` (unread
// by predictor 1). `left` and `aboveLeft` carry the neighbours from one run
// to the next. False for bits that start no code.
//
// The loop is bound by one chain: look-up, shift, next look-up. The next
// look-up takes its bits from the shifted word before the refill is merged
// in, which it need not wait for: a difference takes at most 32 bits and a
// refill leaves at least 56, so at least 24 valid bits remain.
template <int Predictor>
[[gnu::always_inline]] inline bool decodeRun(BitReader& reader, const DecodeTable& table, std::uint16_t* out,
                                             const std::uint16_t* above, int count, unsigned& left,
                                             unsigned& aboveLeft) {
    std::uint64_t bits = reader.bits;  // the reader's state in registers
    std::uint64_t valid = reader.valid;
    const std::uint8_t* next = reader.next;
    unsigned a = left;
    unsigned c = aboveLeft;
    std::uint64_t lookup = bits >> (64 - kLookupBits);
    bool ok = true;
    for (std::size_t i = 0; i < static_cast<std::size_t>(count); ++i) {
        unsigned b = 0;
        if constexpr (Predictor != 1) b = above[2 * i];
        Difference difference{table.total[lookup], 0};
        if (difference.total != 0) [[likely]] {
            const auto low = static_cast<unsigned>(bits >> table.lowShift[lookup]) & table.lowMask[lookup];
            difference.value = table.base[lookup] + low;
        } else {
            difference = decodeTheLongWay(table, bits);
            if (difference.total == 0) {
                ok = false;
                break;
            }
        }
        const unsigned sample = (predict<Predictor>(a, b, c) + difference.value) & 0xFFFFu;
        out[2 * i] = static_cast<std::uint16_t>(sample);
        a = sample;
        c = b;

        const std::uint64_t shifted = bits << difference.total;
        valid -= difference.total;
        lookup = shifted >> (64 - kLookupBits);
        bits = shifted | (bigEndian64(next) >> valid);
        next += 7 - (valid >> 3);
        valid |= 56;
    }
    reader.bits = bits;
    reader.valid = valid;
    reader.next = next;
    left = a;
    aboveLeft = c;
    return ok;
}

// Every row of the quadrant image, each straight into its Bayer row: the left
// quadrants' samples to the even columns, the right ones' to the odd. The
// first row is predicted from the left (its first sample from 32768), the
// first sample of every later row from the one above. Before each row the
// reader must still be inside the scan, which the padding after it makes
// enough for any row.
struct RowsToDecode {
    const DecodeTable* table;
    const std::uint8_t* scan;
    std::size_t scanBytes;
    std::uint16_t* bayer;
    std::size_t strideSamples;
    int width;
    int height;
};

template <int Predictor>
[[gnu::always_inline]] inline bool decodeRowsBody(BitReader& reader, const RowsToDecode& rows) {
    const DecodeTable& table = *rows.table;
    const QuadrantSplit split = splitQuadrants(rows.width, rows.height);
    for (int y = 0; y < rows.height; ++y) {
        if (reader.position(rows.scan) > rows.scanBytes * 8) return false;
        std::uint16_t* row =
            rows.bayer + static_cast<std::size_t>(quadrantSourceRow(y, rows.height)) * rows.strideSamples;
        unsigned left = 0x8000u;
        unsigned aboveLeft = 0;
        if (y == 0) {
            if (!decodeRun<1>(reader, table, row, nullptr, split.leftWidth, left, aboveLeft) ||
                !decodeRun<1>(reader, table, row + 1, nullptr, split.rightWidth, left, aboveLeft))
                return false;
            continue;
        }
        const std::uint16_t* above =
            rows.bayer + static_cast<std::size_t>(quadrantSourceRow(y - 1, rows.height)) * rows.strideSamples;
        if (!decodeRun<2>(reader, table, row, above, 1, left, aboveLeft) ||
            !decodeRun<Predictor>(reader, table, row + 2, above + 2, split.leftWidth - 1, left, aboveLeft) ||
            !decodeRun<Predictor>(reader, table, row + 1, above + 1, split.rightWidth, left, aboveLeft))
            return false;
    }
    return true;
}

template <int Predictor>
bool decodeRows(BitReader& reader, const RowsToDecode& rows) {
    return decodeRowsBody<Predictor>(reader, rows);
}

#if defined(__x86_64__)
// The same with the shifts that take any register as their count (BMI2),
// which the loop is full of.
template <int Predictor>
__attribute__((target("bmi,bmi2"))) bool decodeRowsBmi2(BitReader& reader, const RowsToDecode& rows) {
    return decodeRowsBody<Predictor>(reader, rows);
}

bool hasBmi2() {
    static const bool has = __builtin_cpu_supports("bmi") && __builtin_cpu_supports("bmi2");
    return has;
}
#endif

template <int Predictor>
bool decodeRowsOnThisProcessor(BitReader& reader, const RowsToDecode& rows) {
#if defined(__x86_64__)
    if (hasBmi2()) return decodeRowsBmi2<Predictor>(reader, rows);
#endif
    return decodeRows<Predictor>(reader, rows);
}

bool decodeAllRows(int predictor, BitReader& reader, const RowsToDecode& rows) {
    switch (predictor) {
        case 1:
            return decodeRowsOnThisProcessor<1>(reader, rows);
        case 2:
            return decodeRowsOnThisProcessor<2>(reader, rows);
        case 3:
            return decodeRowsOnThisProcessor<3>(reader, rows);
        case 4:
            return decodeRowsOnThisProcessor<4>(reader, rows);
        case 5:
            return decodeRowsOnThisProcessor<5>(reader, rows);
        case 6:
            return decodeRowsOnThisProcessor<6>(reader, rows);
        case 7:
            return decodeRowsOnThisProcessor<7>(reader, rows);
        default:
            return false;
    }
}

Status damaged(const std::string& why) {
    return Status::failure(ErrorCode::kBadInput, "the lossless JPEG image " + why);
}

constexpr std::uint8_t kMarkerStart = 0xFF;
constexpr std::uint8_t kEndOfImage = 0xD9;
constexpr std::uint8_t kFirstRestart = 0xD0;
constexpr std::uint8_t kLastRestart = 0xD7;

// Copies the entropy-coded bytes from `begin` into `scan` without their
// stuffed zeros, up to the marker that ends them, which must be the end of
// the image; zeros follow for the reads past the end. Gives their count.
Result<std::size_t> unstuffScan(const std::uint8_t* begin, const std::uint8_t* end, std::size_t padding,
                                std::vector<std::uint8_t>& scan) {
    const std::size_t needed = static_cast<std::size_t>(end - begin) + padding;
    if (scan.size() < needed) {
        try {
            scan.resize(needed);
        } catch (const std::bad_alloc&) {
            return Status::failure(ErrorCode::kNoMemory, "no memory for a lossless JPEG image's scan");
        }
    }
    std::uint8_t* out = scan.data();
    const std::uint8_t* at = begin;
    for (;;) {
        const auto* found = static_cast<const std::uint8_t*>(
            std::memchr(at, kMarkerStart, static_cast<std::size_t>(end - at)));
        if (found == nullptr || found + 1 == end) return damaged("ends inside its scan");
        std::memcpy(out, at, static_cast<std::size_t>(found - at));
        out += found - at;
        if (found[1] == 0) {
            *out++ = kMarkerStart;
            at = found + 2;
            continue;
        }
        const std::uint8_t* marker = found + 1;
        while (marker < end && *marker == kMarkerStart) ++marker;  // fill bytes
        if (marker == end) return damaged("ends inside its scan");
        if (*marker >= kFirstRestart && *marker <= kLastRestart)
            return Status::failure(ErrorCode::kUnsupported, "the lossless JPEG image has restart markers");
        if (*marker != kEndOfImage) return damaged("has no end-of-image marker after its scan");
        break;
    }
    const auto bytes = static_cast<std::size_t>(out - scan.data());
    std::memset(out, 0, padding);
    return bytes;
}

}  // namespace

Status LosslessJpegDecoder::decode(std::span<const std::uint8_t> image, std::uint16_t* bayer,
                                   std::size_t strideSamples, int maxWidth, int maxHeight,
                                   LosslessJpegDecoded* decoded) {
    if (bayer == nullptr || decoded == nullptr)
        return Status::failure(ErrorCode::kBadInput, "no frame to decode the lossless JPEG image into");
    Result<LosslessJpegSegments> read = readLosslessJpegSegments(image);
    if (!read.ok()) return read.status();
    const LosslessJpegSegments& segments = read.value();
    const int width = segments.width;
    const int height = segments.height;
    if (width > maxWidth || height > maxHeight || strideSamples < static_cast<std::size_t>(width))
        return Status::failure(ErrorCode::kBadInput, "the lossless JPEG image is " + std::to_string(width) +
                                                         "x" + std::to_string(height) +
                                                         ", larger than the frame it is decoded into");

    const std::size_t padding = kMostBytesPerSample * static_cast<std::size_t>(width) + kPaddingSlack;
    const Result<std::size_t> scanBytes =
        unstuffScan(image.data() + segments.scanOffset, image.data() + image.size(), padding, scan_);
    if (!scanBytes.ok()) return scanBytes.status();

    DecodeTable table;
    buildDecodeTable(segments.table, table);
    BitReader reader;
    reader.next = scan_.data();
    reader.refill();
    const RowsToDecode rows{&table, scan_.data(), scanBytes.value(), bayer, strideSamples, width, height};
    if (!decodeAllRows(segments.predictor, reader, rows)) return damaged("has a damaged scan");

    // The scan ends where the last difference does, its last byte padded with one bits.
    const std::size_t used = reader.position(scan_.data());
    const std::size_t available = scanBytes.value() * 8;
    if (used > available) return damaged("ends inside its scan");
    const std::size_t paddingBits = available - used;
    if (paddingBits >= 8) return damaged("has bytes after its last sample");
    if (paddingBits > 0 && reader.bits >> (64 - paddingBits) != (std::uint64_t{1} << paddingBits) - 1)
        return damaged("has a damaged scan end");

    decoded->width = width;
    decoded->height = height;
    decoded->predictor = segments.predictor;
    decoded->comment = segments.comment;
    return {};
}
