#pragma once

#include <cstddef>
#include <cstdint>
#include <filesystem>

#include "files/dpx_file.h"
#include "files/dpx_templates.h"
#include "files/file_writer.h"

class DpxFieldWriter;

// The creator text every written file carries.
inline constexpr char kDpxCreator[] = "Created using Tavrix tools";

// Writes one 10-bit RGB DPX file (descriptor 50, filled 32-bit words, pad bits
// low, big-endian): Create makes the file and writes the 2048-byte header (plus
// any template user data), then the image rows follow through Write or
// WriteFrame. Every write is checked; Close answers false when the file was
// never created or any write failed.
class CDPXFileWriter : public CDPXFile, public IFileWriter {
public:
    // templates and timeCode may be null. A time code is "HH:MM:SS:FF".
    CDPXFileWriter(std::uint32_t width, std::uint32_t height, const DPXTemplates* templates,
                   const char* timeCode);

    // The time code and rate the television header gives this frame, in
    // place of the constructor's time code text; set before Create. Written
    // where the header's fields are still zero (a template may fill them).
    void SetFrameTiming(const DPXFrameTiming& timing);

    bool Preallocate(std::uint64_t totalBytes) override;
    bool WriteFrame(const void* buffer, std::size_t pitch) override;
    bool Close() override;
    // Closes the file if it is still open. A file whose rows were all written
    // is then complete.
    ~CDPXFileWriter() override;

    // Creates the file at path and writes the header, naming the file in it.
    // False when the file cannot be created, the header cannot be written, or
    // the picture is too large for the header's 32-bit file size; the file is
    // then closed (a partly written one is left for the caller to remove).
    // On success the position is at the start of the image data.
    bool Create(const std::filesystem::path& path);
    // The same, but the header records recordedName's file name: the file is
    // written under a temporary name and renamed once complete.
    bool Create(const std::filesystem::path& path, const std::filesystem::path& recordedName);
    // Writes count bytes of image data.
    bool Write(const void* buffer, std::size_t count);
    // Appends an already encoded rendition of the picture after the image
    // data, described in image element 2 of the header. Call before Create;
    // the data must stay valid until Close, which writes it. The element
    // counts only when width, height, data and size are all nonzero. False
    // (nothing recorded) when width or height exceeds the header's 16 bits or
    // size its 32 bits.
    bool SetSecondElement(std::uint32_t width, std::uint32_t height, const void* data, std::size_t size,
                          std::uint32_t formatCode);

    // Image bytes plus header: the size the finished file must have.
    std::uint64_t TotalFileSize() const;

private:
    bool writeChecked(const void* buffer, std::size_t count);
    // Each fills its header block; false only when a field would not fit it.
    bool buildFileInformation(const std::filesystem::path& recordedName, std::uint32_t userDataBytes);
    bool buildImageInformation();
    void writeSecondElement(DpxFieldWriter& fields) const;
    bool buildOrientation();
    void buildFilm();
    bool buildTelevision();
    std::uint32_t userDataBytes() const;
    bool hasSecondElement() const;

    bool created_ = false;
    bool writeFailed_ = false;
};
