#pragma once

#include <cstdint>

#include "media/filter_interfaces.h"
#include "media/known_ids.h"
#include "media/result_codes.h"

// The graph manager's interfaces for whoever builds and drives a graph.

struct IGraphBuilder : IFilterGraph {
    static constexpr Guid kIid = IID_IGraphBuilder;

    // Connects an output pin to an input pin. The two are connected directly:
    // this graph places no filters between them, so a refusal is returned.
    virtual HRESULT Connect(IPin* output, IPin* input) = 0;
};

struct IMediaControl : virtual IUnknown {
    static constexpr Guid kIid = IID_IMediaControl;

    // Pauses the graph if it is stopped, then runs every filter from stream
    // time 0.
    virtual HRESULT Run() = 0;
    virtual HRESULT Pause() = 0;
    // Stops every filter, upstream first; returns once all data delivered
    // before the call has passed through (see IBaseFilter's stop contract).
    // The result is the first failure a filter reported, else S_OK.
    virtual HRESULT Stop() = 0;
};
