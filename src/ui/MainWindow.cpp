#include "ui/MainWindow.h"

#include <QAction>
#include <QApplication>
#include <QCloseEvent>
#include <QGridLayout>
#include <QGroupBox>
#include <QHBoxLayout>
#include <QHeaderView>
#include <QKeyEvent>
#include <QLabel>
#include <QLineEdit>
#include <QMenuBar>
#include <QPalette>
#include <QPointer>
#include <QPushButton>
#include <QRadioButton>
#include <QScreen>
#include <QTimer>
#include <QTreeView>
#include <QVBoxLayout>

#include "app/OrderSession.h"
#include "diag/Trap.h"
#include "diag/TrapNames.h"
#include "ui/BodyPartTableModel.h"
#include "ui/BodyPartView.h"
#include "ui/PatientArea.h"
#include "ui/ShippedIcons.h"

namespace morvik {
namespace {

QString q(const std::string& s) {
    return QString::fromStdString(s);
}

// Soon enough for a request dropped meanwhile; cheap enough for a network share.
constexpr int kWatchIntervalMs = 2000;

}  // namespace

MainWindow::MainWindow(OrderSession& session, QWidget* parent)
    : QMainWindow(parent), session_(session) {
    setObjectName("fMain");
    buildWidgets();
    connectEvents();
    setWindowTitle(q(session_.WindowTitle()));
    setWindowIcon(ProgramIcon());
    fitToScreen();
    session_.SetView(this);
}

MainWindow::~MainWindow() {
    session_.SetView(nullptr);
}

// As large as the layout was drawn for, but never past the screen: at 150 % on a 1920x1080
// screen the confirm button must stay on it.
void MainWindow::fitToScreen() {
    QSize size(820, 760);
    if (const QScreen* s = screen()) {
        const QSize frame(16, 48);  // border and title bar the window manager adds
        size = size.boundedTo(s->availableGeometry().size() - frame);
    }
    resize(size.expandedTo(minimumSizeHint()));
}

void MainWindow::buildWidgets() {
    auto* central = new QWidget;
    auto* layout = new QVBoxLayout(central);

    patient_ = new PatientArea;
    layout->addWidget(patient_);

    // Modalities (left) and initials, drive states and search (right)
    modalityGroup_ = new QGroupBox("Modalität");
    modalityGroup_->setObjectName("fraMod");
    auto* modGrid = new QGridLayout(modalityGroup_);
    for (int i = 0; i < kModalityCount; ++i) {
        modalityButtons_[i] = new QRadioButton;
        modalityButtons_[i]->setObjectName(QString("optMod%1").arg(i));
        modGrid->addWidget(modalityButtons_[i], i / 3, i % 3);
    }

    auto* initialsAndSearchGroup = new QGroupBox;
    initialsAndSearchGroup->setObjectName("fraKuerzel");
    auto* initialsAndSearchGrid = new QGridLayout(initialsAndSearchGroup);
    auto* initialsLabel = new QLabel("&Kürzel:");
    initialsField_ = new QLineEdit;
    initialsField_->setObjectName("txtKuerzel");
    initialsField_->setMaximumWidth(90);
    // Room for a few initials even when both drive texts are shown beside it.
    initialsField_->setMinimumWidth(initialsField_->fontMetrics().horizontalAdvance("MMMM") + 16);
    initialsLabel->setBuddy(initialsField_);
    sourceDriveLabel_ = new QLabel;
    sourceDriveLabel_->setObjectName("lblQuellNetz");
    targetDriveLabel_ = new QLabel;
    targetDriveLabel_->setObjectName("lblZielNetz");
    sourceDriveLabel_->setWordWrap(true);
    targetDriveLabel_->setWordWrap(true);
    auto* searchLabel = new QLabel("Körper&teil:");
    searchField_ = new QLineEdit;
    searchField_->setObjectName("txtSearch");
    // Its own clear button: Qt's asks the icon theme for one (see ShippedIcons.h).
    QAction* clearSearch = searchField_->addAction(ClearTextIcon(), QLineEdit::TrailingPosition);
    clearSearch->setObjectName("clearSearch");
    clearSearch->setVisible(false);
    connect(clearSearch, &QAction::triggered, searchField_, &QLineEdit::clear);
    connect(searchField_, &QLineEdit::textChanged, clearSearch,
            [clearSearch](const QString& text) { clearSearch->setVisible(!text.isEmpty()); });
    searchPalette_ = searchField_->palette();
    searchLabel->setBuddy(searchField_);
    initialsAndSearchGrid->addWidget(initialsLabel, 0, 0);
    initialsAndSearchGrid->addWidget(initialsField_, 0, 1);
    initialsAndSearchGrid->addWidget(sourceDriveLabel_, 0, 2);
    initialsAndSearchGrid->addWidget(targetDriveLabel_, 0, 3);
    initialsAndSearchGrid->addWidget(searchLabel, 1, 0);
    initialsAndSearchGrid->addWidget(searchField_, 1, 1, 1, 3);
    initialsAndSearchGrid->setColumnStretch(2, 1);
    initialsAndSearchGrid->setColumnStretch(3, 1);

    auto* frames = new QHBoxLayout;
    frames->addWidget(modalityGroup_);
    frames->addWidget(initialsAndSearchGroup, 1);
    layout->addLayout(frames);

    // Comment
    auto* commentRow = new QHBoxLayout;
    auto* commentLabel = new QLabel("Ko&mmentar:");
    commentField_ = new QLineEdit;
    commentField_->setObjectName("txtComment");
    commentLabel->setBuddy(commentField_);
    commentRow->addWidget(commentLabel);
    commentRow->addWidget(commentField_, 1);
    layout->addLayout(commentRow);

    // The two lists and the confirm button
    bodyPartList_ = MakeBodyPartView("lvBodyparts", "Körperteile");
    addedBodyPartList_ = MakeBodyPartView("lvAddBodyparts", "Hinzugefügte Körperteile");
    catalogueModel_ =
        new BodyPartTableModel(session_.Catalogue(), {"Körperteile", "Abk", "Factory"}, this);
    addedModel_ = new BodyPartTableModel(
        session_.Added(), {"Hinzugefügte Körperteile", "Add Abk", "Add Factory"}, this);
    bodyPartList_->setModel(catalogueModel_);
    addedBodyPartList_->setModel(addedModel_);
    // Above the catalogue list: why the catalogue could not be read, and what to do.
    catalogueNoticeLabel_ = new QLabel;
    catalogueNoticeLabel_->setObjectName("lblKatalogHinweis");
    catalogueNoticeLabel_->setWordWrap(true);
    catalogueNoticeLabel_->setTextInteractionFlags(Qt::TextSelectableByMouse);
    // Dark red through the palette: a style sheet would put Qt's style sheet machinery behind
    // this label (and its polishing into every start) for one colour.
    QPalette noticeColours = catalogueNoticeLabel_->palette();
    noticeColours.setColor(QPalette::WindowText, QColor(0xa0, 0x00, 0x00));
    catalogueNoticeLabel_->setPalette(noticeColours);
    catalogueNoticeLabel_->hide();
    layout->addWidget(catalogueNoticeLabel_);
    layout->addWidget(bodyPartList_, 3);
    layout->addWidget(addedBodyPartList_, 2);

    confirmButton_ = new QPushButton("Ü&bernehmen");  // Alt+B, as Windows has it for this word
    confirmButton_->setObjectName("cmdOK");
    confirmButton_->setAutoDefault(true);  // Enter on the focused button confirms
    confirmButton_->setEnabled(false);
    layout->addWidget(confirmButton_);

    setCentralWidget(central);

    sourceFolderTimer_ = new QTimer(this);
    sourceFolderTimer_->setObjectName("tmrQuellordner");
    sourceFolderTimer_->setInterval(kWatchIntervalMs);

    // Menu
    QMenu* fileMenu = menuBar()->addMenu("&Datei");
    fileMenu->setObjectName("mnu_Datei");
    optionsAction_ = fileMenu->addAction("&Einstellungen");
    optionsAction_->setObjectName("mnu_Options");
    fileMenu->addSeparator();
    quitAction_ = fileMenu->addAction("&Beenden");
    quitAction_->setObjectName("mnu_Beenden");

    setTabOrder(initialsField_, searchField_);
    setTabOrder(searchField_, commentField_);
    setTabOrder(commentField_, bodyPartList_);
    setTabOrder(bodyPartList_, addedBodyPartList_);
    setTabOrder(addedBodyPartList_, confirmButton_);
}

void MainWindow::connectEvents() {
    connect(searchField_, &QLineEdit::textChanged, this, &MainWindow::Search);
    connect(searchField_, &QLineEdit::returnPressed, this, &MainWindow::AddFoundBodyPart);
    connect(initialsField_, &QLineEdit::textChanged, this,
            [this](const QString& text) { session_.SetInitials(text.toStdString()); });
    connect(bodyPartList_, &QTreeView::doubleClicked, this, [this] { AddSelectedBodyPart(); });
    connect(addedBodyPartList_, &QTreeView::doubleClicked, this,
            [this] { RemoveSelectedBodyPart(); });
    connect(bodyPartList_->selectionModel(), &QItemSelectionModel::selectionChanged, this, [this] {
        if (syncing_) return;
        auto rows = bodyPartList_->selectionModel()->selectedRows();
        session_.SelectCatalogueRow(
            rows.isEmpty() ? 0 : static_cast<std::size_t>(rows.first().row()) + 1);
    });
    connect(addedBodyPartList_->selectionModel(), &QItemSelectionModel::selectionChanged, this,
            [this] {
                if (syncing_) return;
                auto rows = addedBodyPartList_->selectionModel()->selectedRows();
                session_.SelectAddedRow(
                    rows.isEmpty() ? 0 : static_cast<std::size_t>(rows.first().row()) + 1);
            });
    for (int i = 0; i < kModalityCount; ++i) {
        connect(modalityButtons_[i], &QRadioButton::toggled, this, [this, i](bool on) {
            if (on && !syncing_) ChooseModality(i);
        });
        modalityButtons_[i]->installEventFilter(this);
    }
    bodyPartList_->installEventFilter(this);
    addedBodyPartList_->installEventFilter(this);
    connect(confirmButton_, &QPushButton::clicked, this, &MainWindow::Confirm);
    connect(sourceFolderTimer_, &QTimer::timeout, this, &MainWindow::LookForRequest);
    connect(quitAction_, &QAction::triggered, this, &MainWindow::Quit);
    connect(optionsAction_, &QAction::triggered, this, &MainWindow::ShowOptions);
}

bool MainWindow::eventFilter(QObject* watched, QEvent* event) {
    if (event->type() == QEvent::FocusIn) {
        // Focus reaches a modality button with its selection (click, arrow keys, Tab into the
        // group); focus that lands on an unchecked button by itself chooses nothing.
        for (int i = 0; i < kModalityCount; ++i) {
            if (watched == modalityButtons_[i] && modalityButtons_[i]->isChecked())
                ChooseModality(i);
        }
    } else if (event->type() == QEvent::KeyPress) {
        auto* key = static_cast<QKeyEvent*>(event);
        // Without a mouse: Enter adds the selected catalogue row, Delete removes an added one.
        if (watched == bodyPartList_ &&
            (key->key() == Qt::Key_Return || key->key() == Qt::Key_Enter)) {
            AddSelectedBodyPart();
            return true;
        }
        if (watched == addedBodyPartList_ && key->key() == Qt::Key_Delete) {
            session_.RemoveSelectedBodyPartIfAny();
            return true;
        }
    }
    return QMainWindow::eventFilter(watched, event);
}

// ---- Start-up ------------------------------------------------------------------------------

void MainWindow::Load() {
    session_.Load();
    syncing_ = true;
    initialsField_->setText(q(session_.Settings().initials));
    syncing_ = false;
    searchField_->setFocus();  // the operator starts by typing a body part
}

void MainWindow::SetUpColumns() {
    for (QTreeView* view : {bodyPartList_, addedBodyPartList_}) {
        view->setColumnWidth(0, 760);
        view->setColumnHidden(1, true);
        view->setColumnHidden(2, true);
        view->header()->setSectionsMovable(false);
    }
}

bool MainWindow::TakeOverCatalogue() {
    return session_.TakeOverCatalogue();
}

void MainWindow::TellCatalogueTakeOver() {
    session_.TellCatalogueTakeOver();
}

void MainWindow::FillCatalogue(std::vector<BodyPartEntry> rows) {
    bodyPartList_->setUpdatesEnabled(false);
    session_.FillCatalogue(std::move(rows));
    bodyPartList_->setUpdatesEnabled(true);
}

void MainWindow::RenameModality(int index, const std::string& caption) {
    session_.SetModalityCaption(index, caption);
    if (index >= 0 && index < kModalityCount) modalityButtons_[index]->setText(q(caption));
}

// ---- Showing the session ---------------------------------------------------------------------

void MainWindow::SessionChanged(const SessionChange& change) {
    if (change.catalogueRows) catalogueModel_->Reload();
    if (change.addedRows) addedModel_->Reload();
    refresh();
}

void MainWindow::refresh() {
    syncing_ = true;
    patient_->Show(session_.Patient(), session_.RequestNotice());
    if (!session_.WatchesSourceFolder()) {
        sourceFolderTimer_->stop();
    } else if (!sourceFolderTimer_->isActive()) {
        sourceFolderTimer_->start();
    }
    const int checked = session_.CheckedModality();
    for (int i = 0; i < kModalityCount; ++i) {
        modalityButtons_[i]->setText(q(session_.ModalityCaptions()[i]));
        if (i == checked && !modalityButtons_[i]->isChecked())
            modalityButtons_[i]->setChecked(true);
        // Tab enters the group on the checked button only; arrow keys move between them.
        const bool tabStop = i == checked || checked < 0 || checked >= kModalityCount;
        modalityButtons_[i]->setFocusPolicy(tabStop ? Qt::StrongFocus : Qt::ClickFocus);
    }
    catalogueNoticeLabel_->setText(q(session_.CatalogueNotice()));
    catalogueNoticeLabel_->setVisible(!session_.CatalogueNotice().empty());
    sourceDriveLabel_->setText(q(session_.SourceDriveText()));
    targetDriveLabel_->setText(q(session_.TargetDriveText()));
    const QString missed = session_.SearchMissed() ? QStringLiteral("kein Treffer") : QString();
    if (searchField_->accessibleDescription() != missed) {
        QPalette search = searchPalette_;
        if (!missed.isEmpty()) search.setColor(QPalette::Base, QColor(255, 220, 220));
        searchField_->setPalette(search);
        searchField_->setAccessibleDescription(missed);
        searchField_->setToolTip(missed);
    }
    syncing_ = false;
    setInputsEnabled(!session_.Busy());
    syncSelection();
}

void MainWindow::setInputsEnabled(bool enabled) {
    bodyPartList_->setEnabled(enabled && session_.Catalogue().Enabled());
    addedBodyPartList_->setEnabled(enabled);
    modalityGroup_->setEnabled(enabled);
    confirmButton_->setEnabled(enabled && session_.OkEnabled());
}

void MainWindow::syncSelection() {
    syncing_ = true;
    auto apply = [](QTreeView* view, std::size_t row) {
        if (row == 0) {
            view->selectionModel()->clearSelection();
            return;
        }
        QModelIndex index = view->model()->index(static_cast<int>(row) - 1, 0);
        view->selectionModel()->setCurrentIndex(
            index, QItemSelectionModel::ClearAndSelect | QItemSelectionModel::Rows);
    };
    apply(bodyPartList_, session_.Catalogue().Selected());
    apply(addedBodyPartList_, session_.Added().Selected());
    syncing_ = false;
}

// ---- Events ---------------------------------------------------------------------------------

void MainWindow::Search(const QString& text) {
    std::size_t scrollTo = session_.Search(text.toStdString());
    if (scrollTo > 0) {
        bodyPartList_->scrollTo(catalogueModel_->index(static_cast<int>(scrollTo) - 1, 0));
        QModelIndex match =
            catalogueModel_->index(static_cast<int>(session_.Catalogue().Selected()) - 1, 0);
        bodyPartList_->scrollTo(match);  // the match stays in view even in a short list
    }
}

void MainWindow::AddFoundBodyPart() {
    session_.AddFoundBodyPart();
    searchField_->selectAll();  // the next body part is typed over this one
}

void MainWindow::AddSelectedBodyPart() {
    session_.AddSelectedBodyPart();
}

void MainWindow::RemoveSelectedBodyPart() {
    session_.RemoveSelectedBodyPart();
}

void MainWindow::ChooseModality(int index) {
    if (syncing_) return;
    session_.ChooseModality(index);
}

void MainWindow::Confirm() {
    if (session_.Busy()) return;
    // The inputs are locked while the files are written; the keyboard comes back where it was.
    QPointer<QWidget> focus = QApplication::focusWidget();
    OrderSession::Confirmation result = session_.Confirm(commentField_->text().toStdString());
    if (result == OrderSession::Confirmation::Done) {
        close();
    } else if (focus && focus->isEnabled()) {
        focus->setFocus();
    }
}

void MainWindow::LookForRequest() {
    // An open dialog is not interrupted; the next tick comes soon enough.
    if (QApplication::activeModalWidget()) return;
    session_.LookForRequest();
}

void MainWindow::Quit() {
    trap(session_.Log(), trapname::QuitMenu, [&] { close(); });
}

void MainWindow::ShowOptions() {
    trap(session_.Log(), trapname::OptionsMenu, [&] {
        if (openOptions_) openOptions_();
    });
    refresh();
}

// ---- Window events --------------------------------------------------------------------------

void MainWindow::closeEvent(QCloseEvent* event) {
    // Not in the middle of writing an order: the confirmation finishes first.
    if (session_.Busy()) {
        event->ignore();
        return;
    }
    if (!unloaded_) {
        unloaded_ = true;
        session_.Unload();
    }
    event->accept();
}

void MainWindow::changeEvent(QEvent* event) {
    // Form_Activate: raise the window whenever it becomes active, also after the options dialog.
    if (event->type() == QEvent::ActivationChange && isActiveWindow()) raise();
    QMainWindow::changeEvent(event);
}

}  // namespace morvik
