#pragma once
// Which parts of the file version an About box shows: a set of TVersionFormatEnum bits, kept
// in one byte.
#include <cstdint>
#include <string>
#include <string_view>

namespace klv {

enum TVersionFormatEnum : std::uint8_t {
    vfMajor = 1,
    vfMinor = 2,
    vfRelease = 4,
    vfBuild = 8,
    vfBuildSeparation = 16,  // the build number as " Build n" instead of ".n"
};
using TVersionFormat = std::uint8_t;

inline constexpr TVersionFormat vfDefaultFormat = vfMajor | vfMinor | vfRelease | vfBuild;
inline constexpr TVersionFormat vfAllFormat = vfDefaultFormat | vfBuildSeparation;

// The set that replacing oldFormat with value leaves: taking a part away drops the parts that
// make no sense without it, and every part brings in the ones it is written after.
TVersionFormat AdjustVersionFormat(TVersionFormat oldFormat, TVersionFormat value);

// A file version "major.minor.release.build" written with the chosen parts. Raises
// EConvertError when the text does not split at its first three "." into four integers.
std::string FormatVersionText(TVersionFormat format, std::string_view fileVersion);

// FormatVersionText on the FileVersion of the running program's own file; a program without
// a version block raises EConvertError.
void FormatFileVersion(TVersionFormat format, std::string& text);

}  // namespace klv
