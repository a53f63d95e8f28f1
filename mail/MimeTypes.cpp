#include "mail/MimeTypes.h"

#include <algorithm>

#include <QMimeDatabase>
#include <QString>

namespace ruzo {
namespace {

QString FromUtf8(std::string_view text) {
    return QString::fromUtf8(text.data(), static_cast<qsizetype>(text.size()));
}

}  // namespace

std::string ContentTypeForFile(std::string_view fileName) {
    std::size_t slash = fileName.rfind('/');
    std::string_view base = slash == std::string_view::npos ? fileName : fileName.substr(slash + 1);
    std::size_t dot = base.rfind('.');
    if (dot != std::string_view::npos) {
        // A neutral stem lets only the extension match: the database also knows whole names
        // («Makefile», «README*») that must not decide an attachment's type.
        std::string probe = "x";
        probe += base.substr(dot);
        const QList<QMimeType> types = QMimeDatabase().mimeTypesForFileName(FromUtf8(probe));
        // Some extensions belong to several types (.ts): take the alphabetically first, as the
        // database's own single-type lookup does, so the list's order cannot decide.
        auto first = std::min_element(types.begin(), types.end(),
                                      [](const QMimeType& a, const QMimeType& b) {
                                          return a.name() < b.name();
                                      });
        if (first != types.end()) return first->name().toStdString();
    }
    return "application/octet-stream";
}

std::string ExtensionForContentType(std::string_view contentType) {
    QMimeType type = QMimeDatabase().mimeTypeForName(FromUtf8(contentType));
    if (!type.isValid() || type.preferredSuffix().isEmpty()) return {};
    return "." + type.preferredSuffix().toStdString();
}

}  // namespace ruzo
