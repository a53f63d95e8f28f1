#include "maildef/MailData.h"

#include <filesystem>

namespace tvl {

namespace {

std::string Entry(std::string_view name, std::string_view address) {
    std::string entry;
    entry.reserve(name.size() + address.size() + 1);
    entry += name;
    entry += '=';
    entry += address;
    return entry;
}

}  // namespace

void TMailData::AddTo(std::string_view name, std::string_view address) {
    FToList.add(Entry(name, address));
}

void TMailData::AddCc(std::string_view name, std::string_view address) {
    FCcList.add(Entry(name, address));
}

std::string TMailData::EntryAddress(const klv::StringList& list, std::size_t index) {
    const std::string& entry = list[index];
    auto eq = entry.find('=');
    return eq == std::string::npos ? entry : entry.substr(eq + 1);
}

std::string TMailData::ToName(std::size_t index) const { return FToList.name(index); }
std::string TMailData::CcName(std::size_t index) const { return FCcList.name(index); }
std::string TMailData::ToAddress(std::size_t index) const { return EntryAddress(FToList, index); }
std::string TMailData::CcAddress(std::size_t index) const { return EntryAddress(FCcList, index); }

void TMailData::SetAttachment(const std::string& path) {
    std::error_code ec;
    auto status = std::filesystem::status(path, ec);
    if (!ec && std::filesystem::exists(status) && !std::filesystem::is_directory(status))
        FAttachFile = path;
}

}  // namespace tvl
