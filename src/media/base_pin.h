#pragma once

#include <cstdint>
#include <string>

#include "media/base_filter.h"
#include "media/crit_sec.h"
#include "media/filter_interfaces.h"
#include "media/media_type.h"
#include "media/unknown.h"

// The common part of every pin: the connection (peer pin and agreed media
// type) under the lock the filter gives, and the negotiation of a type.
//
// A pin's count is its filter's: a reference to a pin keeps the filter alive.
// A connected pin holds a reference to its peer, so connections must be
// broken (the graph does it when a filter leaves it) for filters to go.
//
// Negotiation (Connect on the output pin with no full type): the receiving
// pin's own types are tried first, in its order, then this pin's types. A
// type is tried by CheckConnect, CheckMediaType (only S_OK accepts it),
// SetMediaType, the receiver's ReceiveConnection and CompleteConnect; the
// first type that passes them all is the connection's. When none does, the
// result is the first failure that says more than "type not accepted"
// (E_FAIL, E_INVALIDARG and VFW_E_TYPE_NOT_ACCEPTED say no more), else
// VFW_E_NO_ACCEPTABLE_TYPES.
//
// The connection changes only while the filter is stopped. The streaming
// path (connectedPin(), Deliver) therefore reads it without the lock, which
// lets a filter's own threads deliver while another thread holds the lock.
class CBasePin : public CUnknown, public IPin, public IQualityControl {
public:
    ~CBasePin() override;

    HRESULT Connect(IPin* receivePin, const MediaType* type) override;
    HRESULT ReceiveConnection(IPin* connector, const MediaType& type) override;
    HRESULT Disconnect() override;
    HRESULT ConnectedTo(ComPtr<IPin>* pin) override;
    HRESULT QueryPinInfo(PinInfo* info) override;
    HRESULT QueryDirection(PinDirection* direction) override;
    HRESULT EnumMediaTypes(int position, MediaType* type) override;
    HRESULT EndOfStream() override;
    HRESULT BeginFlush() override;
    HRESULT EndFlush() override;

    // Quality messages are not acted on here: E_NOTIMPL unless a pin answers.
    HRESULT Notify(IBaseFilter* sender, const Quality& quality) override;
    HRESULT SetSink(IQualityControl* sink) override;

    // Called by the filter on its state changes, for connected pins only.
    virtual HRESULT Active();
    virtual HRESULT Inactive();
    virtual HRESULT Run(std::int64_t start);

    // S_OK accepts the type; anything else refuses it.
    virtual HRESULT CheckMediaType(const MediaType& type) = 0;
    // The pin's preferred type at position: S_OK, VFW_S_NO_MORE_ITEMS past the
    // last, or a failure. By default the pin prefers no type.
    virtual HRESULT GetMediaType(int position, MediaType* type);
    // Records the agreed type (called with the pin lock held).
    virtual HRESULT SetMediaType(const MediaType& type);
    // May the pin connect to this one? By default: it must face the other way.
    virtual HRESULT CheckConnect(IPin* pin);
    // Undoes what CheckConnect and CompleteConnect set up.
    virtual HRESULT BreakConnect();
    // The last step of a connection, after both pins agreed on the type.
    virtual HRESULT CompleteConnect(IPin* receivePin);

    bool isConnected() const;
    // The peer, without a reference; valid while connected. For the
    // streaming path, which runs only while the connection cannot change.
    IPin* connectedPin() const { return connected_.get(); }
    // A copy of the agreed type (empty when not connected).
    MediaType connectionType() const;
    const std::string& name() const { return name_; }
    CBaseFilter* filter() const { return filter_; }

protected:
    CBasePin(CBaseFilter* filter, CritSec& lock, std::string name, PinDirection direction);
    HRESULT NonDelegatingQueryInterface(const Guid& iid, void** object) override;

    CritSec& lock_;
    // The agreed type; read and written under lock_.
    MediaType mediaType_;

private:
    HRESULT agreeMediaType(IPin* receivePin, const MediaType* pattern);
    HRESULT tryMediaTypes(IPin* receivePin, IPin* typeSource, const MediaType* pattern, HRESULT* failure);
    // CheckConnect and CheckMediaType for a peer and a type; a refusal breaks
    // the connection being made and is returned as a failure.
    HRESULT checkCandidate(IPin* peer, const MediaType& type);
    HRESULT attemptConnection(IPin* receivePin, const MediaType& type);
    void forgetConnection();

    CBaseFilter* const filter_;
    const std::string name_;
    const PinDirection direction_;
    ComPtr<IPin> connected_;
    IQualityControl* qualitySink_ = nullptr;
};
