#pragma once
// The window's texts at the form boundary: Qt's UTF-16 texts in the editors, Windows-31J byte
// strings in the mail definition.
#include <QFont>
#include <QString>
#include <QValidator>
#include <string>
#include <string_view>

class QLineEdit;

namespace tvl {

// Names a control and puts it at its place on the form, in pixels.
template <class W>
W* Place(W* widget, const char* name, int left, int top, int width, int height) {
    widget->setObjectName(QString::fromLatin1(name));
    widget->setGeometry(left, top, width, height);
    return widget;
}

// The forms' fonts, 12 pixels high: "ＭＳ Ｐゴシック" for the controls, "ＭＳ ゴシック" for the
// body; both are mapped onto installed fonts at start-up.
QFont ProportionalFormFont();
QFont FixedFormFont();

// The text without the characters U+0000-U+0020 at either end; the full-width space stays, as
// the definition's trimming keeps it.
QString BlankTrimmed(const QString& text);

// Nothing but blanks (U+0000-U+0020) and full-width spaces (U+3000).
bool IsBlankText(const QString& text);

// Bytes the text takes in Windows-31J: one for ASCII and half-width katakana, two for every
// other character (those with no Windows-31J form included, which are refused elsewhere).
int Windows31JLength(const QString& text);

// Raise klv::EEncodingError naming the first character with no Windows-31J form, or the first
// bytes that are not Windows-31J.
std::string ToWindows31J(const QString& text);
QString FromWindows31J(std::string_view text);

// Refuses an edit that makes the editor's text longer than `limit` Windows-31J bytes. A text
// set by the program (a row loaded from a file) may be longer once admitted; it can still be
// shortened.
class TByteLimitValidator : public QValidator {
public:
    TByteLimitValidator(QLineEdit* editor, int limit);
    // Call before setText with a text that may be longer: QLineEdit validates it too, and
    // refuses no later edit once its text was found invalid.
    void Admit(const QString& text);
    State validate(QString& input, int& pos) const override;

private:
    int FLimit;
    int FCeiling;  // the larger of the limit and the length of the editor's current text
};

}  // namespace tvl
