#pragma once

#include <cstddef>
#include <cstdint>
#include <map>
#include <optional>
#include <string>

#include "archive/archive_format.h"
#include "archive/archive_info.h"
#include "media/com_ptr.h"
#include "media/guid.h"
#include "media/result_codes.h"
#include "media/unknown.h"
#include "platform/status.h"

// Reading an archive: a component (registered under CLSID_ArchiveReader by
// registerMovieComponents) opens the movie, gives its raw2tvx tags and
// decodes its frames in order; ArchiveReader below is how the rest of the
// program uses it.

inline constexpr Guid CLSID_ArchiveReader = makeGuid("{6E0F2B1C-8D4A-4C57-9B3E-2F71A05C9D84}");
inline constexpr Guid IID_IArchiveReader = makeGuid("{A3C95E27-41B8-4F0D-8E62-7B19D04F3A56}");

// One frame as the component decoded it.
struct ArchiveFrameRead {
    int width = 0;  // of the frame decoded, in samples
    int height = 0;
    bool marked = false;    // it carried an archive comment
    ArchiveFrameMark mark;  // what the comment says
};

struct IArchiveReader : virtual IUnknown {
    static constexpr Guid kIid = IID_IArchiveReader;

    // Opens the movie at path (UTF-8). A failure leaves its reason in LastMessage.
    virtual HRESULT Open(const std::string& path) = 0;
    // The movie's raw2tvx tags by their four-character names, values as text
    // (integers in decimal): "com.raw2tvx.ACLP" of a MOV, "ACLP=" lines of an
    // AVI's comment.
    virtual HRESULT GetTags(std::map<std::string, std::string>* tags) = 0;
    // Decodes the next frame into bayer (rows strideSamples apart; the frame
    // must fit maxWidth x maxHeight) in the Bayer layout, undoing the quadrant
    // layout. S_FALSE when the movie has no more frames; a frame that cannot be
    // decoded, or is larger than the room, fails.
    virtual HRESULT ReadFrame(std::uint16_t* bayer, std::size_t strideSamples, int maxWidth, int maxHeight,
                              ArchiveFrameRead* frame) = 0;
    // Passes over the next frame without decoding it; S_FALSE at the end.
    virtual HRESULT SkipFrame() = 0;
    // Goes back to the first frame.
    virtual HRESULT Rewind() = 0;
    // How many threads decode each frame, the calling one among them; 0 (the
    // default) for one a processor the process may use. Takes effect when the
    // first frame is read.
    virtual HRESULT SetDecodeThreads(int threads) = 0;
    // The reason of the last failure, in words ("card/A001.mov: ...").
    virtual std::string LastMessage() = 0;
};

// What the program gets of one frame.
struct ArchiveFrame {
    bool ended = false;                    // the movie holds no more frames: nothing was decoded
    std::optional<ArchiveFrameMark> mark;  // the index and checksum the frame carries
    std::uint32_t checksum = 0;            // the CRC-32C of the samples decoded
};

// An archive being read, through the component. Failures: kNotFound or
// kReadFailed (with errno where there is one) when the movie cannot be read,
// kBadInput when it is no archive of this program or a frame is damaged,
// kUnsupported when no archive reader is registered.
class ArchiveReader {
public:
    ArchiveReader();
    ~ArchiveReader();
    ArchiveReader(const ArchiveReader&) = delete;
    ArchiveReader& operator=(const ArchiveReader&) = delete;

    // Opens the movie and reads its archive tags.
    Status open(const std::string& path);
    // The threads that decode each frame of the movies opened from now on (see
    // IArchiveReader::SetDecodeThreads).
    void setDecodeThreads(int threads) { decodeThreads_ = threads; }
    const ArchiveInfo& info() const { return info_; }
    const std::string& path() const { return path_; }

    // Decodes the next frame: info().width x info().height samples into
    // bayer, rows strideSamples apart.
    Status readFrame(std::uint16_t* bayer, std::size_t strideSamples, ArchiveFrame* frame);
    // Passes over the next frame; *ended is set when there was none.
    Status skipFrame(bool* ended);
    // Back to the first frame.
    Status rewind();
    void close();

private:
    ComPtr<IArchiveReader> component_;
    int decodeThreads_ = 0;
    ArchiveInfo info_;
    std::string path_;
};
