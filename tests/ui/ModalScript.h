#pragma once

#include <QApplication>
#include <QDialog>
#include <QTimer>
#include <functional>
#include <string>
#include <vector>

namespace morvik::test {

// Drives modal dialogs from inside their exec(): each step waits until the top modal window has
// the given object name (or class name, "QMessageBox") and then acts on it. The action runs from
// its own single-shot timer, so an action that opens a further modal dialog does not stop the
// script. A script not through within the time limit closes every modal window, so a test fails
// instead of hanging.
class ModalScript : public QObject {
  public:
    explicit ModalScript(int timeLimitMs = 20000) {
        connect(&poll_, &QTimer::timeout, this, &ModalScript::poll);
        poll_.start(5);
        QTimer::singleShot(timeLimitMs, this, &ModalScript::giveUp);
    }
    ModalScript& when(const std::string& name, std::function<void(QWidget*)> action) {
        steps_.emplace_back(name, std::move(action));
        return *this;
    }
    // Every step ran, and no modal window had to be closed by force.
    bool done() const { return next_ == steps_.size() && !timedOut_; }
    // The windows the script met but could not place, for the failure message.
    std::string unexpected() const { return unexpected_; }

  private:
    void poll() {
        QWidget* top = QApplication::activeModalWidget();
        if (acting_ || next_ == steps_.size() || top == nullptr) return;
        const std::string& name = steps_[next_].first;
        if (top->objectName().toStdString() != name && name != top->metaObject()->className()) {
            return;
        }
        acting_ = true;
        // A timer, not a posted call: the action must not run in the last pass of the event
        // loop of a dialog that is just closing, before the code after its exec() has run.
        QTimer::singleShot(1, top, [this, step = next_++, top] {
            acting_ = false;
            steps_[step].second(top);
        });
    }
    void giveUp() {
        timedOut_ = true;
        poll_.stop();
        for (int guard = 0; guard < 20 && QApplication::activeModalWidget(); ++guard) {
            QWidget* top = QApplication::activeModalWidget();
            unexpected_ +=
                top->objectName().toStdString() + "/" + top->metaObject()->className() + " ";
            auto* dialog = qobject_cast<QDialog*>(top);
            dialog ? dialog->reject() : void(top->close());
            QApplication::processEvents();
        }
    }

    std::vector<std::pair<std::string, std::function<void(QWidget*)>>> steps_;
    std::size_t next_ = 0;
    bool acting_ = false, timedOut_ = false;
    std::string unexpected_;
    QTimer poll_;
};

}  // namespace morvik::test
