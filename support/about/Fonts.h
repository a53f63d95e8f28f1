#pragma once
// The Japanese fonts the forms name, mapped onto the IPA fonts installed on Debian.

namespace klv {

// "ＭＳ Ｐゴシック" -> IPAPGothic and "ＭＳ ゴシック" -> IPAGothic; call once at start-up, before
// any form is built.
void InstallJapaneseFontSubstitutes();

}  // namespace klv
