#pragma once

#include <cstdint>
#include <string>

#include "media/com_ptr.h"
#include "media/known_ids.h"
#include "media/media_type.h"
#include "media/result_codes.h"
#include "media/unknown.h"

// Filters, their pins, and the graph as a filter sees it.

enum class FilterState : std::int32_t { Stopped = 0, Paused = 1, Running = 2 };
enum class PinDirection : std::int32_t { Input = 0, Output = 1 };

struct IPin;
struct IBaseFilter;
struct IFilterGraph;
struct PinInfo;

// One connection point of a filter. Connections are made and broken only
// while the filter is stopped; data flows only while it is paused or running.
struct IPin : virtual IUnknown {
    static constexpr Guid kIid = IID_IPin;

    // Called on an output pin: connects it to receivePin. A null type lets the
    // pins agree on one (see CBasePin); a partly filled type narrows the
    // candidates; a full type is tried alone.
    virtual HRESULT Connect(IPin* receivePin, const MediaType* type) = 0;
    // Called on an input pin by the output pin connecting to it.
    virtual HRESULT ReceiveConnection(IPin* connector, const MediaType& type) = 0;
    // Breaks this side of the connection; S_FALSE when not connected,
    // VFW_E_NOT_STOPPED unless the filter is stopped.
    virtual HRESULT Disconnect() = 0;
    // VFW_E_NOT_CONNECTED when there is no peer.
    virtual HRESULT ConnectedTo(ComPtr<IPin>* pin) = 0;
    virtual HRESULT QueryPinInfo(PinInfo* info) = 0;
    virtual HRESULT QueryDirection(PinDirection* direction) = 0;
    // The pin's preferred types one at a time: S_OK with the type at
    // position, S_FALSE when there is none there (nor after it).
    virtual HRESULT EnumMediaTypes(int position, MediaType* type) = 0;
    // No more samples will come on this connection.
    virtual HRESULT EndOfStream() = 0;
    virtual HRESULT BeginFlush() = 0;
    virtual HRESULT EndFlush() = 0;
};

// A filter: its run state and its pins.
//
// The stop contract. Stop must not return while the filter still holds or is
// processing data it was given: a filter with threads of its own finishes
// what it has received (and the end-of-stream, when it came), delivers the
// results to the next filter and only then stops. The graph stops its filters
// from upstream to downstream, so when the last filter's Stop returns every
// sample has gone all the way through. A failure met while finishing (a
// trailer that cannot be written, a file that cannot be closed) is Stop's
// result; errno-carrying failures use hresultFromErrno.
struct IBaseFilter : virtual IUnknown {
    static constexpr Guid kIid = IID_IBaseFilter;

    virtual HRESULT GetClassID(Guid* clsid) = 0;
    virtual HRESULT Stop() = 0;
    virtual HRESULT Pause() = 0;
    // start: the stream time that maps to now; the graph passes 0.
    virtual HRESULT Run(std::int64_t start) = 0;
    // The filter's pins one at a time, in a fixed order: S_OK with the pin at
    // position, S_FALSE when there is none there.
    virtual HRESULT EnumPins(int position, ComPtr<IPin>* pin) = 0;
    // Called by a graph when the filter is added (with the name it has there)
    // and removed (null graph). The filter takes no reference to the graph:
    // the graph owns its filters.
    virtual HRESULT JoinFilterGraph(IFilterGraph* graph, const std::string& name) = 0;
};

// The graph as filters and builders see it.
struct IFilterGraph : virtual IUnknown {
    static constexpr Guid kIid = IID_IFilterGraph;

    // Adds a filter under a name. A name already taken gets a numbered suffix
    // (" 0001", " 0002", ...) and the result is VFW_S_DUPLICATE_NAME.
    virtual HRESULT AddFilter(IBaseFilter* filter, const std::string& name) = 0;
    // The filters in the order they were added: S_OK, or S_FALSE past the end.
    virtual HRESULT EnumFilters(int position, ComPtr<IBaseFilter>* filter) = 0;
    // Connects the two pins to each other, nothing in between.
    virtual HRESULT ConnectDirect(IPin* output, IPin* input, const MediaType* type) = 0;
    // Breaks one pin's side of a connection.
    virtual HRESULT Disconnect(IPin* pin) = 0;
};

struct PinInfo {
    ComPtr<IBaseFilter> filter;  // the owning filter, a reference added
    PinDirection direction = PinDirection::Input;
    std::string name;
};

// Messages about the stream's timeliness, sent upstream. Nothing here acts on
// them; the interface exists so a pin can answer.
struct Quality {
    std::int32_t type = 0;           // 0 famine, 1 flood
    std::int32_t proportion = 1000;  // thousandths of the rate to keep
    std::int64_t late = 0;
    std::int64_t timeStamp = 0;
};

struct IQualityControl : virtual IUnknown {
    static constexpr Guid kIid = IID_IQualityControl;

    virtual HRESULT Notify(IBaseFilter* sender, const Quality& quality) = 0;
    virtual HRESULT SetSink(IQualityControl* sink) = 0;
};
