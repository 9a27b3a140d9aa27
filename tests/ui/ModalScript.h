#pragma once

#include <QObject>
#include <QTimer>
#include <QWidget>
#include <functional>
#include <string>
#include <vector>

namespace morvik::test {

// Drives modal dialogs from inside their exec(): each step waits until the top modal window has
// the given object name (or class name) and then acts on it. The action runs from its own
// single-shot timer, so an action that opens a further modal dialog does not stop the script.
// A script that is not through within the time limit closes every modal window, so a test
// fails instead of hanging.
class ModalScript : public QObject {
  public:
    explicit ModalScript(int timeLimitMs = 20000);
    ~ModalScript() override;

    // `name` is the window's objectName, or its class name ("QMessageBox").
    ModalScript& when(const std::string& name, std::function<void(QWidget*)> action);

    // Every step ran, and no modal window had to be closed by force.
    bool done() const { return next_ == steps_.size() && !timedOut_; }
    // The windows the script met but could not place, for the failure message.
    std::string unexpected() const { return unexpected_; }

  private:
    struct Step {
        std::string name;
        std::function<void(QWidget*)> action;
    };
    bool stepsLeft() const { return next_ < steps_.size(); }
    void poll();
    void giveUp();

    std::vector<Step> steps_;
    std::size_t next_ = 0;
    bool acting_ = false;
    bool timedOut_ = false;
    std::string unexpected_;
    QTimer poll_;
    QTimer limit_;
};

}  // namespace morvik::test
