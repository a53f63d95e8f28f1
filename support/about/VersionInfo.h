#pragma once
// The version block of a program file: the ELF section ".tarvelle_version", laid out as
// records "path\0value\0" ended by an empty path. The path "\VarFileInfo\Translation" holds
// the translation table, entries of 8 hexadecimal digits (language, then code page, 4 each);
// the strings stand under "\StringFileInfo\<language><code page>\<key>", UTF-8 for code page
// FDE9 (65001).
#include <cstddef>
#include <string>

namespace klv {

inline constexpr const char* kVersionSectionName = ".tarvelle_version";
inline constexpr std::size_t kVersionKeyCount = 12;

// The key names by index: 0 "Comments", 1 "CompanyName", ... 3 "FileVersion",
// 5 "LegalCopyright", 9 "ProductName", ... 11 "SpecialBuild".
const char* VersionKeyName(std::size_t key);

// Reads one string of the file's version block into value, trimmed of blanks and control
// characters at both ends. A file that cannot be read, is not ELF or has no version block, and
// a key that the block lacks or holds empty, leave value unchanged. A block without a
// translation table raises Exception "情報の取得に失敗しました"; a key index from 12 on
// raises ERangeError.
void ReadVersionInfo(const std::string& fileName, std::size_t key, std::string& value);

// The running program's own file.
inline constexpr const char* kOwnProgramFile = "/proc/self/exe";

}  // namespace klv
