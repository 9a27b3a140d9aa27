#pragma once

#include <QWidget>
#include <string>

#include "app/PatientCaptions.h"

class QLabel;

namespace morvik {

// The top of the main window: the patient's identifier, name and date of birth in large type (the
// two identifiers the operator checks), and below them, while no request is shown, why not.
class PatientArea : public QWidget {
  public:
    explicit PatientArea(QWidget* parent = nullptr);

    void Show(const PatientCaptions& patient, const std::string& notice);

  private:
    QLabel* idLabel_;
    QLabel* nameLabel_;
    QLabel* birthDateLabel_;
    QLabel* noticeLabel_;
};

}  // namespace morvik
