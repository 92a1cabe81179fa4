#include "app/run/verify_run.h"

#include <algorithm>
#include <cstdint>
#include <string>
#include <vector>

#include "app/report/exit_codes.h"
#include "app/run/clip_paths.h"
#include "app/run/frame_buffers.h"
#include "archive/archive_reader.h"
#include "platform/directory.h"
#include "raw/clip_reader.h"
#include "raw/unpack.h"

namespace {

// "frame 3", "frames 3 and 4", "frames 3 to 9, 12 and 15".
std::string describeFrames(const std::vector<std::uint64_t>& frames) {
    std::vector<std::string> runs;
    for (std::size_t start = 0; start < frames.size();) {
        std::size_t end = start;
        while (end + 1 < frames.size() && frames[end + 1] == frames[end] + 1) ++end;
        if (end == start)
            runs.push_back(std::to_string(frames[start]));
        else if (end == start + 1) {
            runs.push_back(std::to_string(frames[start]));
            runs.push_back(std::to_string(frames[end]));
        } else {
            runs.push_back(std::to_string(frames[start]) + " to " + std::to_string(frames[end]));
        }
        start = end + 1;
    }
    std::string text = frames.size() == 1 ? "frame " : "frames ";
    for (std::size_t index = 0; index < runs.size(); ++index)
        text += (index == 0 ? "" : index + 1 == runs.size() ? " and " : ", ") + runs[index];
    return text;
}

// What checking one archive found.
struct ArchiveCheck {
    std::uint64_t framesChecked = 0;
    std::vector<std::uint64_t> undecodable;
    std::vector<std::uint64_t> unmarked;     // no mark, or the mark of another frame
    std::vector<std::uint64_t> badChecksum;  // samples that do not give the checksum the frame carries
    std::vector<std::uint64_t> unlikeClip;   // samples unlike the clip's
    std::uint64_t announced = 0;             // frames the clip's trailer announces
    std::string clipProblem;                 // the clip given is not the one archived, or cannot be read

    bool matches() const {
        return undecodable.empty() && unmarked.empty() && badChecksum.empty() && unlikeClip.empty() &&
               framesChecked >= announced && clipProblem.empty();
    }
};

// The samples of a clip as its archive keeps them: the window, stored.
class ClipSamples {
public:
    Status open(const std::string& clipArgument, const ArchiveInfo& info) {
        info_ = info;
        const Status opened = reader_.open(clipBasePath(rebuildClipPath(clipArgument)));
        if (!opened.ok()) return opened;
        const RawClipTrailer& trailer = reader_.trailer();
        if (reader_.clipTrailerBytes() != info.trailerBytes)
            return Status::failure(ErrorCode::kBadInput, "its trailer is not the one the archive keeps");
        frame_.assign(std::size_t{trailer.width} * trailer.height, 0);
        return reader_.positionAtFirstFrame();
    }

    // The next frame's window; false once the clip has no more or cannot be read.
    bool next(std::vector<std::uint16_t>& window) {
        const RawClipTrailer& trailer = reader_.trailer();
        const FrameReadOutcome read = reader_.readFrame(frame_);
        if (read == FrameReadOutcome::PackedFrame)
            unpackStoredSamples(reader_.packedFrame(), frame_, trailer.width, trailer.height,
                                reader_.storedPacking());
        else if (read != FrameReadOutcome::StoredSamples)
            return false;
        window.resize(static_cast<std::size_t>(info_.width) * static_cast<std::size_t>(info_.height));
        for (int row = 0; row < info_.height; ++row) {
            const auto start =
                frame_.begin() + static_cast<std::ptrdiff_t>(
                                     static_cast<std::size_t>(info_.top + row) * trailer.width + info_.left);
            std::copy(start, start + info_.width,
                      window.begin() + static_cast<std::ptrdiff_t>(row) * info_.width);
        }
        return true;
    }

private:
    RawClipReader reader_;
    ArchiveInfo info_;
    std::vector<std::uint16_t> frame_;
};

ArchiveCheck checkArchive(ArchiveReader& archive, const std::string& clipArgument) {
    ArchiveCheck check;
    const ArchiveInfo& info = archive.info();
    check.announced = info.trailer.frameCount;
    ClipSamples clip;
    bool compareClip = false;
    if (!clipArgument.empty()) {
        const Status opened = clip.open(clipArgument, info);
        if (opened.ok())
            compareClip = true;
        else
            check.clipProblem = clipArgument + " " +
                                (opened.code() == ErrorCode::kBadInput
                                     ? std::string("is not the clip archived: ") + opened.message()
                                     : "cannot be read: " + opened.message());
    }
    SampleBuffer frame;
    if (!frame.allocate(static_cast<std::size_t>(info.width) * static_cast<std::size_t>(info.height))) {
        check.clipProblem = "no memory for a frame";
        return check;
    }
    std::vector<std::uint16_t> clipWindow;
    // A damaged movie may fail frame after frame: never more attempts than frames it can hold.
    for (std::uint64_t index = 0; index <= check.announced + 1; ++index) {
        ArchiveFrame read;
        const Status status = archive.readFrame(frame.data(), static_cast<std::size_t>(info.width), &read);
        if (status.ok() && read.ended) break;
        ++check.framesChecked;
        if (!status.ok()) {
            check.undecodable.push_back(index);
        } else if (!read.mark || read.mark->index != index) {
            check.unmarked.push_back(index);
        } else if (read.mark->checksum != read.checksum) {
            check.badChecksum.push_back(index);
        }
        if (compareClip) {
            if (!clip.next(clipWindow)) {
                compareClip = false;
                check.clipProblem = clipArgument + " holds fewer frames than the archive";
            } else if (!status.ok() || !std::equal(clipWindow.begin(), clipWindow.end(), frame.data())) {
                check.unlikeClip.push_back(index);
            }
        }
    }
    return check;
}

// The verb for one frame or many.
const char* verb(const std::vector<std::uint64_t>& frames, const char* one, const char* many) {
    return frames.size() == 1 ? one : many;
}

std::string reportOf(const std::string& archive, const ArchiveCheck& check, const std::string& clipArgument) {
    std::string text = archive + ": " + std::to_string(check.framesChecked) +
                       (check.framesChecked == 1 ? " frame" : " frames") + " checked";
    if (check.matches())
        return text + ", all match their checksums" + (clipArgument.empty() ? "" : " and " + clipArgument);
    std::vector<std::string> findings;
    if (!check.undecodable.empty())
        findings.push_back(describeFrames(check.undecodable) + " cannot be decoded");
    if (!check.unmarked.empty())
        findings.push_back(describeFrames(check.unmarked) +
                           verb(check.unmarked, " carries no mark of its", " carry no mark of their") +
                           " place in the clip");
    if (!check.badChecksum.empty())
        findings.push_back(describeFrames(check.badChecksum) + verb(check.badChecksum,
                                                                    " does not match its checksum",
                                                                    " do not match their checksums"));
    if (!check.unlikeClip.empty())
        findings.push_back(describeFrames(check.unlikeClip) + verb(check.unlikeClip, " differs", " differ") +
                           " from " + clipArgument);
    if (check.framesChecked < check.announced) {
        std::vector<std::uint64_t> missing;
        for (std::uint64_t frame = check.framesChecked; frame < check.announced; ++frame)
            missing.push_back(frame);
        findings.push_back(describeFrames(missing) + " of the " + std::to_string(check.announced) +
                           " the clip has " + verb(missing, "is", "are") + " missing");
    }
    if (!check.clipProblem.empty()) findings.push_back(check.clipProblem);
    for (std::size_t index = 0; index < findings.size(); ++index)
        text += (index == 0 ? ": " : "; ") + findings[index];
    return text;
}

// The archives an argument names, in name order.
std::vector<std::string> archivesOf(const std::string& argument) {
    if (!containsWildcard(argument)) return {argument};
    std::vector<std::string> archives;
    const std::string directory = platform::directoryPart(argument);
    for (const platform::DirectoryEntry& entry : platform::listMatchingFiles(argument))
        archives.push_back(directory + entry.name);
    return archives;
}

}  // namespace

int runVerify(const CommandLine& commandLine, Console& console) {
    const std::vector<std::string> archiveArguments = archiveArgumentsOf(commandLine.arguments);
    const std::vector<std::string> clips = clipArgumentsOf(commandLine.arguments);
    std::vector<std::string> clipArguments;
    for (const std::string& clip : clips)
        if (std::find(archiveArguments.begin(), archiveArguments.end(), clip) == archiveArguments.end())
            clipArguments.push_back(clip);
    if (archiveArguments.empty()) {
        console.error(
            "--verify: name the archive to check (.mov or .avi), and the clip to compare it with if any");
        return exit_codes::kUsage;
    }
    const std::string& archiveArgument = archiveArguments.front();
    if (clipArguments.size() > 1 || (!clipArguments.empty() && containsWildcard(archiveArgument)) ||
        (!clipArguments.empty() && containsWildcard(clipArguments.front()))) {
        console.error("--verify: one archive is compared with one clip: name them both without a '*'");
        return exit_codes::kUsage;
    }
    const std::string clipArgument = clipArguments.empty() ? std::string() : clipArguments.front();
    const std::vector<std::string> archives = archivesOf(archiveArgument);
    if (archives.empty()) {
        console.report("no files with this * pattern was found\n");
        return exit_codes::kNoWildcardMatch;
    }
    int exitCode = exit_codes::kSuccess;
    for (const std::string& path : archives) {
        ArchiveReader archive;
        if (const Status opened = archive.open(path); !opened.ok()) {
            console.report("%s: cannot be read: %s\n", path.c_str(), opened.message().c_str());
            exitCode = std::max(exitCode, exit_codes::kClipUnusable);
            continue;
        }
        const ArchiveCheck check = checkArchive(archive, clipArgument);
        console.report("%s\n", reportOf(path, check, clipArgument).c_str());
        if (!check.matches()) exitCode = std::max(exitCode, exit_codes::kVerifyMismatch);
    }
    return exitCode;
}
