#include "support/media_fakes/fake_filters.h"

#include <chrono>
#include <cstring>
#include <utility>

namespace media_fakes {

FakeFilter::FakeFilter(std::string label, EventLog* log, const Guid& clsid)
    : CBaseFilter(filterLock_, clsid), label_(std::move(label)), log_(log) {}

HRESULT FakeFilter::JoinFilterGraph(IFilterGraph* graph, const std::string& name) {
    const HRESULT hr = CBaseFilter::JoinFilterGraph(graph, name);
    if (graph != nullptr) {
        {
            std::lock_guard hold(labelLock_);
            label_ = name;
        }
        log("add " + name);
    }
    return hr;
}

std::string FakeFilter::label() const {
    std::lock_guard hold(labelLock_);
    return label_;
}

void FakeFilter::log(const std::string& event) const {
    if (log_ != nullptr) log_->add(event);
}

HRESULT FakeFilter::Pause() {
    log("pause " + label());
    return CBaseFilter::Pause();
}

HRESULT FakeFilter::Run(std::int64_t start) {
    log("run " + label() + " at " + std::to_string(start));
    return CBaseFilter::Run(start);
}

HRESULT FakeFilter::Stop() {
    if (!isStopped()) log("stop " + label());
    return CBaseFilter::Stop();
}

FakePushSource::FakePushSource(Options options, EventLog* log, std::string label)
    : FakeFilter(std::move(label), log, GUID_NULL),
      output_(std::make_unique<FakeOutputPin>(this, pinLock_, "Out", std::move(options.types),
                                              options.buffers, nullptr)) {}

FakePushSource::~FakePushSource() = default;

CBasePin* FakePushSource::GetPin(int n) {
    return n == 0 ? output_.get() : nullptr;
}

HRESULT FakePushSource::deliver(const std::vector<std::uint8_t>& bytes, std::int64_t start,
                                std::int64_t stop) {
    ComPtr<IMediaSample> sample;
    HRESULT hr = output_->GetDeliveryBuffer(&sample, &start, &stop, 0);
    if (failed(hr)) return hr;
    if (static_cast<std::size_t>(sample->GetSize()) < bytes.size()) return E_FAIL;
    std::uint8_t* data = nullptr;
    sample->GetPointer(&data);
    if (!bytes.empty()) std::memcpy(data, bytes.data(), bytes.size());
    sample->SetActualDataLength(static_cast<std::int32_t>(bytes.size()));
    sample->SetSyncPoint(true);
    return output_->Deliver(sample.get());
}

HRESULT FakePushSource::deliverEndOfStream() {
    return output_->DeliverEndOfStream();
}

std::uint32_t fnv1a(const std::uint8_t* data, std::size_t size) {
    std::uint32_t hash = 2166136261u;
    for (std::size_t index = 0; index < size; ++index) {
        hash ^= data[index];
        hash *= 16777619u;
    }
    return hash;
}

FakePacket readFakePacket(const std::vector<std::uint8_t>& bytes) {
    FakePacket packet;
    if (bytes.size() < static_cast<std::size_t>(kFakePacketBytes)) return packet;
    std::memcpy(&packet.start, bytes.data(), 8);
    std::memcpy(&packet.stop, bytes.data() + 8, 8);
    std::memcpy(&packet.length, bytes.data() + 16, 4);
    std::memcpy(&packet.checksum, bytes.data() + 20, 4);
    packet.syncPoint = bytes[24] != 0;
    return packet;
}

FakeTransform::FakeTransform(Options options, EventLog* log, std::string label, const Guid& clsid)
    : FakeFilter(std::move(label), log, clsid), options_(std::move(options)) {
    FakeInputPin::Handlers handlers;
    handlers.receive = [this](IMediaSample* sample) { return receive(sample); };
    handlers.endOfStream = [this] { return endOfStream(); };
    handlers.connected = [this] { this->log("connect " + this->label() + " input"); };
    input_ = std::make_unique<FakeInputPin>(this, pinLock_, "In", options_.inputTypes, std::move(handlers));
    PinTypes outputTypes;
    outputTypes.offered.push_back(options_.outputType);
    output_ = std::make_unique<FakeOutputPin>(this, pinLock_, "Out", std::move(outputTypes),
                                              AllocatorProperties{2, kFakePacketBytes, 0, 0},
                                              [this] { this->log("connect " + this->label() + " output"); });
}

FakeTransform::~FakeTransform() {
    finishWorker();
}

CBasePin* FakeTransform::GetPin(int n) {
    if (n == 0) return input_.get();
    if (n == 1) return output_.get();
    return nullptr;
}

HRESULT FakeTransform::Pause() {
    if (options_.threaded && !worker_.joinable()) worker_ = std::thread([this] { runWorker(); });
    return FakeFilter::Pause();
}

HRESULT FakeTransform::Stop() {
    // Everything received is finished and delivered before the base class
    // decommits the allocators; no lock is held while waiting.
    finishWorker();
    const HRESULT hr = FakeFilter::Stop();
    HRESULT failure = S_OK;
    {
        std::lock_guard hold(workLock_);
        failure = std::exchange(firstFailure_, S_OK);
    }
    if (failed(options_.stopResult)) return options_.stopResult;
    if (failed(failure)) return failure;
    return hr;
}

void FakeTransform::finishWorker() {
    if (!worker_.joinable()) return;
    {
        std::lock_guard hold(workLock_);
        work_.push_back(Work{Work::Kind::Quit, {}});
    }
    workArrived_.notify_one();
    worker_.join();
}

void FakeTransform::noteResult(HRESULT hr) {
    std::lock_guard hold(workLock_);
    if (failed(hr) && succeeded(firstFailure_)) firstFailure_ = hr;
}

HRESULT FakeTransform::receive(IMediaSample* sample) {
    {
        std::lock_guard hold(workLock_);
        ++samplesReceived_;
        if (options_.threaded) {
            work_.push_back(Work{Work::Kind::Sample, ComPtr<IMediaSample>(sample)});
            workArrived_.notify_one();
            return firstFailure_;
        }
    }
    const HRESULT hr = process(sample);
    noteResult(hr);
    return hr;
}

HRESULT FakeTransform::endOfStream() {
    log("eos " + label());
    if (options_.threaded) {
        std::lock_guard hold(workLock_);
        work_.push_back(Work{Work::Kind::EndOfStream, {}});
        workArrived_.notify_one();
        return S_OK;
    }
    return passEndOfStream();
}

HRESULT FakeTransform::passEndOfStream() {
    const HRESULT hr = output_->DeliverEndOfStream();
    std::lock_guard hold(workLock_);
    endOfStreamDelivered_ = true;
    return hr;
}

HRESULT FakeTransform::process(IMediaSample* sample) {
    if (options_.delayMilliseconds > 0) {
        std::this_thread::sleep_for(std::chrono::milliseconds(options_.delayMilliseconds));
    }
    std::uint8_t* data = nullptr;
    sample->GetPointer(&data);
    std::uint8_t packet[kFakePacketBytes] = {};
    std::int64_t start = 0;
    std::int64_t stop = 0;
    sample->GetTime(&start, &stop);
    const std::int32_t length = sample->GetActualDataLength();
    const std::uint32_t checksum = fnv1a(data, static_cast<std::size_t>(length));
    std::memcpy(packet, &start, 8);
    std::memcpy(packet + 8, &stop, 8);
    std::memcpy(packet + 16, &length, 4);
    std::memcpy(packet + 20, &checksum, 4);
    packet[24] = sample->IsSyncPoint() == S_OK ? 1 : 0;

    ComPtr<IMediaSample> out;
    HRESULT hr = output_->GetDeliveryBuffer(&out, &start, &stop, 0);
    if (failed(hr)) return hr;
    std::uint8_t* target = nullptr;
    out->GetPointer(&target);
    std::memcpy(target, packet, sizeof packet);
    out->SetActualDataLength(kFakePacketBytes);
    out->SetSyncPoint(true);
    hr = output_->Deliver(out.get());
    std::lock_guard hold(workLock_);
    ++packetsDelivered_;
    return hr;
}

void FakeTransform::runWorker() {
    for (;;) {
        Work next;
        {
            std::unique_lock hold(workLock_);
            workArrived_.wait(hold, [this] { return !work_.empty(); });
            next = std::move(work_.front());
            work_.pop_front();
        }
        if (next.kind == Work::Kind::Quit) return;
        if (next.kind == Work::Kind::EndOfStream) {
            noteResult(passEndOfStream());
            continue;
        }
        noteResult(process(next.sample.get()));
    }
}

int FakeTransform::samplesReceived() const {
    std::lock_guard hold(workLock_);
    return samplesReceived_;
}

int FakeTransform::packetsDelivered() const {
    std::lock_guard hold(workLock_);
    return packetsDelivered_;
}

bool FakeTransform::endOfStreamDelivered() const {
    std::lock_guard hold(workLock_);
    return endOfStreamDelivered_;
}

FakeSink::FakeSink(Options options, EventLog* log, std::string label, const Guid& clsid)
    : FakeFilter(std::move(label), log, clsid), options_(std::move(options)) {
    FakeInputPin::Handlers handlers;
    handlers.receive = [this](IMediaSample* sample) { return receive(sample); };
    handlers.endOfStream = [this] { return endOfStream(); };
    handlers.connected = [this] { this->log("connect " + this->label() + " input"); };
    input_ = std::make_unique<FakeInputPin>(this, pinLock_, "In", options_.inputTypes, std::move(handlers));
}

FakeSink::~FakeSink() = default;

CBasePin* FakeSink::GetPin(int n) {
    return n == 0 ? input_.get() : nullptr;
}

HRESULT FakeSink::receive(IMediaSample* sample) {
    if (options_.delayMilliseconds > 0) {
        std::this_thread::sleep_for(std::chrono::milliseconds(options_.delayMilliseconds));
    }
    Received record;
    record.timeResult = sample->GetTime(&record.start, &record.stop);
    record.syncPoint = sample->IsSyncPoint() == S_OK;
    std::uint8_t* data = nullptr;
    sample->GetPointer(&data);
    record.bytes.assign(data, data + sample->GetActualDataLength());
    std::lock_guard hold(dataLock_);
    received_.push_back(std::move(record));
    return options_.receiveResult;
}

HRESULT FakeSink::endOfStream() {
    log("eos " + label());
    std::lock_guard hold(dataLock_);
    endOfStream_ = true;
    return S_OK;
}

HRESULT FakeSink::Stop() {
    {
        std::lock_guard hold(dataLock_);
        receivedAtStop_ = static_cast<int>(received_.size());
        endOfStreamAtStop_ = endOfStream_;
    }
    const HRESULT hr = FakeFilter::Stop();
    return failed(options_.stopResult) ? options_.stopResult : hr;
}

std::vector<FakeSink::Received> FakeSink::received() const {
    std::lock_guard hold(dataLock_);
    return received_;
}

int FakeSink::receivedCount() const {
    std::lock_guard hold(dataLock_);
    return static_cast<int>(received_.size());
}

bool FakeSink::endOfStreamReceived() const {
    std::lock_guard hold(dataLock_);
    return endOfStream_;
}

int FakeSink::receivedAtStop() const {
    std::lock_guard hold(dataLock_);
    return receivedAtStop_;
}

bool FakeSink::endOfStreamAtStop() const {
    std::lock_guard hold(dataLock_);
    return endOfStreamAtStop_;
}

}  // namespace media_fakes
