#include "support/about/Fonts.h"

#include <QFont>

namespace klv {

void InstallJapaneseFontSubstitutes() {
    QFont::insertSubstitution(QStringLiteral("ＭＳ Ｐゴシック"), QStringLiteral("IPAPGothic"));
    QFont::insertSubstitution(QStringLiteral("ＭＳ ゴシック"), QStringLiteral("IPAGothic"));
}

}  // namespace klv
