#pragma once
// Attachment types from the shared MIME database, matched by the file name's extension only.
#include <string>
#include <string_view>

namespace ruzo {

// The type registered for the extension (from the last "." of the file-name part of fileName,
// a path in the locale's encoding); "application/octet-stream" when there is no extension or
// no type is registered for it. «a.tar.gz» is looked up as «.gz»; «Makefile» has no extension.
std::string ContentTypeForFile(std::string_view fileName);
// The preferred extension of the type with its dot («.txt»), or '' for an unknown type or one
// without extensions.
std::string ExtensionForContentType(std::string_view contentType);

}  // namespace ruzo
