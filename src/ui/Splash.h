#pragma once

#include <QWidget>

class QLabel;
class QProgressBar;

namespace morvik {

// frmSplash: the product picture, the progress of the catalogue load and the version.
class Splash : public QWidget {
    Q_OBJECT
  public:
    explicit Splash(QWidget* parent = nullptr);

    QProgressBar* Progress() const { return progressBar_; }

    // "Version " major.minor.revision, each a plain number.
    static QString VersionText(int major, int minor, int revision);

  private:
    QProgressBar* progressBar_ = nullptr;
    QLabel* versionLabel_ = nullptr;
};

}  // namespace morvik
