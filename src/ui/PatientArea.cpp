#include "ui/PatientArea.h"

#include <QHBoxLayout>
#include <QLabel>
#include <QVBoxLayout>

namespace morvik {

PatientArea::PatientArea(QWidget* parent)
    : QWidget(parent),
      idLabel_(new QLabel("ID:")),
      nameLabel_(new QLabel("Name:")),
      birthDateLabel_(new QLabel("geb.:")),
      noticeLabel_(new QLabel) {
    idLabel_->setObjectName("lblID");
    nameLabel_->setObjectName("lblName");
    birthDateLabel_->setObjectName("lblGeburtsdatum");
    noticeLabel_->setObjectName("lblHinweis");
    QFont large = idLabel_->font();
    large.setPointSizeF(large.pointSizeF() * 1.3);
    noticeLabel_->setFont(large);
    large.setBold(true);
    for (QLabel* label : {idLabel_, nameLabel_, birthDateLabel_, noticeLabel_}) {
        if (label != noticeLabel_) label->setFont(large);
        label->setTextFormat(Qt::PlainText);  // a name is never markup
        label->setTextInteractionFlags(Qt::TextSelectableByMouse);
    }
    // A long name takes a second line rather than widening the window past a small screen.
    nameLabel_->setWordWrap(true);
    noticeLabel_->setWordWrap(true);
    noticeLabel_->hide();

    auto* row = new QHBoxLayout;
    row->addWidget(idLabel_, 1);
    row->addWidget(nameLabel_, 2);
    row->addWidget(birthDateLabel_, 1);
    auto* layout = new QVBoxLayout(this);
    layout->setContentsMargins(0, 0, 0, 0);
    layout->addLayout(row);
    layout->addWidget(noticeLabel_);
}

void PatientArea::Show(const PatientCaptions& patient, const std::string& notice) {
    idLabel_->setText(QString::fromStdString(patient.id));
    nameLabel_->setText(QString::fromStdString(patient.name));
    birthDateLabel_->setText(QString::fromStdString(patient.born));
    noticeLabel_->setText(QString::fromStdString(notice));
    noticeLabel_->setVisible(!notice.empty());
}

}  // namespace morvik
