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

    QProgressBar* Progress() const { return prgStatus_; }

    // "Version " major.minor.revision, each a plain number.
    static QString VersionText(int major, int minor, int revision);

  private:
    QLabel* picSplash_ = nullptr;
    QProgressBar* prgStatus_ = nullptr;
    QLabel* lblVersion_ = nullptr;
};

}  // namespace morvik
