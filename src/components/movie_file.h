#pragma once

#include <cstdint>
#include <string>

#include "components/byte_sink.h"
#include "components/movie_failure.h"
#include "platform/file.h"

// A movie file being written. Its bytes go to a temporary name in the target's
// directory (/out/.shot.mov.tmp-4711), made anew without following a link
// planted under that name; only a complete file, flushed and closed, is
// renamed onto the final name, replacing any file there. A movie that fails
// or is abandoned leaves nothing behind, and while the file is open an
// interrupted run removes it.
class MovieFile final : public IByteSink {
public:
    MovieFile() = default;
    // Abandons a file that was not committed.
    ~MovieFile() override;
    MovieFile(const MovieFile&) = delete;
    MovieFile& operator=(const MovieFile&) = delete;

    Status create(const std::string& finalPath);
    // Seeks when the offset is not where the last write ended, then writes
    // every byte; a negative errno when either fails (the first failure stays).
    std::int64_t writeAt(std::int64_t offset, const std::uint8_t* bytes, std::size_t count) override;
    // Flushes, closes and renames the file onto its final name. On any
    // failure, including an earlier failed write, the file is removed.
    Status commit();
    // Closes and removes the file; harmless when there is none.
    void abandon();

    bool isOpen() const { return file_.isOpen(); }

private:
    Status failAndRemove(int errorNumber, const char* step);

    platform::File file_;
    std::string finalPath_;
    std::string temporaryPath_;
    std::int64_t position_ = 0;
    int writeError_ = 0;
};
