#pragma once

#include <condition_variable>
#include <cstdint>
#include <deque>
#include <memory>
#include <mutex>
#include <string>
#include <thread>
#include <vector>

#include "media/base_filter.h"
#include "media/crit_sec.h"
#include "support/media_fakes/event_log.h"
#include "support/media_fakes/fake_pins.h"

// Filters for tests of the media framework and of what is built on it: a
// source the test pushes samples through, a transform that may work on a
// thread of its own, and a sink that records what reaches it. Every fake logs
// its steps ("add <name>", "pause <name>", "run <name>", "stop <name>",
// "connect <name> input|output", "eos <name>") to an optional EventLog, under
// its name in the graph.

namespace media_fakes {

class FakeFilter : public CBaseFilter {
public:
    HRESULT JoinFilterGraph(IFilterGraph* graph, const std::string& name) override;
    HRESULT Pause() override;
    HRESULT Run(std::int64_t start) override;
    HRESULT Stop() override;

    // The name in the graph while in one, else the label it was made with.
    std::string label() const;

protected:
    FakeFilter(std::string label, EventLog* log, const Guid& clsid);
    void log(const std::string& event) const;

    CritSec filterLock_;
    CritSec pinLock_;

private:
    // Only this filter's own name: never held while taking another lock.
    mutable std::mutex labelLock_;
    std::string label_;
    EventLog* log_;
};

// A one-pin source: deliver() sends one sample of the given bytes and times.
class FakePushSource final : public FakeFilter {
public:
    struct Options {
        PinTypes types;
        AllocatorProperties buffers{2, 4096, 0, 0};
    };

    explicit FakePushSource(Options options, EventLog* log = nullptr, std::string label = "source");
    ~FakePushSource() override;

    int GetPinCount() override { return 1; }
    CBasePin* GetPin(int n) override;
    FakeOutputPin* output() { return output_.get(); }

    // GetDeliveryBuffer's failure, E_FAIL when the bytes do not fit, else
    // Deliver's result.
    HRESULT deliver(const std::vector<std::uint8_t>& bytes, std::int64_t start, std::int64_t stop);
    HRESULT deliverEndOfStream();

private:
    std::unique_ptr<FakeOutputPin> output_;
};

// What a transform sends downstream for each sample: a small packet naming it.
struct FakePacket {
    std::int64_t start = 0;
    std::int64_t stop = 0;
    std::int32_t length = 0;     // the input sample's data length
    std::uint32_t checksum = 0;  // FNV-1a of the input sample's data
    bool syncPoint = false;
};
inline constexpr std::int32_t kFakePacketBytes = 32;
std::uint32_t fnv1a(const std::uint8_t* data, std::size_t size);
FakePacket readFakePacket(const std::vector<std::uint8_t>& bytes);

// Input pin 0, output pin 1. For every sample received it delivers one
// FakePacket downstream, and it passes end-of-stream on after them. Threaded,
// the work happens on a thread of its own (started on Pause) after a delay
// per sample, and Stop first lets that thread finish and deliver everything
// queued, as a filter with threads must.
class FakeTransform : public FakeFilter {
public:
    struct Options {
        PinTypes inputTypes;
        MediaType outputType;
        bool threaded = false;
        int delayMilliseconds = 0;
        HRESULT stopResult = S_OK;
    };

    FakeTransform(Options options, EventLog* log, std::string label, const Guid& clsid = GUID_NULL);
    ~FakeTransform() override;

    int GetPinCount() override { return 2; }
    CBasePin* GetPin(int n) override;
    HRESULT Pause() override;
    HRESULT Stop() override;

    FakeInputPin* input() { return input_.get(); }
    FakeOutputPin* output() { return output_.get(); }
    int samplesReceived() const;
    int packetsDelivered() const;
    bool endOfStreamDelivered() const;

private:
    struct Work {
        enum class Kind { Sample, EndOfStream, Quit } kind = Kind::Sample;
        ComPtr<IMediaSample> sample;
    };

    HRESULT receive(IMediaSample* sample);
    HRESULT endOfStream();
    HRESULT process(IMediaSample* sample);
    HRESULT passEndOfStream();
    void runWorker();
    void finishWorker();
    void noteResult(HRESULT hr);

    const Options options_;
    std::unique_ptr<FakeInputPin> input_;
    std::unique_ptr<FakeOutputPin> output_;
    std::thread worker_;

    mutable std::mutex workLock_;
    std::condition_variable workArrived_;
    std::deque<Work> work_;
    HRESULT firstFailure_ = S_OK;
    int samplesReceived_ = 0;
    int packetsDelivered_ = 0;
    bool endOfStreamDelivered_ = false;
};

// One input pin that records every sample: times, flags and data.
class FakeSink : public FakeFilter {
public:
    struct Options {
        PinTypes inputTypes;
        int delayMilliseconds = 0;  // per sample, in Receive
        HRESULT receiveResult = S_OK;
        HRESULT stopResult = S_OK;
    };
    struct Received {
        HRESULT timeResult = S_OK;
        std::int64_t start = 0;
        std::int64_t stop = 0;
        bool syncPoint = false;
        std::vector<std::uint8_t> bytes;
    };

    FakeSink(Options options, EventLog* log, std::string label, const Guid& clsid = GUID_NULL);
    ~FakeSink() override;

    int GetPinCount() override { return 1; }
    CBasePin* GetPin(int n) override;
    HRESULT Stop() override;

    FakeInputPin* input() { return input_.get(); }
    std::vector<Received> received() const;
    int receivedCount() const;
    bool endOfStreamReceived() const;
    // What had arrived when the filter was last stopped.
    int receivedAtStop() const;
    bool endOfStreamAtStop() const;

private:
    HRESULT receive(IMediaSample* sample);
    HRESULT endOfStream();

    const Options options_;
    std::unique_ptr<FakeInputPin> input_;
    mutable std::mutex dataLock_;
    std::vector<Received> received_;
    bool endOfStream_ = false;
    int receivedAtStop_ = -1;
    bool endOfStreamAtStop_ = false;
};

}  // namespace media_fakes
