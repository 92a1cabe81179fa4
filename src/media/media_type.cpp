#include "media/media_type.h"

bool isPartiallySpecified(const MediaType& type) {
    return type.majorType == GUID_NULL || type.subtype == GUID_NULL || type.formatType == GUID_NULL;
}

bool matchesPartialType(const MediaType& type, const MediaType& pattern) {
    if (pattern.majorType != GUID_NULL && pattern.majorType != type.majorType) return false;
    if (pattern.subtype != GUID_NULL && pattern.subtype != type.subtype) return false;
    if (pattern.formatType != GUID_NULL) {
        if (pattern.formatType != type.formatType) return false;
        if (!pattern.format.empty() && pattern.format != type.format) return false;
    }
    return true;
}
