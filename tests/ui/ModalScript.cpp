#include "ui/ModalScript.h"

#include <QApplication>
#include <QDialog>

namespace morvik::test {

namespace {

bool named(QWidget* w, const std::string& name) {
    return w->objectName().toStdString() == name || name == w->metaObject()->className();
}

}  // namespace

ModalScript::ModalScript(int timeLimitMs) {
    connect(&poll_, &QTimer::timeout, this, &ModalScript::poll);
    poll_.start(5);
    limit_.setSingleShot(true);
    connect(&limit_, &QTimer::timeout, this, &ModalScript::giveUp);
    limit_.start(timeLimitMs);
}

ModalScript::~ModalScript() = default;

ModalScript& ModalScript::when(const std::string& name, std::function<void(QWidget*)> action) {
    steps_.push_back({name, std::move(action)});
    return *this;
}

void ModalScript::poll() {
    if (acting_ || !stepsLeft()) return;
    QWidget* top = QApplication::activeModalWidget();
    if (top == nullptr || !named(top, steps_[next_].name)) return;
    acting_ = true;
    const std::size_t step = next_++;
    // A timer, not a posted call: the action must not run in the last pass of the event loop
    // of a dialog that is just closing, before the code after that dialog's exec() has run.
    QTimer::singleShot(1, top, [this, step, top] {
        acting_ = false;
        steps_[step].action(top);
    });
}

void ModalScript::giveUp() {
    timedOut_ = true;
    poll_.stop();
    for (int guard = 0; guard < 20; ++guard) {
        QWidget* top = QApplication::activeModalWidget();
        if (top == nullptr) break;
        unexpected_ += top->objectName().toStdString() + "/" + top->metaObject()->className() + " ";
        if (auto* dialog = qobject_cast<QDialog*>(top)) {
            dialog->reject();
        } else {
            top->close();
        }
        QApplication::processEvents();
    }
}

}  // namespace morvik::test
