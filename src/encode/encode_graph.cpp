#include "encode/encode_graph.h"

#include <algorithm>
#include <optional>
#include <utility>

#include "encode/encoder_interfaces.h"
#include "encode/encoder_tags.h"
#include "encode/frame_media_type.h"
#include "media/component_registry.h"
#include "media/known_ids.h"
#include "media/sink_interfaces.h"

namespace {

constexpr char kSourceName[] = "App-Direct Video";
constexpr char kEncoderName[] = "Tavrix Encoder";
constexpr char kAviMuxName[] = "AVI Mux";
constexpr char kFileWriterName[] = "File Writer";
constexpr char kQtMuxName[] = "QT Mux";

// 25 milliseconds in 100-ns units, for both the interleave and the preroll.
constexpr std::int64_t kInterleaveTime = 250'000;

}  // namespace

HRESULT findFirstPin(IBaseFilter* filter, PinDirection direction, ComPtr<IPin>* pin) {
    if (filter == nullptr || pin == nullptr) return E_POINTER;
    pin->reset();
    ComPtr<IPin> candidate;
    for (int position = 0; filter->EnumPins(position, &candidate) == S_OK; ++position) {
        PinDirection facing = PinDirection::Input;
        if (succeeded(candidate->QueryDirection(&facing)) && facing == direction) {
            *pin = candidate;
            return S_OK;
        }
    }
    return E_FAIL;
}

CEncodeGraph::CEncodeGraph() {
    CoInitialize();
}

CEncodeGraph::~CEncodeGraph() {
    source_.reset();
    graph_.reset();
    CoUninitialize();
}

HRESULT CEncodeGraph::SetOutputFile(const std::string& path) {
    output_ = OutputFile{};
    outputSet_ = false;
    OutputFile chosen;
    const HRESULT hr = chooseOutputFile(path, &chosen);
    if (failed(hr)) return hr;
    output_ = std::move(chosen);
    outputSet_ = true;
    return S_OK;
}

HRESULT CEncodeGraph::CreateGraph() {
    source_.reset();
    graph_.reset();
    running_ = false;
    return createInstance(CLSID_FilterGraph, &graph_);
}

HRESULT CEncodeGraph::CreateVideoSource(std::int32_t width, std::int32_t height, std::int32_t rateDenominator,
                                        std::int32_t rateNumerator, bool rgb444, bool raw,
                                        std::int32_t curveCode, std::int32_t debayer) {
    if (!graph_) {
        const HRESULT hr = CreateGraph();
        if (failed(hr)) return hr;
    }
    debayer_ = debayer;
    curveCode_ = curveCode;
    raw_ = raw;
    source_.reset();
    // A rate of zero frames would divide by zero; no source is made for it,
    // so the first frame fails rather than being stamped with nonsense.
    const std::optional<std::int64_t> duration = frameDuration(rateNumerator, rateDenominator);
    if (!duration) return E_INVALIDARG;

    ComPtr<CGenFilter> filter = makeComObject<CGenFilter>();
    if (!filter) return E_OUTOFMEMORY;
    FrameFormat format;
    format.width = width;
    format.height = height;
    format.rgb444 = rgb444;
    format.raw = raw;
    format.frameRate = static_cast<float>(rateNumerator) / static_cast<float>(rateDenominator);
    format.rateNumerator = rateNumerator;
    format.rateDenominator = rateDenominator;
    filter->setFormat(format, *duration);
    source_ = filter;
    return graph_->AddFilter(source_.get(), kSourceName);
}

HRESULT CEncodeGraph::SetQuality(std::int32_t quality, std::int32_t optionValue) {
    quality_ = quality;
    optionValue_ = optionValue;
    return S_OK;
}

HRESULT CEncodeGraph::SetOptionFlagA(bool on) {
    optionFlagA_ = on;
    return S_OK;
}

HRESULT CEncodeGraph::SetOptionFlagB(bool on) {
    optionFlagB_ = on;
    return S_OK;
}

void CEncodeGraph::setClipColor(const float matrix[12], const float gains[4]) {
    colorMatrix_.fill(0.0f);
    whiteBalance_.fill(0.0f);
    if (matrix != nullptr) std::copy(matrix, matrix + colorMatrix_.size(), colorMatrix_.begin());
    if (gains != nullptr) std::copy(gains, gains + whiteBalance_.size(), whiteBalance_.begin());
}

void CEncodeGraph::setMetadataTags(const MetadataTagList* tags) {
    userTags_ = tags;
}

HRESULT CEncodeGraph::EncodeFrame(const void* frame, std::int32_t pitch) {
    if (!running_) {
        const HRESULT hr = StartGraph();
        if (failed(hr)) return hr;
    }
    if (!source_) return E_FAIL;
    return source_->DeliverFrame(frame, pitch);
}

HRESULT CEncodeGraph::StartGraph() {
    if (!source_ || !graph_) return E_FAIL;
    HRESULT hr = BuildGraph(source_->GetPin(0));
    if (failed(hr)) return hr;
    ComPtr<IMediaControl> control;
    hr = queryInterface(graph_.get(), &control);
    if (failed(hr)) return hr;
    hr = control->Run();
    // Set even when Run failed: the next frame goes to the source, which
    // refuses it, rather than building a second set of filters.
    running_ = true;
    return hr;
}

HRESULT CEncodeGraph::BuildGraph(IPin* sourcePin) {
    if (sourcePin == nullptr || !outputSet_) return E_FAIL;

    ComPtr<IBaseFilter> encoder;
    HRESULT hr = addEncoder(&encoder);
    if (failed(hr)) return hr;

    ComPtr<IBaseFilter> multiplexer;
    ComPtr<IBaseFilter> fileWriter;
    ComPtr<IFileSinkFilter2> sink;
    hr = addMultiplexer(&multiplexer, &fileWriter, &sink);
    if (failed(hr)) return hr;
    const HRESULT nameResult = sink->SetFileName(output_.path, nullptr);
    const HRESULT modeResult = sink->SetMode(AM_FILE_OVERWRITE);
    sink.reset();
    // Either failure fails the step; the first one is what is reported.
    if (failed(nameResult)) return nameResult;
    if (failed(modeResult)) return modeResult;

    ComPtr<IPin> encoderInput;
    hr = findFirstPin(encoder.get(), PinDirection::Input, &encoderInput);
    if (failed(hr)) return hr;
    hr = graph_->Connect(sourcePin, encoderInput.get());
    if (failed(hr)) return hr;
    hr = connectFilters(encoder.get(), multiplexer.get());
    if (failed(hr) || !fileWriter) return hr;
    return connectFilters(multiplexer.get(), fileWriter.get());
}

HRESULT CEncodeGraph::addFilter(const Guid& clsid, const char* name, ComPtr<IBaseFilter>* filter) {
    HRESULT hr = createInstance(clsid, filter);
    if (failed(hr)) return hr;
    return graph_->AddFilter(filter->get(), name);
}

HRESULT CEncodeGraph::addEncoder(ComPtr<IBaseFilter>* encoder) {
    const HRESULT hr = addFilter(raw_ ? CLSID_RawBayerEncoder : CLSID_PictureEncoder, kEncoderName, encoder);
    if (failed(hr)) return hr;
    if (ComPtr<IEncoderSettings> settings = encoder->as<IEncoderSettings>()) {
        settings->SetQuality(quality_);
        settings->SetOptionValue(optionValue_);
        settings->SetOptionFlagA(optionFlagA_ ? 1 : 0);
        settings->SetOptionFlagB(optionFlagB_ ? 1 : 0);
    }
    if (ComPtr<IEncoderMetadata> metadata = encoder->as<IEncoderMetadata>()) {
        const EncoderTagValues values{.curveCode = curveCode_,
                                      .raw = raw_,
                                      .debayer = debayer_,
                                      .colorMatrix = colorMatrix_,
                                      .whiteBalance = whiteBalance_};
        sendEncoderTags(metadata.get(), values, userTags_);
    }
    return S_OK;
}

HRESULT CEncodeGraph::addMultiplexer(ComPtr<IBaseFilter>* multiplexer, ComPtr<IBaseFilter>* fileWriter,
                                     ComPtr<IFileSinkFilter2>* sink) {
    HRESULT hr = S_OK;
    if (output_.container == ContainerKind::Mov) {
        hr = addFilter(CLSID_QtMux, kQtMuxName, multiplexer);
        if (failed(hr)) return hr;
        *sink = multiplexer->as<IFileSinkFilter2>();
        return *sink ? S_OK : E_FAIL;
    }
    hr = addFilter(CLSID_AviDest, kAviMuxName, multiplexer);
    if (failed(hr)) return hr;
    if (ComPtr<IConfigInterleaving> interleaving = multiplexer->as<IConfigInterleaving>()) {
        interleaving->put_Interleaving(&kInterleaveTime, &kInterleaveTime);
        interleaving->put_Mode(InterleavingMode::Full);
    }
    hr = addFilter(CLSID_FileWriter, kFileWriterName, fileWriter);
    if (failed(hr)) return hr;
    *sink = (*fileWriter).as<IFileSinkFilter2>();
    return *sink ? S_OK : E_FAIL;
}

HRESULT CEncodeGraph::connectFilters(IBaseFilter* upstream, IBaseFilter* downstream) {
    // The input pin is looked up before the output pin.
    ComPtr<IPin> input;
    HRESULT hr = findFirstPin(downstream, PinDirection::Input, &input);
    if (failed(hr)) return hr;
    ComPtr<IPin> output;
    hr = findFirstPin(upstream, PinDirection::Output, &output);
    if (failed(hr)) return hr;
    return graph_->Connect(output.get(), input.get());
}

HRESULT CEncodeGraph::Finish() {
    HRESULT endResult = S_OK;
    if (source_) {
        const HRESULT hr = source_->EndStream();
        // Only a started graph can take the end-of-stream; a graph that was
        // never built completely has nothing to finish.
        if (running_) endResult = hr;
    }
    if (!graph_) return S_OK;
    const HRESULT hr = stopGraph();
    // The source stays referenced until the next clip's CreateVideoSource.
    if (succeeded(hr) && failed(endResult)) return endResult;
    return hr;
}

HRESULT CEncodeGraph::abandon() {
    if (!graph_) return S_OK;
    return stopGraph();
}

HRESULT CEncodeGraph::stopGraph() {
    ComPtr<IMediaControl> control;
    HRESULT hr = queryInterface(graph_.get(), &control);
    if (succeeded(hr)) hr = control->Stop();
    running_ = false;
    control.reset();
    ComPtr<IBaseFilter> filter;
    for (int position = 0; graph_->EnumFilters(position, &filter) == S_OK; ++position) {
        if (ComPtr<IComponentMessages> messages = filter.as<IComponentMessages>())
            messages->TakeMessages(&messages_);
    }
    filter.reset();
    graph_.reset();
    return hr;
}

std::vector<std::string> CEncodeGraph::takeMessages() {
    return std::exchange(messages_, {});
}
