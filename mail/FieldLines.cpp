#include "mail/FieldLines.h"

#include "mail/MimeText.h"

namespace ruzo {
namespace {

std::string_view StripDoubleQuotes(std::string_view text) {
    if (text.size() >= 2 && text.front() == '"' && text.back() == '"') {
        return text.substr(1, text.size() - 2);
    }
    return text;
}

// Trimmed, with ";" appended unless it ends with one, so that the last parameter is closed
// like every other.
std::string ClosedLine(std::string_view line) {
    std::string closed(TrimBlanks(line));
    if (closed.empty() || closed.back() != ';') closed += ';';
    return closed;
}

// The state both parameter routines keep while walking a line: quotes, the value part after
// the first colon, the parameter part after the first ";" that follows it, and the name of the
// parameter being read.
class ParamWalk {
public:
    enum class Step {
        Other,      // a character of a name, a value of another parameter, or the value part
        Separator,  // a ";" that starts the next parameter
        Assign,     // an "=" after the wanted parameter's name: its value follows
        Wanted,     // a character of the wanted parameter's value
    };

    explicit ParamWalk(std::string_view param) : param_(TrimBlanks(param)) {}

    Step feed(char c) {
        if (c == '"') {
            inQuotes_ = !inQuotes_;
        } else if (!inQuotes_) {
            if (c == ':' && !inValue_ && !inParams_) {
                inValue_ = true;
                return Step::Other;
            }
            if (c == ';' && (inValue_ || inParams_)) {
                inParams_ = true;
                inValue_ = false;
                capturing_ = false;
                name_.clear();
                return Step::Separator;
            }
            if (c == '=' && inParams_) {
                capturing_ = klv::CompareTextNoCase(TrimBlanks(name_), param_) == 0;
                name_.clear();
                return capturing_ ? Step::Assign : Step::Other;
            }
        }
        if (capturing_) return Step::Wanted;
        if (inParams_) name_ += c;
        return Step::Other;
    }

private:
    std::string_view param_;
    std::string name_;
    bool inQuotes_ = false;
    bool inValue_ = false;
    bool inParams_ = false;
    bool capturing_ = false;
};

}  // namespace

int FindFieldLine(const klv::StringList& lines, std::string_view key, int occurrence) {
    int matches = 0;
    for (std::size_t i = 0; i < lines.size(); ++i) {
        std::string_view item = lines[i];
        bool match = item.size() >= key.size() &&
                     klv::CompareTextNoCase(item.substr(0, key.size()), key) == 0;
        if (match && matches++ == occurrence) return static_cast<int>(i);
    }
    return -1;
}

std::string FieldLineValue(std::string_view line) {
    std::string taken;
    bool inQuotes = false;
    bool inValue = false;
    for (char c : line) {
        if (c == '"') inQuotes = !inQuotes;
        if (!inQuotes && c == ':' && !inValue) {
            inValue = true;
            continue;
        }
        if (!inQuotes && c == ';' && inValue) break;
        if (inValue) taken += c;
    }
    return std::string(StripDoubleQuotes(TrimBlanks(taken)));
}

std::string ReplaceFieldLineValue(std::string_view line, std::string_view value) {
    std::size_t colon = std::string_view::npos;
    std::size_t end = line.size();
    bool inQuotes = false;
    for (std::size_t i = 0; i < line.size(); ++i) {
        char c = line[i];
        if (c == '"') {
            inQuotes = !inQuotes;
        } else if (!inQuotes && c == ':' && colon == std::string_view::npos) {
            colon = i;
        } else if (!inQuotes && c == ';' && colon != std::string_view::npos) {
            end = i;
            break;
        }
    }
    if (colon == std::string_view::npos) return std::string(line);

    std::string result(line.substr(0, colon + 1));
    result += ' ';
    result += TrimBlanks(value);
    result += line.substr(end);
    return result;
}

std::string FieldLineParam(std::string_view line, std::string_view param) {
    ParamWalk walk(param);
    std::string taken;
    for (char c : ClosedLine(line)) {
        if (walk.feed(c) == ParamWalk::Step::Wanted) taken += c;
    }
    return std::string(StripDoubleQuotes(TrimBlanks(taken)));
}

std::string ReplaceFieldLineParam(std::string_view line, std::string_view param,
                                  std::string_view value) {
    std::string closed = ClosedLine(line);
    ParamWalk walk(param);
    std::size_t start = std::string::npos;
    std::size_t end = std::string::npos;
    for (std::size_t i = 0; i < closed.size() && end == std::string::npos; ++i) {
        ParamWalk::Step step = walk.feed(closed[i]);
        if (step == ParamWalk::Step::Assign && start == std::string::npos) {
            start = i + 1;
        } else if (step == ParamWalk::Step::Separator && start != std::string::npos) {
            end = i;
        }
    }
    closed.pop_back();  // the closing ";"

    if (end != std::string::npos) {
        closed.replace(start, end - start, TrimBlanks(value));
        return closed;
    }
    std::string result(TrimBlanks(closed));
    result += "; ";
    result += TrimBlanks(param);
    result += '=';
    result += TrimBlanks(value);
    return result;
}

}  // namespace ruzo
