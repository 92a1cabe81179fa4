#include "clip_stream_writer.h"

#include <algorithm>
#include <cstdio>
#include <utility>

#include "platform/path.h"

ClipStreamWriter::ClipStreamWriter(std::string firstPath, std::string continuationStem,
                                   std::uint64_t splitBytes)
    : firstPath_(std::move(firstPath)),
      continuationStem_(std::move(continuationStem)),
      splitBytes_(splitBytes) {}

std::string ClipStreamWriter::pathOf(int fileIndex) const {
    if (fileIndex == 0) return firstPath_;
    char number[16];
    std::snprintf(number, sizeof number, "%02d", fileIndex - 1);
    return continuationStem_ + number;
}

bool ClipStreamWriter::fail(const std::string& what) {
    error_ = what + " " + pathOf(fileIndex_) + ": " + platform::errorText(file_.lastError());
    return false;
}

bool ClipStreamWriter::openFile(int fileIndex) {
    fileIndex_ = fileIndex;
    fileEnd_ = 0;
    if (fileIndex > 99) {
        error_ = "a clip has at most 100 files";
        return false;
    }
    if (!file_.open(pathOf(fileIndex), platform::File::Access::CreateWrite)) return fail("cannot create");
    return true;
}

bool ClipStreamWriter::extendTo(std::uint64_t bytes) {
    if (fileEnd_ >= bytes) return true;
    const std::uint8_t zero = 0;
    if (file_.seek(static_cast<std::int64_t>(bytes - 1), platform::File::Origin::Begin) < 0)
        return fail("cannot seek in");
    if (!file_.write(&zero, 1)) return fail("cannot write");
    fileEnd_ = bytes;
    return true;
}

bool ClipStreamWriter::moveToFile(int fileIndex) {
    if (fileIndex_ == fileIndex) return true;
    // Files before the one wanted are complete: each is splitBytes long.
    while (fileIndex_ < fileIndex) {
        if (fileIndex_ >= 0 && !extendTo(splitBytes_)) return false;
        if (!openFile(fileIndex_ + 1)) return false;
    }
    return true;
}

bool ClipStreamWriter::write(const std::uint8_t* bytes, std::size_t count) {
    while (count > 0) {
        const std::uint64_t within = streamOffset_ % splitBytes_;
        const std::uint64_t fileIndex = streamOffset_ / splitBytes_;
        const std::size_t chunk =
            static_cast<std::size_t>(std::min<std::uint64_t>(count, splitBytes_ - within));
        if (!moveToFile(static_cast<int>(std::min<std::uint64_t>(fileIndex, 1000)))) return false;
        if (file_.seek(static_cast<std::int64_t>(within), platform::File::Origin::Begin) < 0)
            return fail("cannot seek in");
        if (!file_.write(bytes, chunk)) return fail("cannot write");
        fileEnd_ = std::max(fileEnd_, within + chunk);
        streamOffset_ += chunk;
        bytes += chunk;
        count -= chunk;
    }
    return true;
}

bool ClipStreamWriter::finish(const std::uint8_t* trailer, std::size_t count) {
    const std::uint64_t fileIndex = streamOffset_ / splitBytes_;
    const std::uint64_t within = streamOffset_ % splitBytes_;
    if (!moveToFile(static_cast<int>(std::min<std::uint64_t>(fileIndex, 1000)))) return false;
    if (!extendTo(within)) return false;
    if (count > 0) {
        if (file_.seek(static_cast<std::int64_t>(within), platform::File::Origin::Begin) < 0)
            return fail("cannot seek in");
        if (!file_.write(trailer, count)) return fail("cannot write");
    }
    file_.close();
    return true;
}
