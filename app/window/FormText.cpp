#include "app/window/FormText.h"

#include <QLineEdit>
#include <algorithm>

#include "support/Codec.h"
#include "support/about/BaseCommonAboutForm.h"

namespace tvl {

namespace {

QFont PixelFont(const QString& family) {
    QFont font(family);
    font.setPixelSize(12);
    return font;
}

}  // namespace

QFont ProportionalFormFont() { return PixelFont(QStringLiteral("ＭＳ Ｐゴシック")); }
QFont FixedFormFont() { return PixelFont(QStringLiteral("ＭＳ ゴシック")); }

QString BlankTrimmed(const QString& text) { return klv::TrimControls(text); }

bool IsBlankText(const QString& text) {
    for (QChar c : text)
        if (c.unicode() > 0x20 && c.unicode() != 0x3000) return false;
    return true;
}

int Windows31JLength(const QString& text) {
    int bytes = 0;
    for (char32_t c : text.toUcs4()) {
        const bool single = c < 0x80 || (c >= 0xFF61 && c <= 0xFF9F);
        bytes += single ? 1 : 2;
    }
    return bytes;
}

std::string ToWindows31J(const QString& text) {
    const QByteArray utf8 = text.toUtf8();
    return klv::Windows31JFromUtf8(std::string_view(utf8.constData(), utf8.size()));
}

QString FromWindows31J(std::string_view text) {
    return QString::fromStdString(klv::Utf8FromWindows31J(text));
}

TByteLimitValidator::TByteLimitValidator(QLineEdit* editor, int limit)
    : QValidator(editor), FLimit(limit), FCeiling(limit) {
    // textChanged comes after validate, so the ceiling is the length before the edit.
    connect(editor, &QLineEdit::textChanged, this, &TByteLimitValidator::Admit);
}

void TByteLimitValidator::Admit(const QString& text) {
    FCeiling = std::max(FLimit, Windows31JLength(text));
}

QValidator::State TByteLimitValidator::validate(QString& input, int&) const {
    return Windows31JLength(input) <= FCeiling ? Acceptable : Invalid;
}

}  // namespace tvl
