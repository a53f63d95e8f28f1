#include "support/about/AboutForm.h"

#include <gtest/gtest.h>

#include <QApplication>
#include <QFontInfo>
#include <QFontMetrics>
#include <QKeyEvent>
#include <QLabel>
#include <QPlainTextEdit>
#include <QPushButton>
#include <QTimer>

#include "support/about/GUICommonAboutForm.h"

namespace klv {
namespace {

const QString kProductName = QStringLiteral("簡易メール送信ツール - タルヴェル");

// The form as Execute fills it from the component, shown so that its layout takes effect.
class ShownForm : public T_KLVGUICommonAboutForm {
public:
    explicit ShownForm(const TKAboutForm& about) {
        FInquiryURL = about.InquiryURL;
        FRegisterURL = about.RegisterURL;
        imgAppIcon->setPixmap(about.Picture);
        ApplyEnableRegSite(about.EnableRegSite);
        SetAppendixText(about.Appendix.join(QLatin1Char('\n')));
        FRegSiteButtonVisible = about.RegSiteButtonVisible;
        FContactButtonVisible = about.ContactButtonVisible;
        FWidth = about.Width;
        FProductName = about.ProductName;
        FProductVersion = about.ProductVersion;
        FCompanyName = about.CompanyName;
        FCopyright = about.Copyright;
        FormShow();
        show();
    }
    void OpenWebPage(const QString& address) override { opened.append(address); }
    QStringList opened;
};

TKAboutForm MainWindowAbout() {
    TKAboutForm about;
    about.ProductName = kProductName;
    about.ProductVersion = QStringLiteral("1.1.0.0");
    about.CompanyName = QStringLiteral("Tarvelle Project");
    about.Copyright = QStringLiteral("Copyright (C) 2026 Tarvelle Project");
    return about;
}

TEST(AboutFormLayout, MainWindowInstanceHidesIconAndMemo) {
    ShownForm form(MainWindowAbout());
    EXPECT_EQ(form.windowTitle(), kProductName + QStringLiteral(" のバージョン情報"));
    EXPECT_EQ(form.lblProductVersion->text(), QStringLiteral("1.1.0.0"));
    EXPECT_EQ(form.size(), QSize(500, 107));
    EXPECT_FALSE(form.memAppendix->isVisible());
    EXPECT_FALSE(form.imgAppIcon->isVisible());
    for (QLabel* label : {form.lblProductName, form.lblProductVersion, form.lblCompanyName,
                          form.lblCopyright})
        EXPECT_EQ(label->x(), 12) << label->text().toStdString();
    EXPECT_EQ(form.lblCopyright->y(), 72);
    EXPECT_TRUE(form.lblProductName->font().bold());
    for (QPushButton* button : {form.btnClose, form.btnJumpToUserRegSite, form.btnContactSite}) {
        EXPECT_TRUE(button->isVisible() && button->isEnabled()) << button->text().toStdString();
        EXPECT_EQ(button->geometry().left(), 340);
    }
    EXPECT_EQ(form.btnContactSite->y(), 72);
}

TEST(AboutFormLayout, BlankAppendixHidesMemoTextKeepsIt) {
    TKAboutForm about = MainWindowAbout();
    about.Appendix = {QStringLiteral("  "), QString(), QStringLiteral("\t")};
    {
        ShownForm form(about);
        EXPECT_FALSE(form.memAppendix->isVisible());
        EXPECT_EQ(form.height(), 107);
    }
    about.Appendix = {QString(), QStringLiteral("  注記　"), QString()};
    ShownForm form(about);
    EXPECT_TRUE(form.memAppendix->isVisible());
    EXPECT_EQ(form.height(), 220);
    EXPECT_EQ(form.memAppendix->geometry(), QRect(12, 108, 475, 99));
    // Blanks go, the full-width space is text.
    EXPECT_EQ(form.memAppendix->toPlainText(), QStringLiteral("注記　"));
    EXPECT_TRUE(form.memAppendix->isReadOnly());
    EXPECT_EQ(form.memAppendix->focusPolicy(), Qt::NoFocus);
}

TEST(AboutFormLayout, PictureKeepsLabelsBesideIt) {
    TKAboutForm about = MainWindowAbout();
    QPixmap picture(32, 32);
    picture.fill(Qt::red);
    about.Picture = picture;
    ShownForm form(about);
    EXPECT_TRUE(form.imgAppIcon->isVisible());
    EXPECT_EQ(form.imgAppIcon->geometry(), QRect(12, 12, 48, 48));
    EXPECT_EQ(form.lblProductName->x(), 72);
    EXPECT_EQ(form.lblCompanyName->pos(), QPoint(72, 52));
}

TEST(AboutFormLayout, RegistrationButtonEnabling) {
    TKAboutForm about = MainWindowAbout();
    about.RegisterURL.clear();
    {
        ShownForm form(about);
        EXPECT_TRUE(form.btnJumpToUserRegSite->isVisible());
        EXPECT_FALSE(form.btnJumpToUserRegSite->isEnabled());
    }
    about = MainWindowAbout();
    about.EnableRegSite = false;
    ShownForm form(about);
    EXPECT_FALSE(form.btnJumpToUserRegSite->isEnabled());
    EXPECT_TRUE(form.btnContactSite->isEnabled());
}

struct ButtonCase {
    const char* name;
    bool regSiteVisible;
    bool contactVisible;
    int contactTop;
};
void PrintTo(const ButtonCase& c, std::ostream* os) { *os << c.name; }

class AboutFormButtons : public testing::TestWithParam<ButtonCase> {};

TEST_P(AboutFormButtons, ContactButtonMovesUpOnlyIntoAFreePlace) {
    TKAboutForm about = MainWindowAbout();
    about.RegSiteButtonVisible = GetParam().regSiteVisible;
    about.ContactButtonVisible = GetParam().contactVisible;
    ShownForm form(about);
    EXPECT_EQ(form.btnJumpToUserRegSite->isVisible(), GetParam().regSiteVisible);
    EXPECT_EQ(form.btnContactSite->isVisible(), GetParam().contactVisible);
    EXPECT_EQ(form.btnContactSite->y(), GetParam().contactTop);
    EXPECT_EQ(form.btnJumpToUserRegSite->y(), 40);
}

INSTANTIATE_TEST_SUITE_P(Cases, AboutFormButtons,
                         testing::Values(ButtonCase{"BothShown", true, true, 72},
                                         ButtonCase{"RegSiteHidden", false, true, 40},
                                         ButtonCase{"ContactHidden", true, false, 72},
                                         ButtonCase{"BothHidden", false, false, 72}),
                         [](const testing::TestParamInfo<ButtonCase>& info) {
                             return std::string(info.param.name);
                         });

TEST(AboutFormLayout, WidthMovesButtonsAndStretchesMemo) {
    TKAboutForm about = MainWindowAbout();
    about.Width = 600;
    about.Appendix = {QStringLiteral("注記")};
    ShownForm form(about);
    EXPECT_EQ(form.size(), QSize(600, 220));
    EXPECT_EQ(form.btnClose->geometry(), QRect(440, 8, 147, 25));
    EXPECT_EQ(form.memAppendix->geometry(), QRect(12, 108, 575, 99));
}

TEST(AboutFormWebButtons, OpenTheirAddressesAndCloseCloses) {
    ShownForm form(MainWindowAbout());
    form.btnJumpToUserRegSite->click();
    form.btnContactSite->click();
    EXPECT_EQ(form.opened, (QStringList{QStringLiteral("https://tarvelle.example/register"),
                                        QStringLiteral("https://tarvelle.example/inquiry")}));
    form.btnClose->click();
    EXPECT_FALSE(form.isVisible());
}

TEST(AboutFormFonts, JapaneseTextsHaveGlyphs) {
    ShownForm form(MainWindowAbout());
    EXPECT_EQ(QFontInfo(form.font()).family(), QStringLiteral("IPAPGothic"));
    EXPECT_EQ(QFontInfo(form.font()).pixelSize(), 12);
    const QFontMetrics metrics(form.font());
    for (const QString& text : {form.windowTitle(), form.btnClose->text(),
                                form.btnJumpToUserRegSite->text(), form.btnContactSite->text()})
        for (QChar ch : text)
            EXPECT_TRUE(metrics.inFont(ch)) << text.toStdString() << " U+" << std::hex
                                            << unsigned{ch.unicode()};
}

// Runs Execute and, once its modal form is up, hands it to inspect and presses Escape on it.
// Returns whether a form came up at all; a bounded timer ends a wait that never does.
template <typename Inspect>
bool ExecuteAndInspect(const TKAboutForm& about, Inspect inspect) {
    bool seen = false;
    QTimer poll;
    int triesLeft = 200;
    QObject::connect(&poll, &QTimer::timeout, [&] {
        auto* form = dynamic_cast<T_KLVGUICommonAboutForm*>(QApplication::activeModalWidget());
        if (!form && --triesLeft > 0) return;
        poll.stop();
        if (!form) {
            QApplication::closeAllWindows();  // whatever did come up must not block the test
            return;
        }
        seen = true;
        inspect(*form);
        QKeyEvent escape(QEvent::KeyPress, Qt::Key_Escape, Qt::NoModifier);
        QApplication::sendEvent(form, &escape);
        if (form->isVisible()) {
            ADD_FAILURE() << "Escape left the form open";
            form->reject();
        }
    });
    poll.start(10);
    about.Execute();
    return seen;
}

TEST(AboutFormExecute, ShowsTheComponentsTextsAndEscapeCloses) {
    TKAboutForm about = MainWindowAbout();
    about.Appendix = {QStringLiteral("一行目"), QStringLiteral("二行目")};
    bool seen = ExecuteAndInspect(about, [&](T_KLVGUICommonAboutForm& form) {
        EXPECT_EQ(form.windowTitle(), kProductName + QStringLiteral(" のバージョン情報"));
        EXPECT_EQ(form.lblCompanyName->text(), about.CompanyName);
        EXPECT_EQ(form.lblCopyright->text(), about.Copyright);
        EXPECT_EQ(form.memAppendix->toPlainText(), QStringLiteral("一行目\n二行目"));
        EXPECT_EQ(form.size(), QSize(500, 220));
    });
    EXPECT_TRUE(seen);
}

TEST(AboutFormExecute, TakesTextsFromTheVersionBlock) {
    TKAboutForm about;
    about.UseVersionInfoFromFile = true;
    about.ProductName = QStringLiteral("ignored");
    about.SetVersionFormat(vfAllFormat);
    bool seen = ExecuteAndInspect(about, [&](T_KLVGUICommonAboutForm& form) {
        EXPECT_EQ(form.windowTitle(), kProductName + QStringLiteral(" のバージョン情報"));
        EXPECT_EQ(form.lblProductName->text(), kProductName);
        EXPECT_EQ(form.lblProductVersion->text(), QStringLiteral("1.1.0 Build 0"));
        EXPECT_EQ(form.lblCompanyName->text(), QStringLiteral("Tarvelle Project"));
        EXPECT_EQ(form.lblCopyright->text(), QStringLiteral("Copyright (C) 2026 Tarvelle Project"));
    });
    EXPECT_TRUE(seen);
}

}  // namespace
}  // namespace klv
