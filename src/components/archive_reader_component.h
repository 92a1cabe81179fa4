#pragma once

#include <cstddef>
#include <cstdint>
#include <map>
#include <memory>
#include <string>

#include "archive/archive_reader.h"
#include "components/helper_threads.h"
#include "components/lossless_jpeg_decoder.h"
#include "media/unknown.h"

// The archive reader (CLSID_ArchiveReader): a MOV or an AVI read with
// libavformat, its first video stream taken frame by frame and each frame
// decoded by our lossless JPEG decoder. A movie is refused when its video is
// not lossless JPEG as our encoder writes it, or when it has no ARCV tag.
//
// Failures carry a code the program can tell apart: an errno code
// (hresultFromErrno) when the system could not open or read the file,
// E_INVALIDARG when the file is no archive of ours or a frame is damaged,
// E_OUTOFMEMORY, and E_FAIL for anything else the libraries report. The
// reason, with the file's name, is in LastMessage. Frames are numbered in
// messages from 0, in the order the movie holds them.
//
// Each reader is used by one thread at a time; readers share nothing. A
// frame is decoded on the calling thread and the reader's own helper threads
// together.
class CArchiveReader final : public CUnknown, public IArchiveReader {
public:
    CArchiveReader();
    ~CArchiveReader() override;

    HRESULT Open(const std::string& path) override;
    HRESULT GetTags(std::map<std::string, std::string>* tags) override;
    HRESULT ReadFrame(std::uint16_t* bayer, std::size_t strideSamples, int maxWidth, int maxHeight,
                      ArchiveFrameRead* frame) override;
    HRESULT SkipFrame() override;
    HRESULT Rewind() override;
    HRESULT SetDecodeThreads(int threads) override;
    std::string LastMessage() override;

protected:
    HRESULT NonDelegatingQueryInterface(const Guid& iid, void** object) override;

private:
    struct Movie;

    // Opens path_ and checks that it is an archive; its first frame is read
    // and kept for the first ReadFrame.
    HRESULT openMovie();
    // Makes the movie's next frame current: S_OK, S_FALSE at the end.
    HRESULT nextFrame();
    HRESULT fail(HRESULT result, const std::string& why);
    HRESULT failInLibrary(int averror, const std::string& step);

    std::string path_;
    std::unique_ptr<Movie> movie_;
    std::map<std::string, std::string> tags_;
    LosslessJpegDecoder decoder_;
    // Take their share of each frame's restart intervals; started with the
    // first frame, one fewer than the decoding threads.
    HelperThreads helpers_;
    bool helpersStarted_ = false;
    int decodeThreads_ = 0;       // 0: one a processor
    std::int64_t nextFrame_ = 0;  // the place in the movie of the frame nextFrame() gives
    std::string message_;
};
