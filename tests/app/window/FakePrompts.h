#pragma once
// Answers the window's message boxes and file dialogs in the user's place, and keeps every box
// it was shown.
#include <QApplication>
#include <QKeyEvent>
#include <QString>
#include <QTimer>
#include <deque>
#include <functional>
#include <vector>

#include "app/window/Prompts.h"

namespace apptest {

class FakePrompts : public tvl::TPrompts {
public:
    std::vector<tvl::TMessageBox> Boxes;
    std::deque<bool> Answers;  // Yes (true) or No for the next boxes; OK boxes take none
    QString SaveFileName;
    QString OpenFileName;
    std::function<void(const tvl::TMessageBox&)> OnBox;  // runs while the box would be open

    bool Show(QWidget*, const tvl::TMessageBox& box) override {
        Boxes.push_back(box);
        if (OnBox) OnBox(box);
        if (box.Buttons != tvl::TBoxButtons::YesNo) return true;
        if (Answers.empty()) return false;  // as Escape would answer
        bool answer = Answers.front();
        Answers.pop_front();
        return answer;
    }
    QString AskSaveFileName(QWidget*) override { return SaveFileName; }
    QString AskOpenFileName(QWidget*) override { return OpenFileName; }

    QStringList Texts() const {
        QStringList texts;
        for (const auto& box : Boxes) texts << box.Text;
        return texts;
    }
};

// Types `text` into `widget` one character at a time, as the keyboard (or an input method)
// delivers it; QTest::keyClicks takes ASCII only.
inline void Type(QWidget* widget, const QString& text) {
    for (QChar c : text) {
        QKeyEvent press(QEvent::KeyPress, Qt::Key_unknown, Qt::NoModifier, QString(c));
        QApplication::sendEvent(widget, &press);
        QKeyEvent release(QEvent::KeyRelease, Qt::Key_unknown, Qt::NoModifier, QString(c));
        QApplication::sendEvent(widget, &release);
    }
}

// Runs `act` on the next modal widget once it is open (a dialog's exec() returns only after
// the test has answered it). Gives up after about five seconds, so nothing hangs.
template <class Dialog>
void WhenModal(std::function<void(Dialog&)> act, int triesLeft = 500) {
    QTimer::singleShot(10, [act = std::move(act), triesLeft]() mutable {
        if (auto* dialog = dynamic_cast<Dialog*>(QApplication::activeModalWidget())) {
            act(*dialog);
        } else if (triesLeft > 0) {
            WhenModal<Dialog>(std::move(act), triesLeft - 1);
        } else if (QWidget* other = QApplication::activeModalWidget()) {
            other->close();
        }
    });
}

}  // namespace apptest
