#include "support/about/VersionFormat.h"

#include <array>

#include "support/IntegerText.h"
#include "support/about/VersionInfo.h"

namespace klv {

TVersionFormat AdjustVersionFormat(TVersionFormat oldFormat, TVersionFormat value) {
    auto dropped = [&](TVersionFormat part) { return (oldFormat & part) && !(value & part); };
    TVersionFormat result = value;
    if (dropped(vfMajor)) {
        result = (value & ~(vfMinor | vfRelease)) | vfBuild;
    } else if (dropped(vfMinor)) {
        result = value & ~vfRelease;
    } else if (dropped(vfBuild)) {
        result = value & ~vfBuildSeparation;
        if (result == 0) result = vfRelease;
    }
    // Each part is written after the ones it brings in, so these run from the last part down.
    if (result & vfBuildSeparation) result |= vfBuild;
    if (result & vfRelease) result |= vfMinor;
    if (result & vfMinor) result |= vfMajor;
    return result == 0 ? vfAllFormat : result;
}

std::string FormatVersionText(TVersionFormat format, std::string_view fileVersion) {
    std::array<std::int32_t, 4> parts{};
    std::string_view rest = fileVersion;
    for (std::size_t i = 0; i < parts.size(); ++i) {
        std::size_t dot = i + 1 < parts.size() ? rest.find('.') : std::string_view::npos;
        // A missing dot leaves the remaining parts empty, and an empty part is no integer.
        std::string_view part = rest.substr(0, dot);
        rest = dot == std::string_view::npos ? std::string_view() : rest.substr(dot + 1);
        parts[i] = StrToInt(part);
    }
    std::string text;
    if (format & vfMajor) text = std::to_string(parts[0]);
    if (format & vfMinor) text += "." + std::to_string(parts[1]);
    if (format & vfRelease) text += "." + std::to_string(parts[2]);
    if (format & vfBuild) {
        if ((format & vfBuildSeparation) || text.empty()) {
            if (!text.empty()) text += " ";
            text += "Build " + std::to_string(parts[3]);
        } else {
            text += "." + std::to_string(parts[3]);
        }
    }
    return text;
}

void FormatFileVersion(TVersionFormat format, std::string& text) {
    text.clear();
    std::string fileVersion;
    ReadVersionInfo(kOwnProgramFile, 3, fileVersion);
    text = FormatVersionText(format, fileVersion);
}

}  // namespace klv
