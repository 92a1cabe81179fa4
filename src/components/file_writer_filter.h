#pragma once

#include <memory>
#include <mutex>
#include <string>

#include "components/file_sink_name.h"
#include "components/movie_file.h"
#include "media/base_filter.h"
#include "media/base_input_pin.h"
#include "media/sink_interfaces.h"

class CFileWriter;

// The file writer's input, "in": a byte stream whose samples start at the
// byte offset their start time gives.
class CFileWriterInput final : public CBaseInputPin {
public:
    CFileWriterInput(CFileWriter* owner, CritSec& lock);

    HRESULT CheckMediaType(const MediaType& type) override;
    HRESULT Receive(IMediaSample* sample) override;
    HRESULT EndOfStream() override;

private:
    CFileWriter* const owner_;
};

// "File Writer": writes the bytes a multiplexer sends, each at its offset, as
// they come, into a temporary file that becomes the named file only when the
// stream ended and every byte was written.
class CFileWriter final : public CBaseFilter, public IFileSinkFilter2 {
public:
    CFileWriter();

    int GetPinCount() override { return 1; }
    CBasePin* GetPin(int n) override { return n == 0 ? input_.get() : nullptr; }
    HRESULT Pause() override;
    HRESULT Stop() override;

    HRESULT SetFileName(const std::string& path, const MediaType* type) override;
    HRESULT SetMode(std::uint32_t flags) override;

    // For the input pin.
    HRESULT writeBytes(std::int64_t offset, const std::uint8_t* bytes, std::size_t count);
    void endOfStream();

protected:
    HRESULT NonDelegatingQueryInterface(const Guid& iid, void** object) override;

private:
    CritSec stateLock_;
    CritSec pinLock_;
    std::unique_ptr<CFileWriterInput> input_;
    FileSinkName name_;
    std::mutex fileLock_;
    MovieFile file_;
    bool endOfStream_ = false;
    HRESULT failure_ = S_OK;
};
