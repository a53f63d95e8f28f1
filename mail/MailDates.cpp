#include "mail/MailDates.h"

#include <array>
#include <charconv>
#include <cstdlib>
#include <optional>
#include <ctime>
#include <random>

#include "mail/MimeText.h"
#include "support/IntegerText.h"

namespace ruzo {

namespace {

// Fixed English names: a Date field never follows the locale's language (RFC 5322 3.3).
constexpr std::array<std::string_view, 7> kDayNames{"Sun", "Mon", "Tue", "Wed",
                                                    "Thu", "Fri", "Sat"};
constexpr std::array<std::string_view, 12> kMonthNames{"Jan", "Feb", "Mar", "Apr", "May", "Jun",
                                                       "Jul", "Aug", "Sep", "Oct", "Nov", "Dec"};

std::tm LocalTm() {
    std::time_t now = std::time(nullptr);
    std::tm local{};
    localtime_r(&now, &local);
    return local;
}

void AppendTwoDigits(std::string& out, unsigned value) {
    out += static_cast<char>('0' + value / 10 % 10);
    out += static_cast<char>('0' + value % 10);
}

std::mt19937 SeededGenerator() {
    auto ticks = static_cast<std::uint64_t>(
        std::chrono::high_resolution_clock::now().time_since_epoch().count());
    std::seed_seq seed{static_cast<std::uint32_t>(ticks), static_cast<std::uint32_t>(ticks >> 32)};
    return std::mt19937(seed);
}

}  // namespace

std::chrono::local_seconds LocalNow() {
    using namespace std::chrono;
    std::tm t = LocalTm();
    local_days day{year{t.tm_year + 1900} / (t.tm_mon + 1) / t.tm_mday};
    return day + hours{t.tm_hour} + minutes{t.tm_min} + seconds{t.tm_sec};
}

int LocalZoneMinutes() { return static_cast<int>(LocalTm().tm_gmtoff / 60); }

double LocalZoneOffset() { return LocalZoneMinutes() / 1440.0; }

std::uint32_t UnitRandom() {
    static std::mt19937 generator = SeededGenerator();
    return static_cast<std::uint32_t>(generator());
}

std::string ZoneText(int zoneMinutes) {
    if (zoneMinutes == 0) return "GMT";
    std::string text(1, zoneMinutes < 0 ? '-' : '+');
    unsigned magnitude = static_cast<unsigned>(std::abs(zoneMinutes));
    AppendTwoDigits(text, magnitude / 60);
    AppendTwoDigits(text, magnitude % 60);
    return text;
}

std::string MailDateText(std::chrono::local_seconds when, int zoneMinutes) {
    using namespace std::chrono;
    local_days day = floor<days>(when);
    year_month_day date{day};
    hh_mm_ss clock{when - day};
    std::string text;
    text += kDayNames[weekday{day}.c_encoding()];
    text += ", ";
    AppendTwoDigits(text, static_cast<unsigned>(date.day()));
    text += ' ';
    text += kMonthNames[static_cast<unsigned>(date.month()) - 1];
    text += ' ';
    text += LeftPad(std::to_string(static_cast<int>(date.year())), 4, "0");
    text += ' ';
    AppendTwoDigits(text, static_cast<unsigned>(clock.hours().count()));
    text += ':';
    AppendTwoDigits(text, static_cast<unsigned>(clock.minutes().count()));
    text += ':';
    AppendTwoDigits(text, static_cast<unsigned>(clock.seconds().count()));
    text += ' ';
    text += ZoneText(zoneMinutes);
    return text;
}

std::string MailDateText(std::chrono::local_seconds when) {
    return MailDateText(when, LocalZoneMinutes());
}

std::string UpperHex(std::uint32_t value) {
    std::array<char, 8> digits{};
    auto end = std::to_chars(digits.data(), digits.data() + digits.size(), value, 16).ptr;
    std::string text(digits.data(), end);
    for (char& c : text)
        if (c >= 'a' && c <= 'f') c = static_cast<char>(c - 'a' + 'A');
    return text;
}

std::string NewBoundary(std::uint32_t draw) { return "boundary" + LeftPad(UpperHex(draw), 8, "0"); }

bool IsNumericHost(std::string_view host) {
    std::size_t start = 0;
    while (true) {
        std::size_t dot = host.find('.', start);
        std::string_view piece = host.substr(start, dot == std::string_view::npos ? dot : dot - start);
        std::optional<std::int32_t> value = klv::TryStrToInt(piece);
        if (!value || *value < 0) return false;
        if (dot == std::string_view::npos) return true;
        start = dot + 1;
    }
}

}  // namespace ruzo
