#pragma once
// Whole-file reading and writing with the program's file error messages:
//   ファイル "<full path>". <reason> は開けません        (EFOpenError)
//   ファイル "<full path>". <reason> を作成できません    (EFCreateError)
// Paths are byte strings in the locale's encoding and go to the file system unchanged.
#include <string>
#include <string_view>

namespace klv {

// The path made absolute, with "." and ".." resolved by name.
std::string FullPathName(const std::string& path);

// The bytes of the file. Raises EFOpenError when it cannot be opened (missing, a directory,
// no permission, held by another writer) and EReadError when reading it fails.
std::string ReadWholeFile(const std::string& path);

// Creates the file, or truncates an existing one, and writes bytes to it while holding it
// exclusively. Raises EFCreateError when that fails; an existing file is left as it was when
// it cannot be opened or locked.
void WriteWholeFile(const std::string& path, std::string_view bytes);

}  // namespace klv
