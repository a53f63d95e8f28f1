#include "support/StringList.h"

#include <algorithm>

#include "support/Mbcs.h"

namespace klv {

namespace {

unsigned char FoldAscii(unsigned char c) { return (c >= 'a' && c <= 'z') ? c - 32 : c; }

bool IsBlankByte(unsigned char c) { return c >= 0x01 && c <= 0x20; }

bool NeedsQuotes(std::string_view item) {
    return std::any_of(item.begin(), item.end(), [](char ch) {
        auto c = static_cast<unsigned char>(ch);
        return IsBlankByte(c) || c == '"' || c == ',';
    });
}

std::string Quoted(std::string_view item) {
    std::string r;
    r.reserve(item.size() + 2);
    r += '"';
    for (char c : item) {
        if (c == '"') r += '"';
        r += c;
    }
    r += '"';
    return r;
}

void SkipBlanks(std::string_view text, std::size_t& pos) {
    while (pos < text.size() && IsBlankByte(static_cast<unsigned char>(text[pos]))) ++pos;
}

// A quoted item from the opening quote at pos; a doubled quote stands for one. Without a
// closing quote the item runs to the end of the text, last byte included.
std::string ReadQuoted(std::string_view text, std::size_t& pos) {
    std::string item;
    ++pos;
    while (pos < text.size()) {
        if (text[pos] == '"') {
            if (pos + 1 < text.size() && text[pos + 1] == '"') {
                item += '"';
                pos += 2;
                continue;
            }
            ++pos;
            break;
        }
        std::size_t n = CharLength(text, pos);
        item.append(text.substr(pos, n));
        pos += n;
    }
    return item;
}

std::string ReadPlain(std::string_view text, std::size_t& pos) {
    std::size_t start = pos;
    while (pos < text.size()) {
        auto c = static_cast<unsigned char>(text[pos]);
        if (c <= 0x20 || c == ',') break;
        pos += CharLength(text, pos);
    }
    return std::string(text.substr(start, pos - start));
}

}  // namespace

int CompareTextNoCase(std::string_view a, std::string_view b) {
    std::size_t n = std::min(a.size(), b.size());
    for (std::size_t i = 0; i < n; ++i) {
        unsigned char x = FoldAscii(static_cast<unsigned char>(a[i]));
        unsigned char y = FoldAscii(static_cast<unsigned char>(b[i]));
        if (x != y) return x < y ? -1 : 1;
    }
    if (a.size() == b.size()) return 0;
    return a.size() < b.size() ? -1 : 1;
}

void StringList::setSorted(bool sorted, bool ignoreDuplicates) {
    sorted_ = sorted;
    ignoreDuplicates_ = ignoreDuplicates;
    if (!sorted_) return;
    std::vector<std::string> old;
    old.swap(items_);
    for (auto& item : old) add(std::move(item));
}

void StringList::add(std::string item) {
    if (!sorted_) {
        items_.push_back(std::move(item));
        return;
    }
    auto at = std::lower_bound(items_.begin(), items_.end(), item,
                               [](const std::string& a, const std::string& b) {
                                   return CompareTextNoCase(a, b) < 0;
                               });
    if (ignoreDuplicates_ && at != items_.end() && CompareTextNoCase(*at, item) == 0) return;
    // Equal items keep their order of arrival.
    while (at != items_.end() && CompareTextNoCase(*at, item) == 0) ++at;
    items_.insert(at, std::move(item));
}

void StringList::insert(std::size_t index, std::string item) {
    items_.insert(items_.begin() + static_cast<std::ptrdiff_t>(index), std::move(item));
}

void StringList::remove(std::size_t index) {
    items_.erase(items_.begin() + static_cast<std::ptrdiff_t>(index));
}

std::string StringList::NameOf(std::string_view entry) {
    auto eq = entry.find('=');
    return eq == std::string_view::npos ? std::string() : std::string(entry.substr(0, eq));
}

std::string StringList::ValueOf(std::string_view entry) {
    auto eq = entry.find('=');
    return eq == std::string_view::npos ? std::string() : std::string(entry.substr(eq + 1));
}

std::string StringList::commaText() const { return JoinCommaText(items_); }

void StringList::setCommaText(std::string_view text) {
    clear();
    for (auto& item : SplitCommaText(text)) add(std::move(item));
}

std::string JoinCommaText(const std::vector<std::string>& items) {
    if (items.size() == 1 && items[0].empty()) return "\"\"";
    std::string r;
    for (std::size_t i = 0; i < items.size(); ++i) {
        if (i > 0) r += ',';
        r += NeedsQuotes(items[i]) ? Quoted(items[i]) : items[i];
    }
    return r;
}

std::vector<std::string> SplitCommaText(std::string_view text) {
    // A NUL ends the text, as it ends a line of a definition file.
    text = text.substr(0, text.find('\0'));
    std::vector<std::string> items;
    std::size_t pos = 0;
    SkipBlanks(text, pos);
    while (pos < text.size()) {
        items.push_back(text[pos] == '"' ? ReadQuoted(text, pos) : ReadPlain(text, pos));
        SkipBlanks(text, pos);
        if (pos < text.size() && text[pos] == ',') {
            if (pos + 1 == text.size()) items.emplace_back();
            ++pos;
            SkipBlanks(text, pos);
        }
    }
    return items;
}

}  // namespace klv
