#include "ui/PatientArea.h"

#include <QHBoxLayout>
#include <QLabel>
#include <QVBoxLayout>

namespace morvik {

PatientArea::PatientArea(QWidget* parent)
    : QWidget(parent),
      lblID_(new QLabel("ID:")),
      lblName_(new QLabel("Name:")),
      lblGeburtsdatum_(new QLabel("geb.:")),
      lblHinweis_(new QLabel) {
    lblID_->setObjectName("lblID");
    lblName_->setObjectName("lblName");
    lblGeburtsdatum_->setObjectName("lblGeburtsdatum");
    lblHinweis_->setObjectName("lblHinweis");
    QFont large = lblID_->font();
    large.setPointSizeF(large.pointSizeF() * 1.3);
    lblHinweis_->setFont(large);
    large.setBold(true);
    for (QLabel* label : {lblID_, lblName_, lblGeburtsdatum_, lblHinweis_}) {
        if (label != lblHinweis_) label->setFont(large);
        label->setTextFormat(Qt::PlainText);  // a name is never markup
        label->setTextInteractionFlags(Qt::TextSelectableByMouse);
    }
    // A long name takes a second line rather than widening the window past a small screen.
    lblName_->setWordWrap(true);
    lblHinweis_->setWordWrap(true);
    lblHinweis_->hide();

    auto* row = new QHBoxLayout;
    row->addWidget(lblID_, 1);
    row->addWidget(lblName_, 2);
    row->addWidget(lblGeburtsdatum_, 1);
    auto* layout = new QVBoxLayout(this);
    layout->setContentsMargins(0, 0, 0, 0);
    layout->addLayout(row);
    layout->addWidget(lblHinweis_);
}

void PatientArea::Show(const PatientCaptions& patient, const std::string& notice) {
    lblID_->setText(QString::fromStdString(patient.id));
    lblName_->setText(QString::fromStdString(patient.name));
    lblGeburtsdatum_->setText(QString::fromStdString(patient.born));
    lblHinweis_->setText(QString::fromStdString(notice));
    lblHinweis_->setVisible(!notice.empty());
}

}  // namespace morvik
