#pragma once

#include <QDialog>
#include <array>
#include <filesystem>
#include <functional>
#include <string>
#include <vector>

#include "app/OptionsModel.h"
#include "ui/QtOperatorChannel.h"

class QCheckBox;
class QLabel;
class QLineEdit;

namespace morvik {

class ErrorLog;

// fOptions "Einstellungen": shows the OptionsModel and forwards every edit to it. Built afresh
// for every opening, so discarded edits never come back.
class OptionsDialog : public QDialog {
    Q_OBJECT
  public:
    OptionsDialog(AppSettings& settings, const std::filesystem::path& programFolder, ErrorLog& log,
                  std::function<void(int index, const std::string& caption)> setModalityCaption,
                  FolderPicker& picker, QWidget* parent = nullptr);

  protected:
    void keyPressEvent(QKeyEvent* event) override;

  private:
    struct TextEdit {
        QLineEdit* edit;
        OptionsText field;
    };
    struct BoxEdit {
        QCheckBox* box;
        OptionsBox field;
    };

    void build();
    QWidget* buildWorklistGroup();
    void connectEdits();
    void showModel();
    QLineEdit* text(const char* name, OptionsText field);
    QCheckBox* box(const QString& caption, const char* name, OptionsBox field);

    std::filesystem::path programFolder_;
    ErrorLog& log_;
    QtOperatorChannel op_;
    OptionsModel model_;
    std::array<QLineEdit*, kModalityCount> modalityNameFields_{};
    std::array<QCheckBox*, kModalityCount> withoutBodyPartsBoxes_{};
    std::vector<TextEdit> texts_;
    std::vector<BoxEdit> boxes_;
    QLineEdit* sourceDriveField_ = nullptr;
    QLineEdit* targetDriveField_ = nullptr;
    // The worklist's fields, shown only while the worklist is on.
    QWidget* worklistFields_ = nullptr;
    bool worklistAvailable_ = true;
    std::array<QLabel*, kModalityCount> worklistButtonLabels_{};
    std::array<QLineEdit*, kModalityCount> worklistCodeFields_{};
    std::array<QLineEdit*, kModalityCount> worklistStationFields_{};
};

}  // namespace morvik
