#pragma once

#include <QMainWindow>
#include <array>
#include <functional>
#include <vector>

#include "app/SessionView.h"
#include "base/BodyPartEntry.h"
#include "config/AppSettings.h"

class QAction;
class QGroupBox;
class QLabel;
class QLineEdit;
class QPushButton;
class QRadioButton;
class QTimer;
class QTreeView;

namespace morvik {

class BodyPartTableModel;
class OrderSession;
class PatientArea;

// The main window ("fMain"): shows the order session and forwards every event to it.
class MainWindow : public QMainWindow, public SessionView {
    Q_OBJECT
  public:
    explicit MainWindow(OrderSession& session, QWidget* parent = nullptr);
    ~MainWindow() override;

    // Start-up steps driven by the program's entry point.
    void Load();
    void SetUpColumns();
    void FillCatalogue(std::vector<BodyPartEntry> rows);
    // A Jet catalogue taken over before the fill (false: not readable, the window says why);
    // the operator told of it after the fill.
    bool TakeOverCatalogue();
    void TellCatalogueTakeOver();

    // The options dialog is opened through this; the program sets it.
    void SetOptionsOpener(std::function<void()> opener) { openOptions_ = std::move(opener); }

    // Options "OK" renames a modality button at once.
    void RenameModality(int index, const std::string& caption);

    // Shows the session's state: captions, enabled states, list contents and selection.
    void SessionChanged(const SessionChange& change) override;

  protected:
    void closeEvent(QCloseEvent* event) override;
    void changeEvent(QEvent* event) override;
    bool eventFilter(QObject* watched, QEvent* event) override;

  private:
    void buildWidgets();
    void fitToScreen();
    void refresh();
    void connectEvents();
    void syncSelection();
    void setInputsEnabled(bool enabled);

    void Search(const QString& text);
    void AddFoundBodyPart();
    void AddSelectedBodyPart();
    void RemoveSelectedBodyPart();
    void ChooseModality(int index);
    void Confirm();
    void LookForRequest();
    void Quit();
    void ShowOptions();

    OrderSession& session_;
    std::function<void()> openOptions_;
    bool syncing_ = false;
    bool unloaded_ = false;

    PatientArea* patient_ = nullptr;
    QTimer* sourceFolderTimer_ = nullptr;  // watches the source folder while no request is shown
    QGroupBox* modalityGroup_ = nullptr;
    std::array<QRadioButton*, kModalityCount> modalityButtons_{};
    QLineEdit* initialsField_ = nullptr;
    QLabel* sourceDriveLabel_ = nullptr;
    QLabel* targetDriveLabel_ = nullptr;
    QLabel* catalogueNoticeLabel_ = nullptr;
    QLineEdit* searchField_ = nullptr;
    QPalette searchPalette_;
    QLineEdit* commentField_ = nullptr;
    QTreeView* bodyPartList_ = nullptr;
    QTreeView* addedBodyPartList_ = nullptr;
    QPushButton* confirmButton_ = nullptr;
    QAction* quitAction_ = nullptr;
    QAction* optionsAction_ = nullptr;
    BodyPartTableModel* catalogueModel_ = nullptr;
    BodyPartTableModel* addedModel_ = nullptr;
};

}  // namespace morvik
