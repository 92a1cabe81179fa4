#include "components/lossless_jpeg_decoder.h"

#include <algorithm>
#include <array>
#include <bit>
#include <cstring>
#include <new>

#include "components/bayer_quadrants.h"
#include "components/helper_threads.h"
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

// The state of one interval's decoding, kept in registers while a run of
// samples is decoded: the reader, the next look-up, and the left and
// above-left neighbours of the next sample.
struct Lane {
    std::uint64_t bits;
    std::uint64_t valid;
    const std::uint8_t* next;
    std::uint64_t lookup;
    unsigned left;
    unsigned aboveLeft;
};

// A row starts from the reader where the row before it stopped, its first
// sample's neighbours not yet known.
inline Lane laneOf(const BitReader& reader) {
    return {reader.bits, reader.valid, reader.next, reader.bits >> (64 - kLookupBits), 0x8000u, 0};
}

inline void keepLane(const Lane& lane, BitReader& reader) {
    reader.bits = lane.bits;
    reader.valid = lane.valid;
    reader.next = lane.next;
}

// Decodes one sample into *out, whose upper neighbour is *above (unread by
// predictor 1). False for bits that start no code.
//
// The step is bound by one chain: look-up, shift, next look-up. The next
// look-up takes its bits from the shifted word before the refill is merged
// in, which it need not wait for: a difference takes at most 32 bits and a
// refill leaves at least 56, so at least 24 valid bits remain.
template <int Predictor>
[[gnu::always_inline]] inline bool decodeSample(Lane& lane, const DecodeTable& table, std::uint16_t* out,
                                                const std::uint16_t* above) {
    unsigned b = 0;
    if constexpr (Predictor != 1) b = *above;
    const std::uint64_t lookup = lane.lookup;
    Difference difference{table.total[lookup], 0};
    if (difference.total != 0) [[likely]] {
        const auto low = static_cast<unsigned>(lane.bits >> table.lowShift[lookup]) & table.lowMask[lookup];
        difference.value = table.base[lookup] + low;
    } else {
        difference = decodeTheLongWay(table, lane.bits);
        if (difference.total == 0) return false;
    }
    const unsigned sample = (predict<Predictor>(lane.left, b, lane.aboveLeft) + difference.value) & 0xFFFFu;
    *out = static_cast<std::uint16_t>(sample);
    lane.left = sample;
    lane.aboveLeft = b;

    const std::uint64_t shifted = lane.bits << difference.total;
    lane.valid -= difference.total;
    lane.lookup = shifted >> (64 - kLookupBits);
    lane.bits = shifted | (bigEndian64(lane.next) >> lane.valid);
    lane.next += 7 - (lane.valid >> 3);
    lane.valid |= 56;
    return true;
}

// The upper neighbour of the i-th sample of a run; none for predictor 1, whose
// runs have no row above.
template <int Predictor>
inline const std::uint16_t* aboveAt(const std::uint16_t* above, std::size_t i) {
    if constexpr (Predictor == 1) return nullptr;
    return above + 2 * i;
}

// A run of `count` samples of a quadrant row in each of N intervals, into
// every second sample of its `out`, above every second sample of its `above`,
// a sample of each interval in turn: their chains are independent, so the
// processor works on all of them at once.
template <int Predictor, std::size_t N>
[[gnu::always_inline]] inline bool decodeRuns(std::array<Lane, N>& lanes, const DecodeTable& table,
                                              const std::array<std::uint16_t*, N>& out,
                                              const std::array<const std::uint16_t*, N>& above, int count) {
    for (std::size_t i = 0; i < static_cast<std::size_t>(count); ++i)
        for (std::size_t k = 0; k < N; ++k)
            if (!decodeSample<Predictor>(lanes[k], table, out[k] + 2 * i, aboveAt<Predictor>(above[k], i)))
                return false;
    return true;
}

// Every pointer of a run moved by `samples`.
template <class Pointer, std::size_t N>
inline std::array<Pointer, N> movedBy(const std::array<Pointer, N>& pointers, std::size_t samples) {
    std::array<Pointer, N> moved = pointers;
    for (Pointer& pointer : moved)
        if (pointer != nullptr) pointer += samples;
    return moved;
}

// The frame and where its rows go: each quadrant row straight into its Bayer
// row, the left quadrants' samples to the even columns, the right ones' to the
// odd.
struct RowsToDecode {
    const DecodeTable* table;
    std::uint16_t* bayer;
    std::size_t strideSamples;
    int width;
    int height;

    std::uint16_t* row(int y) const {
        return bayer + static_cast<std::size_t>(quadrantSourceRow(y, height)) * strideSamples;
    }
};

// The first row of an interval is predicted from the left (its first sample
// from 32768), the first sample of every later row from the one above.
using Interval = LosslessJpegInterval;

// Every row of N intervals of as many rows, row by row in turn. Before each
// row every reader must still be inside its interval, which the padding after
// the scan makes enough for any row.
template <int Predictor, std::size_t N>
[[gnu::always_inline]] inline bool decodeIntervalRows(std::array<BitReader, N>& readers,
                                                      const std::uint8_t* scan, const Interval* intervals,
                                                      const RowsToDecode& rows) {
    const DecodeTable& table = *rows.table;
    const QuadrantSplit split = splitQuadrants(rows.width, rows.height);
    for (int r = 0; r < intervals[0].rowCount; ++r) {
        std::array<Lane, N> lanes;
        std::array<std::uint16_t*, N> out;
        std::array<const std::uint16_t*, N> above{};
        for (std::size_t k = 0; k < N; ++k) {
            if (readers[k].position(scan) > intervals[k].end * 8) return false;
            lanes[k] = laneOf(readers[k]);
            out[k] = rows.row(intervals[k].firstRow + r);
            if (r > 0) above[k] = rows.row(intervals[k].firstRow + r - 1);
        }
        const bool ok = r == 0 ? decodeRuns<1>(lanes, table, out, above, split.leftWidth) &&
                                     decodeRuns<1>(lanes, table, movedBy(out, 1), above, split.rightWidth)
                               : decodeRuns<2>(lanes, table, out, above, 1) &&
                                     decodeRuns<Predictor>(lanes, table, movedBy(out, 2), movedBy(above, 2),
                                                           split.leftWidth - 1) &&
                                     decodeRuns<Predictor>(lanes, table, movedBy(out, 1), movedBy(above, 1),
                                                           split.rightWidth);
        for (std::size_t k = 0; k < N; ++k) keepLane(lanes[k], readers[k]);
        if (!ok) return false;
    }
    return true;
}

// The scan of one interval ends where its last difference does, its last byte
// padded with one bits.
bool endsCleanly(const BitReader& reader, const std::uint8_t* scan, const Interval& interval) {
    const std::size_t used = reader.position(scan);
    const std::size_t available = interval.end * 8;
    if (used > available || available - used >= 8) return false;
    const std::size_t paddingBits = available - used;
    return paddingBits == 0 || reader.bits >> (64 - paddingBits) == (std::uint64_t{1} << paddingBits) - 1;
}

BitReader readerAt(const std::uint8_t* scan, const Interval& interval) {
    BitReader reader;
    reader.next = scan + interval.begin;
    reader.refill();
    return reader;
}

// N intervals from their starts to their clean ends.
template <int Predictor, std::size_t N>
[[gnu::always_inline]] inline bool decodeIntervalGroup(const std::uint8_t* scan, const Interval* intervals,
                                                       const RowsToDecode& rows) {
    std::array<BitReader, N> readers;
    for (std::size_t k = 0; k < N; ++k) readers[k] = readerAt(scan, intervals[k]);
    if (!decodeIntervalRows<Predictor, N>(readers, scan, intervals, rows)) return false;
    for (std::size_t k = 0; k < N; ++k)
        if (!endsCleanly(readers[k], scan, intervals[k])) return false;
    return true;
}

// Every interval, two at a time where two have as many rows.
template <int Predictor>
[[gnu::always_inline]] inline bool decodeIntervalsBody(const std::uint8_t* scan,
                                                       std::span<const Interval> intervals,
                                                       const RowsToDecode& rows) {
    std::size_t index = 0;
    for (; index + 1 < intervals.size() && intervals[index].rowCount == intervals[index + 1].rowCount;
         index += 2)
        if (!decodeIntervalGroup<Predictor, 2>(scan, &intervals[index], rows)) return false;
    for (; index < intervals.size(); ++index)
        if (!decodeIntervalGroup<Predictor, 1>(scan, &intervals[index], rows)) return false;
    return true;
}

template <int Predictor>
bool decodeIntervals(const std::uint8_t* scan, std::span<const Interval> intervals,
                     const RowsToDecode& rows) {
    return decodeIntervalsBody<Predictor>(scan, intervals, rows);
}

#if defined(__x86_64__)
// The same with the shifts that take any register as their count (BMI2),
// which the loop is full of.
template <int Predictor>
__attribute__((target("bmi,bmi2"))) bool decodeIntervalsBmi2(const std::uint8_t* scan,
                                                             std::span<const Interval> intervals,
                                                             const RowsToDecode& rows) {
    return decodeIntervalsBody<Predictor>(scan, intervals, rows);
}

bool hasBmi2() {
    static const bool has = __builtin_cpu_supports("bmi") && __builtin_cpu_supports("bmi2");
    return has;
}
#endif

template <int Predictor>
bool decodeOnThisProcessor(const std::uint8_t* scan, std::span<const Interval> intervals,
                           const RowsToDecode& rows) {
#if defined(__x86_64__)
    if (hasBmi2()) return decodeIntervalsBmi2<Predictor>(scan, intervals, rows);
#endif
    return decodeIntervals<Predictor>(scan, intervals, rows);
}

bool decodeAllIntervals(int predictor, const std::uint8_t* scan, std::span<const Interval> intervals,
                        const RowsToDecode& rows) {
    switch (predictor) {
        case 1:
            return decodeOnThisProcessor<1>(scan, intervals, rows);
        case 2:
            return decodeOnThisProcessor<2>(scan, intervals, rows);
        case 3:
            return decodeOnThisProcessor<3>(scan, intervals, rows);
        case 4:
            return decodeOnThisProcessor<4>(scan, intervals, rows);
        case 5:
            return decodeOnThisProcessor<5>(scan, intervals, rows);
        case 6:
            return decodeOnThisProcessor<6>(scan, intervals, rows);
        case 7:
            return decodeOnThisProcessor<7>(scan, intervals, rows);
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
// the image; zeros follow for the reads past the end. Every restart marker on
// the way must be the next of RST0..RST7 in turn; `intervals` gets the byte
// where each interval starts, the first at 0. Gives the bytes' count.
Result<std::size_t> unstuffScan(const std::uint8_t* begin, const std::uint8_t* end, std::size_t padding,
                                std::vector<std::uint8_t>& scan, std::vector<Interval>& intervals) {
    const std::size_t needed = static_cast<std::size_t>(end - begin) + padding;
    try {
        if (scan.size() < needed) scan.resize(needed);
        intervals.assign(1, Interval{});
    } catch (const std::bad_alloc&) {
        return Status::failure(ErrorCode::kNoMemory, "no memory for a lossless JPEG image's scan");
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
        if (*marker >= kFirstRestart && *marker <= kLastRestart) {
            const std::size_t expected = (intervals.size() - 1) % 8;
            if (static_cast<std::size_t>(*marker - kFirstRestart) != expected)
                return damaged("has its restart markers out of order");
            try {
                intervals.push_back({0, 0, static_cast<std::size_t>(out - scan.data()), 0});
            } catch (const std::bad_alloc&) {
                return Status::failure(ErrorCode::kNoMemory, "no memory for a lossless JPEG image's scan");
            }
            at = marker + 1;
            continue;
        }
        if (*marker != kEndOfImage) return damaged("has no end-of-image marker after its scan");
        break;
    }
    const auto bytes = static_cast<std::size_t>(out - scan.data());
    std::memset(out, 0, padding);
    return bytes;
}

// Rows of each restart interval but the last; the whole image without restarts.
int rowsPerInterval(int height, int restartRows) {
    return restartRows == 0 ? height : restartRows;
}

// How many restart intervals an image of this height has.
std::size_t intervalCount(int height, int restartRows) {
    const int rowsEach = rowsPerInterval(height, restartRows);
    return static_cast<std::size_t>((height + rowsEach - 1) / rowsEach);
}

// The rows and bytes of each interval the markers gave; false when they are
// not the intervals the image's size and restart interval make.
bool placeIntervals(std::vector<Interval>& intervals, std::size_t scanBytes, int height, int restartRows) {
    if (intervals.size() != intervalCount(height, restartRows)) return false;
    const int rowsEach = rowsPerInterval(height, restartRows);
    for (std::size_t index = 0; index < intervals.size(); ++index) {
        Interval& interval = intervals[index];
        interval.firstRow = static_cast<int>(index) * rowsEach;
        interval.rowCount = std::min(rowsEach, height - interval.firstRow);
        interval.end = index + 1 < intervals.size() ? intervals[index + 1].begin : scanBytes;
    }
    return true;
}

// A share of the intervals for each thread: whole pairs, as even as can be.
struct SharedDecode {
    int predictor;
    const std::uint8_t* scan;
    std::span<const Interval> intervals;
    const RowsToDecode* rows;
    int parts;
    bool failed[kMostLosslessJpegDecodeThreads];
};

constexpr int kIntervalsAPart = 2;

void decodeShare(int part, void* argument) {
    auto& shared = *static_cast<SharedDecode*>(argument);
    const std::size_t pairs = (shared.intervals.size() + 1) / kIntervalsAPart;
    const std::size_t first = pairs * static_cast<std::size_t>(part) / static_cast<std::size_t>(shared.parts);
    const std::size_t last =
        pairs * static_cast<std::size_t>(part + 1) / static_cast<std::size_t>(shared.parts);
    const std::size_t begin = first * kIntervalsAPart;
    const std::size_t end = std::min(last * kIntervalsAPart, shared.intervals.size());
    shared.failed[part] = !decodeAllIntervals(shared.predictor, shared.scan,
                                              shared.intervals.subspan(begin, end - begin), *shared.rows);
}

// Every interval, on the caller alone or shared with the helpers. Each
// interval writes its own rows and reads no row of another, so the shares
// need nothing from each other.
bool decodeShared(int predictor, const std::uint8_t* scan, std::span<const Interval> intervals,
                  const RowsToDecode& rows, HelperThreads* helpers) {
    const int most = helpers == nullptr ? 1 : std::min(helpers->count() + 1, kMostLosslessJpegDecodeThreads);
    const int parts =
        std::min(most, static_cast<int>((intervals.size() + kIntervalsAPart - 1) / kIntervalsAPart));
    if (parts <= 1) return decodeAllIntervals(predictor, scan, intervals, rows);
    SharedDecode shared{predictor, scan, intervals, &rows, parts, {}};
    if (!helpers->run(parts, decodeShare, &shared))
        return decodeAllIntervals(predictor, scan, intervals, rows);
    for (int part = 0; part < parts; ++part)
        if (shared.failed[part]) return false;
    return true;
}

}  // namespace

Status LosslessJpegDecoder::decode(std::span<const std::uint8_t> image, std::uint16_t* bayer,
                                   std::size_t strideSamples, int maxWidth, int maxHeight,
                                   LosslessJpegDecoded* decoded, HelperThreads* helpers) {
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
    const Result<std::size_t> scanBytes = unstuffScan(
        image.data() + segments.scanOffset, image.data() + image.size(), padding, scan_, intervals_);
    if (!scanBytes.ok()) return scanBytes.status();
    if (!placeIntervals(intervals_, scanBytes.value(), height, segments.restartRows))
        return damaged("has " + std::to_string(intervals_.size()) + " restart intervals, not the " +
                       std::to_string(intervalCount(height, segments.restartRows)) + " its size makes");

    DecodeTable table;
    buildDecodeTable(segments.table, table);
    const RowsToDecode rows{&table, bayer, strideSamples, width, height};
    if (!decodeShared(segments.predictor, scan_.data(), intervals_, rows, helpers))
        return damaged("has a damaged scan");

    decoded->width = width;
    decoded->height = height;
    decoded->predictor = segments.predictor;
    decoded->comment = segments.comment;
    return {};
}
