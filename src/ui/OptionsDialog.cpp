#include "ui/OptionsDialog.h"

#include <QCheckBox>
#include <QGridLayout>
#include <QGroupBox>
#include <QHBoxLayout>
#include <QKeyEvent>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QSignalBlocker>
#include <QStyle>
#include <QToolButton>
#include <QVBoxLayout>

#include "ui/LoginDialog.h"
#include "worklist/WorklistItem.h"

namespace morvik {

namespace {

// The captions name the default modalities and stay when a modality is renamed.
const char* const kButtonLabels[kModalityCount] = {"Scan Button", "Röntgen Button", "Button 3",
                                                   "Button 4",    "Button 5",       "Button 6"};

const char* const kConnectDriveCaption = "Automatisches verbinden zum Netzlaufwerk";

QLabel* buddyLabel(const QString& caption, QWidget* buddy, QWidget* parent) {
    auto* label = new QLabel(caption, parent);
    label->setBuddy(buddy);
    return label;
}

QToolButton* folderButton(const char* name, const QString& accessibleName, QWidget* parent) {
    auto* button = new QToolButton(parent);
    button->setObjectName(name);
    button->setIcon(parent->style()->standardIcon(QStyle::SP_DirOpenIcon));
    button->setAccessibleName(accessibleName);
    button->setToolTip(accessibleName);
    return button;
}

QPushButton* pushButton(const QString& caption, const char* name, QWidget* parent) {
    auto* button = new QPushButton(caption, parent);
    button->setObjectName(name);
    // Enter does not save and does not open anything: a typing slip must not close the dialog.
    button->setAutoDefault(false);
    return button;
}

}  // namespace

OptionsDialog::OptionsDialog(
    AppSettings& settings, const std::filesystem::path& programFolder, ErrorLog& log,
    std::function<void(int index, const std::string& caption)> setModalityCaption,
    FolderPicker& picker, QWidget* parent)
    : QDialog(parent),
      programFolder_(programFolder),
      log_(log),
      model_(settings, programFolder, log, op_, picker, std::move(setModalityCaption)) {
    setObjectName("fOptions");
    setWindowTitle(QStringLiteral("Einstellungen"));
    build();
    model_.Load();
    showModel();
    connectEdits();
}

QLineEdit* OptionsDialog::text(const char* name, OptionsText field) {
    auto* edit = new QLineEdit(this);
    edit->setObjectName(name);
    texts_.push_back({edit, field});
    return edit;
}

QCheckBox* OptionsDialog::box(const QString& caption, const char* name, OptionsBox field) {
    auto* check = new QCheckBox(caption, this);
    check->setObjectName(name);
    boxes_.push_back({check, field});
    return check;
}

void OptionsDialog::build() {
    auto* layout = new QVBoxLayout(this);

    // Modalities, three rows of two: label, name, "ohne Körperteile".
    auto* modalityGroup = new QGroupBox(QStringLiteral("Modalitäten"), this);
    modalityGroup->setObjectName("frmMod");
    auto* modGrid = new QGridLayout(modalityGroup);
    for (int i = 0; i < kModalityCount; ++i) {
        const auto at = static_cast<std::size_t>(i);
        const QString name = QString::fromUtf8(kButtonLabels[at]);
        modalityNameFields_[at] = new QLineEdit(modalityGroup);
        modalityNameFields_[at]->setObjectName(QStringLiteral("txtButton%1").arg(i));
        withoutBodyPartsBoxes_[at] =
            new QCheckBox(QStringLiteral("ohne Körperteile"), modalityGroup);
        withoutBodyPartsBoxes_[at]->setObjectName(QStringLiteral("chkBodypart%1").arg(i));
        // Six boxes share one caption; the name tells a screen reader which one this is.
        withoutBodyPartsBoxes_[at]->setAccessibleName(name + QStringLiteral(" ohne Körperteile"));
        auto* cell = new QVBoxLayout;
        cell->addWidget(
            buddyLabel(name + QStringLiteral(" Text:"), modalityNameFields_[at], modalityGroup));
        cell->addWidget(modalityNameFields_[at]);
        cell->addWidget(withoutBodyPartsBoxes_[at]);
        modGrid->addLayout(cell, i / 2, i % 2);
    }
    layout->addWidget(modalityGroup);

    // Folders and their network drives.
    auto* folderGroup = new QGroupBox(this);
    folderGroup->setObjectName("fraLaufwerke");
    auto* drives = new QVBoxLayout(folderGroup);
    auto folderRows = [&](const QString& caption, const char* folderName, OptionsText folder,
                          const char* buttonName, const QString& buttonText,
                          const char* connectBoxName, OptionsBox connectField,
                          const char* letterName, OptionsText letter, const QString& side) {
        QLineEdit* path = text(folderName, folder);
        QToolButton* browse = folderButton(buttonName, buttonText, this);
        auto* pathRow = new QHBoxLayout;
        pathRow->addWidget(buddyLabel(caption, path, this));
        pathRow->addWidget(path, 1);
        pathRow->addWidget(browse);
        drives->addLayout(pathRow);

        QCheckBox* connect =
            box(QString::fromUtf8(kConnectDriveCaption), connectBoxName, connectField);
        connect->setAccessibleName(QString::fromUtf8(kConnectDriveCaption) + " (" + side + ")");
        QLineEdit* drive = text(letterName, letter);
        drive->setMaxLength(1);
        drive->setMaximumWidth(drive->fontMetrics().horizontalAdvance(QStringLiteral("MM")) + 16);
        drive->setAccessibleName(QStringLiteral("Laufwerksbuchstabe (%1)").arg(side));
        auto* driveRow = new QHBoxLayout;
        driveRow->addWidget(connect);
        driveRow->addStretch(1);
        driveRow->addWidget(buddyLabel(QStringLiteral("Laufwerksbuchstabe:"), drive, this));
        driveRow->addWidget(drive);
        drives->addLayout(driveRow);
        return std::pair{browse, drive};
    };
    auto [sourceBrowseButton, sourceDriveField] = folderRows(
        QStringLiteral("GDT-Quellpfad:"), "txtQuell", &AppSettings::sourceFolder, "cmdQuell",
        QStringLiteral("Quellordner wählen"), "chkQuellNetz", &AppSettings::connectSource,
        "txtQuellBuchstabe", &AppSettings::sourceDrive, QStringLiteral("Quellpfad"));
    auto [targetBrowseButton, targetDriveField] = folderRows(
        QStringLiteral("GDT-Zielpfad:"), "txtZiel", &AppSettings::targetFolder, "cmdZiel",
        QStringLiteral("Zielordner wählen"), "chkZielNetz", &AppSettings::connectTarget,
        "txtZielBuchstabe", &AppSettings::targetDrive, QStringLiteral("Zielpfad"));
    sourceDriveField_ = sourceDriveField;
    targetDriveField_ = targetDriveField;
    layout->addWidget(folderGroup);
    connect(sourceBrowseButton, &QToolButton::clicked, this, [this] {
        model_.BrowseSourceFolder();
        showModel();
    });
    connect(targetBrowseButton, &QToolButton::clicked, this, [this] {
        model_.BrowseTargetFolder();
        showModel();
    });

    // Order file details, one under the other.
    QLineEdit* suffixField = text("txtSuffix", &AppSettings::requestSuffix);
    auto* suffixRow = new QHBoxLayout;
    suffixRow->addWidget(buddyLabel(QStringLiteral("Suffix:"), suffixField, this));
    suffixRow->addWidget(suffixField);
    suffixRow->addStretch(1);
    layout->addLayout(suffixRow);

    QCheckBox* accessionBox =
        box(QStringLiteral("Accession Number"), "chkAcc", &AppSettings::accession);
    QLineEdit* accessionPrefixField = text("txtAcc", &AppSettings::accessionPrefix);
    auto* accRow = new QHBoxLayout;
    accRow->addWidget(accessionBox);
    accRow->addWidget(accessionPrefixField);
    accRow->addWidget(buddyLabel(QStringLiteral("(Prefix)"), accessionPrefixField, this));
    accRow->addStretch(1);
    layout->addLayout(accRow);

    layout->addWidget(box(QStringLiteral("Konica"), "chkKonica", &AppSettings::konica));
    layout->addWidget(box(QStringLiteral("DR-Factory"), "chkFactory", &AppSettings::drFactory));
    layout->addWidget(box(QStringLiteral("Carestream"), "chkCarestream", &AppSettings::carestream));
    layout->addWidget(box(QStringLiteral("Erzeuge nur eine Datei für den Patienten (nur in "
                                         "Verbindung mit DR-Factory) "),
                          "chkOneGDT", &AppSettings::oneFilePerPatient));

    QLineEdit* commentFieldEdit = text("txtCommentField", &AppSettings::commentField);
    auto* commentRow = new QHBoxLayout;
    commentRow->addWidget(buddyLabel(QStringLiteral("Kommentarfeld:"), commentFieldEdit, this));
    commentRow->addWidget(commentFieldEdit);
    commentRow->addStretch(1);
    layout->addLayout(commentRow);
    layout->addWidget(buildWorklistGroup());

    auto* selectBodyPartsButton =
        pushButton(QStringLiteral("&Bodyparts auswählen"), "cmdSelectBodyparts", this);
    auto* confirmButton = pushButton(QStringLiteral("&OK"), "cmdOK", this);
    auto* cancelButton = pushButton(QStringLiteral("&Abbrechen"), "cmdClose", this);
    auto* buttons = new QHBoxLayout;
    buttons->addWidget(selectBodyPartsButton);
    buttons->addStretch(1);
    buttons->addWidget(confirmButton);
    buttons->addWidget(cancelButton);
    layout->addLayout(buttons);

    connect(selectBodyPartsButton, &QPushButton::clicked, this,
            [this] { ShowCatalogueLock(programFolder_, log_); });
    connect(confirmButton, &QPushButton::clicked, this, [this] {
        if (model_.Confirm()) accept();
    });
    connect(cancelButton, &QPushButton::clicked, this, &QDialog::reject);

    // Widgets were made top to bottom, left to right; the focus chain follows that order.
    QWidget* previous = nullptr;
    for (QWidget* w : findChildren<QWidget*>()) {
        if (w->focusPolicy() == Qt::NoFocus) continue;
        if (previous) setTabOrder(previous, w);
        previous = w;
    }
}

// "DICOM-Worklist": on or off, the folder, per modality button its DICOM modality code and the
// station's AE title (two buttons a row), and how long an item stays.
QWidget* OptionsDialog::buildWorklistGroup() {
    auto* group = new QGroupBox(QStringLiteral("DICOM-Worklist"), this);
    group->setObjectName("worklistGroup");
    auto* column = new QVBoxLayout(group);
    column->addWidget(
        box(QStringLiteral("Worklist-Einträge schreiben (für Geräte mit DICOM-Worklist)"),
            "worklistEnabledBox", &AppSettings::worklistEnabled));
    worklistFields_ = new QWidget(group);
    worklistFields_->setObjectName("worklistFields");
    // A build without DCMTK cannot write items: the box can only be turned off there.
    worklistAvailable_ = WorklistAvailable();
    auto* fields = new QVBoxLayout(worklistFields_);
    fields->setContentsMargins(0, 0, 0, 0);
    column->addWidget(worklistFields_);

    QLineEdit* folder = text("worklistFolderField", &AppSettings::worklistFolder);
    folder->setParent(worklistFields_);
    QToolButton* browse = folderButton("worklistFolderButton",
                                       QStringLiteral("Worklist-Ordner wählen"), worklistFields_);
    auto* folderRow = new QHBoxLayout;
    folderRow->addWidget(buddyLabel(QStringLiteral("Worklist-Ordner:"), folder, worklistFields_));
    folderRow->addWidget(folder, 1);
    folderRow->addWidget(browse);
    fields->addLayout(folderRow);
    connect(browse, &QToolButton::clicked, this, [this] {
        model_.BrowseWorklistFolder();
        showModel();
    });

    auto* grid = new QGridLayout;
    for (int i = 0; i < kModalityCount; ++i) {
        const auto at = static_cast<std::size_t>(i);
        const int row = i / 2;
        const int first = (i % 2) * 5;
        auto* code = new QLineEdit(worklistFields_);
        code->setObjectName(QStringLiteral("worklistModalityCode%1").arg(i));
        code->setMaxLength(16);
        code->setMaximumWidth(code->fontMetrics().horizontalAdvance(QStringLiteral("MMMM")) + 16);
        auto* station = new QLineEdit(worklistFields_);
        station->setObjectName(QStringLiteral("worklistStationAETitle%1").arg(i));
        station->setMaxLength(16);
        auto* label = new QLabel(worklistFields_);
        label->setBuddy(code);
        // The row names its button by the caption it has now; a screen reader hears it with
        // each field.
        worklistButtonLabels_[at] = label;
        worklistCodeFields_[at] = code;
        worklistStationFields_[at] = station;
        grid->addWidget(label, row, first);
        grid->addWidget(code, row, first + 1);
        grid->addWidget(buddyLabel(QStringLiteral("AE-Titel:"), station, worklistFields_), row,
                        first + 2);
        grid->addWidget(station, row, first + 3);
        if (i % 2 == 0) grid->setColumnMinimumWidth(first + 4, 12);
    }
    fields->addLayout(grid);

    QLineEdit* keepDays = text("worklistKeepDaysField", &AppSettings::worklistKeepDays);
    keepDays->setParent(worklistFields_);
    keepDays->setMaxLength(4);
    keepDays->setMaximumWidth(keepDays->fontMetrics().horizontalAdvance(QStringLiteral("MMMM")) +
                              16);
    auto* keepRow = new QHBoxLayout;
    keepRow->addWidget(
        buddyLabel(QStringLiteral("Einträge aufbewahren (Tage):"), keepDays, worklistFields_));
    keepRow->addWidget(keepDays);
    keepRow->addStretch(1);
    fields->addLayout(keepRow);
    return group;
}

void OptionsDialog::connectEdits() {
    for (int i = 0; i < kModalityCount; ++i) {
        const auto at = static_cast<std::size_t>(i);
        connect(modalityNameFields_[at], &QLineEdit::textChanged, this,
                [this, i](const QString& t) { model_.SetModalityName(i, t.toStdString()); });
        connect(withoutBodyPartsBoxes_[at], &QCheckBox::toggled, this,
                [this, i](bool on) { model_.SetWithoutBodyParts(i, on); });
        connect(modalityNameFields_[at], &QLineEdit::textChanged, this, [this] { showModel(); });
        connect(
            worklistCodeFields_[at], &QLineEdit::textChanged, this,
            [this, i](const QString& t) { model_.SetWorklistModalityCode(i, t.toStdString()); });
        connect(
            worklistStationFields_[at], &QLineEdit::textChanged, this,
            [this, i](const QString& t) { model_.SetWorklistStationAETitle(i, t.toStdString()); });
    }
    for (const TextEdit& t : texts_) {
        connect(t.edit, &QLineEdit::textChanged, this, [this, field = t.field](const QString& s) {
            model_.SetText(field, s.toStdString());
        });
    }
    for (const BoxEdit& b : boxes_) {
        // A rule may change other boxes and the drive letter boxes: show them all again.
        connect(b.box, &QCheckBox::toggled, this, [this, field = b.field](bool on) {
            model_.SetChecked(field, on);
            showModel();
        });
    }
}

void OptionsDialog::showModel() {
    const OptionsForm& form = model_.Form();
    auto showText = [](QLineEdit* edit, const std::string& value) {
        const QString shown = QString::fromStdString(value);
        if (edit->text() == shown) return;  // keeps the cursor where the operator types
        const QSignalBlocker quiet(edit);
        edit->setText(shown);
    };
    auto showBox = [](QCheckBox* box, bool checked) {
        const QSignalBlocker quiet(box);
        box->setChecked(checked);
    };
    for (std::size_t i = 0; i < modalityNameFields_.size(); ++i) {
        showText(modalityNameFields_[i], form.values.modalityNames[i]);
        showBox(withoutBodyPartsBoxes_[i], form.values.withoutBodyParts[i]);
        const QString caption = QString::fromStdString(form.values.modalityNames[i]);
        worklistButtonLabels_[i]->setText(
            (caption.isEmpty() ? QStringLiteral("Modalität %1").arg(i + 1) : caption) + ":");
        worklistCodeFields_[i]->setAccessibleName(caption + QStringLiteral(" DICOM-Modalität"));
        worklistStationFields_[i]->setAccessibleName(caption + QStringLiteral(" AE-Titel"));
        showText(worklistCodeFields_[i], form.values.worklistModalityCodes[i]);
        showText(worklistStationFields_[i], form.values.worklistStationAETitles[i]);
    }
    if (!worklistAvailable_) {
        QCheckBox* enabled = findChild<QCheckBox*>("worklistEnabledBox");
        enabled->setEnabled(form.values.worklistEnabled);
        enabled->setToolTip(
            QStringLiteral("Diese Version von Morvik kann keine Worklist-Einträge schreiben."));
    }
    // Off, the worklist takes one line of the dialog, so that it still fits a small screen.
    if (worklistFields_->isHidden() == form.values.worklistEnabled) {
        worklistFields_->setVisible(form.values.worklistEnabled);
        if (isVisible()) adjustSize();
    }
    for (const TextEdit& t : texts_) showText(t.edit, form.values.*t.field);
    for (const BoxEdit& b : boxes_) showBox(b.box, form.values.*b.field);
    sourceDriveField_->setEnabled(form.sourceDriveEnabled);
    targetDriveField_->setEnabled(form.targetDriveEnabled);
}

void OptionsDialog::keyPressEvent(QKeyEvent* event) {
    // Escape does not discard the edits; only "Abbrechen" and the close box do.
    if (event->key() == Qt::Key_Escape) {
        event->accept();
        return;
    }
    // Enter presses the focused button, as Space does; in a text field it does nothing.
    if (event->key() == Qt::Key_Return || event->key() == Qt::Key_Enter) {
        if (auto* button = qobject_cast<QPushButton*>(focusWidget())) {
            button->click();
            event->accept();
            return;
        }
    }
    QDialog::keyPressEvent(event);
}

}  // namespace morvik
