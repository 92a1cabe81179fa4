#pragma once

#include "media/guid.h"

// Class ids: the components the encoding output creates by id.
inline constexpr Guid CLSID_FilterGraph = makeGuid("{E436EBB3-524F-11CE-9F53-0020AF0BA770}");
inline constexpr Guid CLSID_AviDest = makeGuid("{E2510970-F137-11CE-8B67-00AA00A3F1A6}");
inline constexpr Guid CLSID_FileWriter = makeGuid("{8596E5F0-0DA5-11D0-BD21-00A0C911CE86}");
inline constexpr Guid CLSID_QtMux = makeGuid("{1B5715C6-3EBD-47BF-830A-4C91A6B5E0EE}");
// The encoder for RAW Bayer frames, and the one for RGB 4:4:4 and YUV 4:2:2 pictures.
inline constexpr Guid CLSID_RawBayerEncoder = makeGuid("{1EF9EBC1-1CF9-4D4F-A4D2-93FC9AA5E0C7}");
inline constexpr Guid CLSID_PictureEncoder = makeGuid("{1C4F9736-ED6B-4303-8014-FCBEBFF0A0AA}");

// Interface ids.
inline constexpr Guid IID_IUnknown = makeGuid("{00000000-0000-0000-C000-000000000046}");
inline constexpr Guid IID_IBaseFilter = makeGuid("{56A86895-0AD4-11CE-B03A-0020AF0BA770}");
inline constexpr Guid IID_IPin = makeGuid("{56A86891-0AD4-11CE-B03A-0020AF0BA770}");
inline constexpr Guid IID_IMemInputPin = makeGuid("{56A8689D-0AD4-11CE-B03A-0020AF0BA770}");
inline constexpr Guid IID_IMemAllocator = makeGuid("{56A8689C-0AD4-11CE-B03A-0020AF0BA770}");
inline constexpr Guid IID_IMediaSample = makeGuid("{56A8689A-0AD4-11CE-B03A-0020AF0BA770}");
inline constexpr Guid IID_IFilterGraph = makeGuid("{56A8689F-0AD4-11CE-B03A-0020AF0BA770}");
inline constexpr Guid IID_IGraphBuilder = makeGuid("{56A868A9-0AD4-11CE-B03A-0020AF0BA770}");
inline constexpr Guid IID_IMediaControl = makeGuid("{56A868B1-0AD4-11CE-B03A-0020AF0BA770}");
inline constexpr Guid IID_IQualityControl = makeGuid("{56A868A5-0AD4-11CE-B03A-0020AF0BA770}");
inline constexpr Guid IID_IFileSinkFilter = makeGuid("{A2104830-7C70-11CF-8BCE-00AA00A3F1A6}");
inline constexpr Guid IID_IFileSinkFilter2 = makeGuid("{00855B90-CE1B-11D0-BD4F-00A0C911CE86}");
inline constexpr Guid IID_IConfigInterleaving = makeGuid("{BEE3D220-157B-11D0-BD23-00A0C911CE86}");

// Major types, subtypes and format types of media types.
inline constexpr Guid MEDIATYPE_Video = makeGuid("{73646976-0000-0010-8000-00AA00389B71}");
inline constexpr Guid MEDIATYPE_Stream = makeGuid("{E436EB83-524F-11CE-9F53-0020AF0BA770}");
inline constexpr Guid MEDIASUBTYPE_Avi = makeGuid("{E436EB88-524F-11CE-9F53-0020AF0BA770}");
inline constexpr Guid FORMAT_None = makeGuid("{0F6417D6-C318-11D0-A43F-00A0C9223196}");
inline constexpr Guid FORMAT_VideoInfo = makeGuid("{05589F80-C356-11CE-BF01-00AA0055595A}");
inline constexpr Guid FORMAT_VideoInfo2 = makeGuid("{F72A76A0-EB0A-11D0-ACE4-0000C0CC16BA}");
