#include "mail/MimeText.h"

namespace ruzo {

std::string_view TrimLeadingBlanks(std::string_view text) {
    const std::size_t first = text.find_first_not_of(' ');
    return first == std::string_view::npos ? std::string_view() : text.substr(first);
}

std::string_view TrimBlanks(std::string_view text) {
    text = TrimLeadingBlanks(text);
    return text.substr(0, text.find_last_not_of(' ') + 1);
}

std::string LeftPad(std::string_view text, std::size_t width, std::string_view fill) {
    const std::string_view t = TrimLeadingBlanks(text);
    if (t.size() > width) return std::string(t.substr(t.size() - width));
    std::string result;
    if (!fill.empty()) {
        // Whole copies of fill, as many as bring the length to at least width.
        const std::size_t copies = (width - t.size() + fill.size() - 1) / fill.size();
        result.reserve(copies * fill.size() + t.size());
        for (std::size_t i = 0; i < copies; ++i) result.append(fill);
    }
    result.append(t);
    return result;
}

void TakeLine(std::string_view text, std::string& line, std::size_t& position) {
    if (position >= text.size()) {
        line.clear();
        position = std::string_view::npos;
        return;
    }
    const std::size_t crlf = text.find("\r\n", position);
    const std::size_t end = crlf == std::string_view::npos ? text.size() : crlf + 2;
    line.assign(text.substr(position, end - position));
    position = end == text.size() ? std::string_view::npos : end;
}

}  // namespace ruzo
