#pragma once
// An ordered list of byte strings, optionally kept sorted and free of duplicates (letter case
// ignored), with name=value access and the comma-text syntax of definition files and
// recipient lists.
#include <cstddef>
#include <string>
#include <string_view>
#include <vector>

namespace klv {

// Compares ASCII letters without regard to case; other bytes by value.
int CompareTextNoCase(std::string_view a, std::string_view b);

class StringList {
public:
    StringList() = default;
    StringList(std::initializer_list<std::string> items) : items_(items) {}

    // Sorted lists keep ascending case-insensitive order; with ignoreDuplicates an item equal
    // to one already present (case ignored) is not added, so the first one stays.
    void setSorted(bool sorted, bool ignoreDuplicates = false);
    bool sorted() const { return sorted_; }

    std::size_t size() const { return items_.size(); }
    bool empty() const { return items_.empty(); }
    const std::string& operator[](std::size_t i) const { return items_[i]; }
    std::string& operator[](std::size_t i) { return items_[i]; }
    auto begin() const { return items_.begin(); }
    auto end() const { return items_.end(); }
    const std::vector<std::string>& items() const { return items_; }

    void add(std::string item);
    void insert(std::size_t index, std::string item);  // unsorted lists only
    void remove(std::size_t index);
    void clear() { items_.clear(); }

    // name=value entries: the name is the text before the first "=" (empty without one),
    // the value the text after it.
    static std::string NameOf(std::string_view entry);
    static std::string ValueOf(std::string_view entry);
    std::string name(std::size_t i) const { return NameOf(items_[i]); }
    std::string valueFromIndex(std::size_t i) const { return ValueOf(items_[i]); }

    std::string commaText() const;
    void setCommaText(std::string_view text);  // replaces the items

    bool operator==(const StringList& other) const { return items_ == other.items_; }

private:
    std::vector<std::string> items_;
    bool sorted_ = false;
    bool ignoreDuplicates_ = false;
};

// Comma text of a sequence of items: commas between items, an item quoted when it holds a byte
// 0x01-0x20, a double quote or a comma; one empty item alone is written as two quotes.
std::string JoinCommaText(const std::vector<std::string>& items);
// Splits comma text into items (see the file format: blanks outside quotes separate items too).
std::vector<std::string> SplitCommaText(std::string_view text);

}  // namespace klv
