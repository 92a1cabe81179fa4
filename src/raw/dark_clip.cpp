#include "raw/dark_clip.h"

#include <algorithm>
#include <array>
#include <cstdint>
#include <cstdio>
#include <vector>

#include "platform/directory.h"
#include "platform/file.h"
#include "raw/clip_trailer.h"
#include "raw/packed_group14.h"
#include "raw/trailer_at_end.h"

namespace {

constexpr std::size_t kSampledBytes = 1048576;
constexpr std::size_t kSampledGroups = 74898;  // whole 14-byte groups in the sampled bytes
constexpr int kDarkSpread = 200;               // raw 14-bit sample units
constexpr std::uint64_t kLargestCandidate = 1ull << 32;

std::string withoutExtension(const std::string& name) {
    const std::size_t dot = name.rfind('.');
    return dot == std::string::npos ? name : name.substr(0, dot);
}

// The offset of a version-1 trailer at the end of the file, or -1.
std::int64_t findUsableTrailer(platform::File& file) {
    const TrailerAtEnd found = readTrailerAtEnd(file);
    if (!found.trailer || found.trailer->version != kSupportedTrailerVersion) return -1;
    return found.offset;
}

}  // namespace

DarkSampleStats measurePackedSamples(const unsigned char* bytes, std::size_t size) {
    // Whole groups only: the last one read ends at or before size.
    const std::size_t groups = std::min(size / kGroup14Bytes, kSampledGroups);
    DarkSampleStats stats;
    if (groups == 0) return stats;
    int minimum = 16383;
    long long sum = 0;
    for (std::size_t group = 0; group < groups; ++group) {
        std::uint32_t samples[kGroup14Samples];
        decodeGroup14(bytes + group * kGroup14Bytes, samples);
        for (const std::uint32_t sample : samples) {
            minimum = std::min(minimum, static_cast<int>(sample));
            sum += sample;
        }
    }
    stats.samples = static_cast<long long>(groups) * 8;
    stats.minimum = minimum;
    stats.mean = static_cast<int>(sum / stats.samples);
    return stats;
}

DarkClipSearch findDarkClip(const std::string& pattern) {
    const std::vector<platform::DirectoryEntry> matches = platform::listMatchingFiles(pattern);
    if (matches.empty()) return {DarkClipOutcome::NoMatch, pattern, {}};

    const std::string directory = platform::directoryPart(pattern);
    std::vector<unsigned char> start(kSampledBytes);
    for (const platform::DirectoryEntry& match : matches) {
        if (match.size >= kLargestCandidate) continue;
        const std::string candidate =
            platform::findFileIgnoringCase(directory + withoutExtension(match.name) + ".RAW");
        platform::File file;
        if (!file.open(candidate, platform::File::Access::Read)) continue;
        const std::int64_t trailerOffset = findUsableTrailer(file);
        if (trailerOffset < 0) continue;
        if (file.seek(0, platform::File::Origin::Begin) < 0) continue;
        // A clip shorter than the sampled bytes is judged on the groups it
        // holds; its trailer is no sample data.
        const std::size_t wanted = static_cast<std::size_t>(
            std::min<std::int64_t>(trailerOffset, static_cast<std::int64_t>(start.size())));
        const std::int64_t got = file.read(start.data(), wanted);
        if (got <= 0) continue;
        const DarkSampleStats stats = measurePackedSamples(start.data(), static_cast<std::size_t>(got));
        if (stats.samples == 0) continue;
        if (stats.mean - stats.minimum < kDarkSpread) {
            return {DarkClipOutcome::Chosen, candidate, match.name};
        }
    }
    return {DarkClipOutcome::NoneQualifies, pattern, {}};
}
