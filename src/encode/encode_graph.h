#pragma once

#include <array>
#include <cstdint>
#include <string>
#include <vector>

#include "encode/gen_filter.h"
#include "encode/metadata_tag_list.h"
#include "encode/output_file.h"
#include "media/com_ptr.h"
#include "media/filter_interfaces.h"
#include "media/graph_interfaces.h"
#include "media/sink_interfaces.h"

// Turns the frames of one clip into one AVI or MOV file through a media graph
// built per clip:
//   "App-Direct Video" (CGenFilter) -> "Tavrix Encoder" -> "AVI Mux" -> "File Writer"
//   "App-Direct Video" (CGenFilter) -> "Tavrix Encoder" -> "QT Mux"
// The encoder, the multiplexers and the file writer are components found by
// class id in the component registry.
//
// Per clip: SetOutputFile, CreateVideoSource, SetQuality, SetOptionFlagA,
// SetOptionFlagB, (setClipColor, setMetadataTags whenever before the first
// frame), EncodeFrame for each frame, Finish. The graph is built and started
// on the first frame; a clip without frames makes no file. All calls on the
// thread that made the object. Results are result codes: negative is failure,
// and a failure that carries an errno (errnoFromHresult) is a file that could
// not be written.
class CEncodeGraph {
public:
    // Initialises the component library for this object's life.
    CEncodeGraph();
    // Releases the source and the graph, then the component library.
    ~CEncodeGraph();
    CEncodeGraph(const CEncodeGraph&) = delete;
    CEncodeGraph& operator=(const CEncodeGraph&) = delete;

    // The movie's name (UTF-8 path); chooses the container and final name as
    // chooseOutputFile does, and returns its result.
    HRESULT SetOutputFile(const std::string& path);

    // Makes a new graph when there is none, and a new frame source for the
    // clip: frames of width × height, rateNumerator ÷ rateDenominator frames a
    // second, the output kind (raw wins over rgb444; neither is YUV 4:2:2), the
    // curve code and the demosaic code (65535 when none was chosen), and adds
    // it to the graph as "App-Direct Video". Returns the graph's creation
    // failure, E_INVALIDARG for a rate that is not a positive fraction (no
    // source is then made), E_OUTOFMEMORY, or AddFilter's result.
    HRESULT CreateVideoSource(std::int32_t width, std::int32_t height, std::int32_t rateDenominator,
                              std::int32_t rateNumerator, bool rgb444, bool raw, std::int32_t curveCode,
                              std::int32_t debayer);

    HRESULT SetQuality(std::int32_t quality, std::int32_t optionValue);
    HRESULT SetOptionFlagA(bool on);
    HRESULT SetOptionFlagB(bool on);
    // The clip's colour matrix (12 floats, three rows of four) and
    // white-balance gains (4 floats), sent as COLM and WBAL; null leaves zeros.
    void setClipColor(const float matrix[12], const float gains[4]);
    // The user's tags, sent after the fixed ones; the list stays the caller's
    // and must live until the graph is built. Null sends none.
    void setMetadataTags(const MetadataTagList* tags);

    // One frame, top row first, rows pitch bytes apart. The first frame of a
    // clip builds and starts the graph; a failure there is returned and no
    // frame is sent. Then the frame source's DeliverFrame result.
    HRESULT EncodeFrame(const void* frame, std::int32_t pitch);

    // Ends the clip: end-of-stream, then the graph is stopped (which returns
    // once the file is complete) and released. Returns Stop's result, or the
    // end-of-stream's failure in a started graph when Stop succeeded; S_OK when
    // there is no graph.
    HRESULT Finish();
    // Ends the clip without completing its movie: the graph is stopped with
    // no end-of-stream, so the components throw away what they hold and
    // leave no file. For a run that failed; S_OK when there is no graph.
    HRESULT abandon();
    // What the components had to say about the movies finished or abandoned
    // since the last call (metadata they could not store, ...), and forgets it.
    std::vector<std::string> takeMessages();

    ContainerKind container() const { return output_.container; }
    const std::string& outputPath() const { return output_.path; }
    bool running() const { return running_; }

private:
    HRESULT CreateGraph();
    HRESULT StartGraph();
    HRESULT BuildGraph(IPin* sourcePin);
    HRESULT addEncoder(ComPtr<IBaseFilter>* encoder);
    HRESULT addMultiplexer(ComPtr<IBaseFilter>* multiplexer, ComPtr<IBaseFilter>* fileWriter,
                           ComPtr<IFileSinkFilter2>* sink);
    HRESULT addFilter(const Guid& clsid, const char* name, ComPtr<IBaseFilter>* filter);
    HRESULT connectFilters(IBaseFilter* upstream, IBaseFilter* downstream);
    // Stops the graph, gathers its components' messages and lets it go.
    HRESULT stopGraph();

    ComPtr<CGenFilter> source_;
    ComPtr<IGraphBuilder> graph_;
    bool running_ = false;
    OutputFile output_;
    bool outputSet_ = false;
    std::int32_t quality_ = 3;
    std::int32_t optionValue_ = 0;
    bool optionFlagA_ = true;
    bool optionFlagB_ = false;
    bool raw_ = false;
    std::int32_t curveCode_ = 0;
    std::int32_t debayer_ = 0;
    std::array<float, 12> colorMatrix_{};
    std::array<float, 4> whiteBalance_{};
    const MetadataTagList* userTags_ = nullptr;
    std::vector<std::string> messages_;
};

// The first pin of a filter facing the given way, in the filter's pin order;
// E_FAIL when it has none.
HRESULT findFirstPin(IBaseFilter* filter, PinDirection direction, ComPtr<IPin>* pin);
