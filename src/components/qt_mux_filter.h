#pragma once

#include <string>

#include "components/file_sink_name.h"
#include "components/movie_file.h"
#include "components/movie_mux_filter.h"
#include "media/sink_interfaces.h"

// The MOV multiplexer ("QT Mux"): one input and no output; it is its own file
// sink and writes the movie file itself, under a temporary name until the
// movie is complete.
class CQtMux final : public CMovieMux, public IFileSinkFilter2 {
public:
    CQtMux();

    int GetPinCount() override { return 1; }
    CBasePin* GetPin(int n) override { return n == 0 ? input_.get() : nullptr; }

    HRESULT SetFileName(const std::string& path, const MediaType* type) override;
    HRESULT SetMode(std::uint32_t flags) override;

protected:
    HRESULT NonDelegatingQueryInterface(const Guid& iid, void** object) override;
    HRESULT openMovie() override;
    IByteSink& movieBytes() override { return file_; }
    HRESULT closeMovie(bool complete) override;

private:
    FileSinkName name_;
    MovieFile file_;
};
