#include "support/Iso2022Jp.h"

#include <iconv.h>

#include <array>
#include <cstdint>
#include <unordered_map>

#include "support/Mbcs.h"

namespace klv {

namespace {

constexpr std::string_view kToJis = "\x1B$B";
constexpr std::string_view kToAscii = "\x1B(B";

// Full-width Windows-31J codes of the half-width katakana 0xA1-0xDF.
constexpr std::array<std::uint16_t, 63> kFullWidthKana = {
    0x8142, 0x8175, 0x8176, 0x8141, 0x8145, 0x8392, 0x8340, 0x8342, 0x8344, 0x8346, 0x8348,
    0x8383, 0x8385, 0x8387, 0x8362, 0x815B, 0x8341, 0x8343, 0x8345, 0x8347, 0x8349, 0x834A,
    0x834C, 0x834E, 0x8350, 0x8352, 0x8354, 0x8356, 0x8358, 0x835A, 0x835C, 0x835E, 0x8360,
    0x8363, 0x8365, 0x8367, 0x8369, 0x836A, 0x836B, 0x836C, 0x836D, 0x836E, 0x8371, 0x8374,
    0x8377, 0x837A, 0x837D, 0x837E, 0x8380, 0x8381, 0x8382, 0x8384, 0x8386, 0x8388, 0x8389,
    0x838A, 0x838B, 0x838C, 0x838D, 0x838F, 0x8393, 0x814A, 0x814B};

constexpr unsigned char kVoicedMark = 0xDE;
constexpr unsigned char kSemiVoicedMark = 0xDF;

bool IsHalfWidthKana(unsigned char c) { return c >= 0xA1 && c <= 0xDF; }

// Full-width code of a half-width kana followed by `mark` (0 for none), and whether the mark
// was taken into it. In Windows-31J the voiced form of カ-ト and ハ-ホ is the next code and the
// semi-voiced form of ハ-ホ the one after.
std::pair<std::uint16_t, bool> CombineKana(unsigned char kana, unsigned char mark) {
    std::uint16_t base = kFullWidthKana[kana - 0xA1];
    bool voicable = (kana >= 0xB6 && kana <= 0xC4) || (kana >= 0xCA && kana <= 0xCE);
    if (mark == kVoicedMark && kana == 0xB3) return {0x8394, true};  // ｳﾞ -> ヴ
    if (mark == kVoicedMark && voicable) return {static_cast<std::uint16_t>(base + 1), true};
    if (mark == kSemiVoicedMark && kana >= 0xCA && kana <= 0xCE)
        return {static_cast<std::uint16_t>(base + 2), true};
    return {base, false};
}

// Lead bytes whose codes ISO-2022-JP carries: JIS X 0208 rows 1-8 and 16-84, row 13 (0x87)
// and rows 89-92 (0xED, 0xEE).
bool IsJisLead(unsigned char lead) {
    return (lead >= 0x81 && lead <= 0x84) || (lead >= 0x87 && lead <= 0x9F) ||
           (lead >= 0xE0 && lead <= 0xEA) || lead == 0xED || lead == 0xEE;
}

std::uint32_t DecodeWindows31J(iconv_t cd, std::uint16_t code) {
    char in[2] = {static_cast<char>(code >> 8), static_cast<char>(code & 0xFF)};
    std::uint32_t out = 0;
    char* inp = in;
    char* outp = reinterpret_cast<char*>(&out);
    std::size_t inLeft = 2, outLeft = sizeof out;
    iconv(cd, nullptr, nullptr, nullptr, nullptr);
    if (iconv(cd, &inp, &inLeft, &outp, &outLeft) == static_cast<std::size_t>(-1) || inLeft != 0)
        return 0;
    return out;
}

// Which double-byte codes convert, and the twin of each IBM extension: built once from the
// C library's Windows-31J table, walking the codes in JIS order so the first twin wins.
class JisTable {
public:
    JisTable() {
        iconv_t cd = iconv_open("UTF-32LE", "CP932");
        if (cd == reinterpret_cast<iconv_t>(-1)) return;
        std::unordered_map<std::uint32_t, std::uint16_t> firstByChar;
        for (unsigned lead = 0x81; lead <= 0xFC; ++lead) {
            for (unsigned trail = 0x40; trail <= 0xFC; ++trail) {
                if (!IsLeadByte(lead) || !IsTrailByte(trail)) continue;
                auto code = static_cast<std::uint16_t>(lead << 8 | trail);
                std::uint32_t ch = DecodeWindows31J(cd, code);
                if (ch == 0) continue;
                if (IsJisLead(lead)) {
                    valid_[code] = true;
                    firstByChar.emplace(ch, code);
                } else if (lead >= 0xFA) {
                    auto twin = firstByChar.find(ch);
                    if (twin != firstByChar.end()) twins_.emplace(code, twin->second);
                }
            }
        }
        iconv_close(cd);
    }

    // The code to send for a double-byte character, or 0 when it has none.
    std::uint16_t jisSource(std::uint16_t code) const {
        if (valid_[code]) return code;
        auto twin = twins_.find(code);
        return twin == twins_.end() ? 0 : twin->second;
    }

private:
    std::array<bool, 0x10000> valid_{};
    std::unordered_map<std::uint16_t, std::uint16_t> twins_;
};

const JisTable& Table() {
    static const JisTable table;
    return table;
}

// Shift_JIS to JIS arithmetic.
void AppendJis(std::string& out, std::uint16_t code) {
    unsigned s1 = code >> 8, s2 = code & 0xFF;
    unsigned j1 = ((s1 <= 0x9F ? s1 - 0x71 : s1 - 0xB1) << 1) + 1;
    if (s2 > 0x7F) --s2;
    if (s2 >= 0x9E) {
        s2 -= 0x7D;
        ++j1;
    } else {
        s2 -= 0x1F;
    }
    out += static_cast<char>(j1);
    out += static_cast<char>(s2);
}

}  // namespace

std::optional<std::string> Iso2022JpFromWindows31J(std::string_view text) {
    const JisTable& table = Table();
    std::string out;
    out.reserve(text.size() + text.size() / 4 + 8);
    bool jisMode = false;
    auto enter = [&](bool jis) {
        if (jis != jisMode) out += jis ? kToJis : kToAscii;
        jisMode = jis;
    };
    for (std::size_t i = 0; i < text.size();) {
        auto c = static_cast<unsigned char>(text[i]);
        if (c < 0x80) {
            enter(false);
            out += static_cast<char>(c);
            ++i;
        } else if (IsHalfWidthKana(c)) {
            unsigned char next = i + 1 < text.size() ? static_cast<unsigned char>(text[i + 1]) : 0;
            auto [code, tookMark] = CombineKana(c, next);
            enter(true);
            AppendJis(out, code);
            i += tookMark ? 2 : 1;
        } else {
            if (CharLength(text, i) != 2) return std::nullopt;
            auto code = static_cast<std::uint16_t>(c << 8 | static_cast<unsigned char>(text[i + 1]));
            std::uint16_t source = table.jisSource(code);
            if (source == 0) return std::nullopt;
            enter(true);
            AppendJis(out, source);
            i += 2;
        }
    }
    enter(false);
    return out;
}

}  // namespace klv
