#include "support/about/BaseCommonAboutForm.h"

#include <QDesktopServices>
#include <QLabel>
#include <QPlainTextEdit>
#include <QPushButton>
#include <QResizeEvent>
#include <QScreen>
#include <QUrl>
#include <algorithm>

#include "support/about/VersionInfo.h"

namespace klv {

namespace {

constexpr int kDesignWidth = 500;
constexpr int kDesignHeight = 220;
constexpr int kLabelLeft = 72;
constexpr int kButtonLeft = 340;
constexpr int kButtonWidth = 147;
constexpr int kButtonHeight = 25;
constexpr int kRegSiteTop = 40;
const QRect kMemoPlace(12, 108, 475, 99);

QLabel* NewLabel(QWidget* parent, int top, bool bold) {
    auto* label = new QLabel(parent);
    label->move(kLabelLeft, top);
    if (bold) {
        QFont font = label->font();
        font.setBold(true);
        label->setFont(font);
    }
    return label;
}

QPushButton* NewButton(QWidget* parent, int top, const QString& caption) {
    auto* button = new QPushButton(caption, parent);
    button->setGeometry(kButtonLeft, top, kButtonWidth, kButtonHeight);
    return button;
}

}  // namespace

QString TrimControls(const QString& text) {
    qsizetype first = 0;
    qsizetype last = text.size();
    while (first < last && text[first].unicode() <= 0x20) ++first;
    while (last > first && text[last - 1].unicode() <= 0x20) --last;
    return text.mid(first, last - first);
}

T_KLVBaseCommonAboutForm::T_KLVBaseCommonAboutForm(QWidget* parent)
    : QDialog(parent, Qt::Dialog | Qt::WindowTitleHint | Qt::WindowSystemMenuHint |
                          Qt::WindowCloseButtonHint) {
    QFont font(QStringLiteral("ＭＳ Ｐゴシック"));
    font.setPixelSize(12);
    setFont(font);
    resize(kDesignWidth, kDesignHeight);

    imgAppIcon = new QLabel(this);
    imgAppIcon->setGeometry(12, 12, 48, 48);
    imgAppIcon->setAlignment(Qt::AlignCenter);
    lblProductName = NewLabel(this, 12, true);
    lblProductVersion = NewLabel(this, 32, false);
    lblCompanyName = NewLabel(this, 52, false);
    lblCopyright = NewLabel(this, 72, false);

    memAppendix = new QPlainTextEdit(this);
    memAppendix->setGeometry(kMemoPlace);
    memAppendix->setReadOnly(true);
    memAppendix->setVerticalScrollBarPolicy(Qt::ScrollBarAlwaysOn);
    memAppendix->setFocusPolicy(Qt::NoFocus);
    QPalette palette = memAppendix->palette();
    palette.setColor(QPalette::Base, palette.color(QPalette::Button));
    memAppendix->setPalette(palette);

    btnClose = NewButton(this, 8, QStringLiteral("閉じる(&C)"));
    btnJumpToUserRegSite = NewButton(this, kRegSiteTop, QStringLiteral("ユーザー登録ページへ(&R)"));
    btnContactSite = NewButton(this, 72, QStringLiteral("お問い合せフォームへ(&T)"));
    connect(btnClose, &QPushButton::clicked, this, [this] { btnCloseClick(); });
    connect(btnJumpToUserRegSite, &QPushButton::clicked, this,
            [this] { btnJumpToUserRegSiteClick(); });
    connect(btnContactSite, &QPushButton::clicked, this, [this] { btnContactSiteClick(); });
}

void T_KLVBaseCommonAboutForm::ExeVersionInfo(std::size_t key, QString& value) {
    std::string text = value.toStdString();
    ReadVersionInfo(kOwnProgramFile, key, text);
    value = QString::fromStdString(text);
}

void T_KLVBaseCommonAboutForm::SetAppendixText(const QString& text) {
    memAppendix->appendPlainText(TrimControls(text));
}

void T_KLVBaseCommonAboutForm::ApplyEnableRegSite(bool enabled) {
    if (!FRegisterURL.isEmpty()) btnJumpToUserRegSite->setEnabled(enabled);
}

void T_KLVBaseCommonAboutForm::OpenWebPage(const QString& address) {
    // A browser that cannot be started is not reported: the address is only a convenience.
    QDesktopServices::openUrl(QUrl(address));
}

int T_KLVBaseCommonAboutForm::ShowModal() {
    FormShow();
    return exec();
}

void T_KLVBaseCommonAboutForm::FormShow() {
    if (FRegisterURL.isEmpty()) btnJumpToUserRegSite->setEnabled(false);
    int height = kDesignHeight;
    if (TrimControls(memAppendix->toPlainText()).isEmpty()) {
        height = kMemoPlace.top() - 1;
        memAppendix->hide();
    }
    if (imgAppIcon->pixmap().isNull()) {
        imgAppIcon->hide();
        for (QLabel* label : {lblProductName, lblProductVersion, lblCompanyName, lblCopyright})
            label->move(12, label->y());
    }
    for (QLabel* label : {lblProductName, lblProductVersion, lblCompanyName, lblCopyright})
        label->adjustSize();
    btnJumpToUserRegSite->setVisible(FRegSiteButtonVisible);
    btnContactSite->setVisible(FContactButtonVisible);
    if (!FRegSiteButtonVisible && FContactButtonVisible)
        btnContactSite->move(btnContactSite->x(), kRegSiteTop);
    setFixedSize(FWidth, height);
    if (QScreen* shown = screen()) move(shown->availableGeometry().center() - rect().center());
}

void T_KLVBaseCommonAboutForm::resizeEvent(QResizeEvent* event) {
    // The buttons keep their distance from the right edge, the memo from all four edges.
    const int rightShift = event->size().width() - kDesignWidth;
    for (QPushButton* button : {btnClose, btnJumpToUserRegSite, btnContactSite})
        button->move(kButtonLeft + rightShift, button->y());
    const int downShift = event->size().height() - kDesignHeight;
    memAppendix->setGeometry(kMemoPlace.left(), kMemoPlace.top(),
                             std::max(0, kMemoPlace.width() + rightShift),
                             std::max(0, kMemoPlace.height() + downShift));
    QDialog::resizeEvent(event);
}

void T_KLVBaseCommonAboutForm::btnCloseClick() { close(); }

void T_KLVBaseCommonAboutForm::btnJumpToUserRegSiteClick() { OpenWebPage(FRegisterURL); }

void T_KLVBaseCommonAboutForm::btnContactSiteClick() { OpenWebPage(FInquiryURL); }

}  // namespace klv
