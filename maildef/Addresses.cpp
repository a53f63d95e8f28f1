#include "maildef/Addresses.h"

#include <algorithm>
#include <iterator>

namespace tvl {

namespace {

bool IsLocalPartByte(unsigned char c) {
    if (c < 0x21 || c > 0x7E) return false;
    return std::string_view("\"(),:;<>@[]\\").find(static_cast<char>(c)) == std::string_view::npos;
}

bool IsDomainByte(char c) {
    return (c >= '0' && c <= '9') || (c >= 'A' && c <= 'Z') || (c >= 'a' && c <= 'z') ||
           c == '-' || c == '.';
}

}  // namespace

std::string EncloseInAngles(std::string_view text) {
    std::string r;
    r.reserve(text.size() + 2);
    r += '<';
    r += text;
    r += '>';
    return r;
}

std::string StripAngles(std::string_view text) {
    std::string r;
    r.reserve(text.size());
    std::copy_if(text.begin(), text.end(), std::back_inserter(r),
                 [](char c) { return c != '<' && c != '>'; });
    return r;
}

bool IsValidDomain(std::string_view domain) {
    if (!std::all_of(domain.begin(), domain.end(), IsDomainByte)) return false;
    if (domain.find("..") != std::string_view::npos) return false;
    auto dot = domain.find('.');
    if (dot == std::string_view::npos || dot == 0) return false;
    return domain.back() != '.';
}

bool IsValidMailAddress(std::string_view text) {
    if (text.size() < 3) return false;
    auto at = text.find('@');
    if (at == std::string_view::npos || at + 1 == text.size()) return false;
    std::string_view local = text.substr(0, at);
    if (!std::all_of(local.begin(), local.end(),
                     [](char c) { return IsLocalPartByte(static_cast<unsigned char>(c)); }))
        return false;
    return IsValidDomain(text.substr(at + 1));
}

std::string MailAddressErrorText(std::string_view label) {
    std::string r;
    if (!label.empty()) {
        r = label;
        r += "に";
    }
    return r + "入力されたメールアドレスが正しくありません。";
}

}  // namespace tvl
