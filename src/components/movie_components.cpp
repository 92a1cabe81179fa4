#include "components/movie_components.h"

#include <new>

#include "components/archive_reader_component.h"
#include "components/avi_mux_filter.h"
#include "components/encoder_filter.h"
#include "components/file_writer_filter.h"
#include "components/library_log.h"
#include "components/qt_mux_filter.h"
#include "media/component_registry.h"
#include "media/known_ids.h"

void registerMovieComponents() {
    // The libraries' own log lines would mix with the program's console text.
    silenceLibraryLog();
    registerComponentClass(CLSID_RawBayerEncoder, [] {
        return static_cast<IUnknown*>(
            static_cast<IBaseFilter*>(new (std::nothrow) CEncoderFilter(CLSID_RawBayerEncoder)));
    });
    registerComponentClass(CLSID_PictureEncoder, [] {
        return static_cast<IUnknown*>(
            static_cast<IBaseFilter*>(new (std::nothrow) CEncoderFilter(CLSID_PictureEncoder)));
    });
    registerComponentClass(CLSID_AviDest, [] {
        return static_cast<IUnknown*>(static_cast<IBaseFilter*>(new (std::nothrow) CAviMux));
    });
    registerComponentClass(CLSID_FileWriter, [] {
        return static_cast<IUnknown*>(static_cast<IBaseFilter*>(new (std::nothrow) CFileWriter));
    });
    registerComponentClass(CLSID_QtMux, [] {
        return static_cast<IUnknown*>(static_cast<IBaseFilter*>(new (std::nothrow) CQtMux));
    });
    registerComponentClass(CLSID_ArchiveReader, [] {
        return static_cast<IUnknown*>(static_cast<IArchiveReader*>(new (std::nothrow) CArchiveReader));
    });
}
