#include "bufferwriter/qt/SearchDialog.h"

#include <QCheckBox>
#include <QGridLayout>
#include <QGroupBox>
#include <QHBoxLayout>
#include <QLabel>
#include <QLineEdit>
#include <QListWidget>
#include <QPushButton>
#include <QRadioButton>
#include <QStyle>
#include <QToolButton>

#include "bufferwriter/Search.h"

namespace kestrel {

SearchDialog::SearchDialog(Search& search, std::function<void(const std::function<void()>&)> guard, QWidget* parent)
    : QDialog(parent), search_(search), guard_(std::move(guard)) {
    setWindowTitle("Search...");
    setModal(true);
    auto* grid = new QGridLayout(this);

    grid->addWidget(new QLabel("Looking For:"), 0, 0);
    bytes_ = new QLineEdit;
    bytes_->setObjectName("txtBytes");
    grid->addWidget(bytes_, 0, 1);
    grid->addWidget(new QLabel("Bytes"), 0, 2);

    auto* patternBox = new QGroupBox("Pattern:");
    auto* patternRow = new QHBoxLayout(patternBox);
    pattern00_ = new QRadioButton("00");
    pattern00_->setObjectName("Pattern0");
    patternFF_ = new QRadioButton("FF");
    patternFF_->setObjectName("Pattern1");
    patternRow->addWidget(pattern00_);
    patternRow->addWidget(patternFF_);
    grid->addWidget(patternBox, 1, 0, 1, 3);

    grid->addWidget(new QLabel("Starting at:"), 2, 0);
    start_ = new QLineEdit;
    start_->setObjectName("TxtStart");
    grid->addWidget(start_, 2, 1);
    safety_ = new QCheckBox("Check1");
    safety_->setObjectName("Safety");
    grid->addWidget(safety_, 2, 2);

    look_ = new QToolButton;
    look_->setObjectName("cmdLook");
    look_->setToolTip("Look");
    look_->setIcon(style()->standardIcon(QStyle::SP_FileDialogContentsView));
    grid->addWidget(look_, 3, 0);
    locations_ = new QListWidget;
    locations_->setObjectName("LstLocations");
    grid->addWidget(locations_, 3, 1, 1, 2);

    offsett_ = new QLineEdit;
    offsett_->setObjectName("txtOffsett");
    grid->addWidget(offsett_, 4, 1);
    reserve_ = new QCheckBox("Reserve");
    reserve_->setObjectName("Reserve");
    grid->addWidget(reserve_, 4, 2);
    set_ = new QPushButton;
    set_->setObjectName("CmdSet");
    grid->addWidget(set_, 5, 1, 1, 2);

    connect(safety_, &QCheckBox::toggled, this, [this](bool on) {
        search_.Safety = on;
        safety_->setToolTip(QString::fromStdString(search_.safetyTooltip()));
    });
    connect(reserve_, &QCheckBox::toggled, this, [this](bool on) {
        search_.Reserve = on;
        set_->setText(QString::fromStdString(search_.commandCaption()));
    });
    connect(look_, &QToolButton::clicked, this, [this] {
        guard_([this] {
            pull();
            search_.Look();
            push();
        });
    });
    connect(locations_, &QListWidget::itemClicked, this, [this](QListWidgetItem* item) {
        search_.choose(locations_->row(item));
        offsett_->setText(QString::fromStdString(search_.txtOffsett));
    });
    connect(set_, &QPushButton::clicked, this, [this] {
        bool done = false;
        guard_([&] {
            pull();
            done = search_.Assign();
        });
        if (done) accept();
    });
    push();
}

void SearchDialog::pull() {
    search_.txtBytes = bytes_->text().toStdString();
    search_.pattern = pattern00_->isChecked() ? 0 : 1;
    search_.TxtStart = start_->text().toStdString();
    search_.Safety = safety_->isChecked();
    search_.txtOffsett = offsett_->text().toStdString();
    search_.Reserve = reserve_->isChecked();
}

void SearchDialog::push() {
    bytes_->setText(QString::fromStdString(search_.txtBytes));
    (search_.pattern == 0 ? pattern00_ : patternFF_)->setChecked(true);
    start_->setText(QString::fromStdString(search_.TxtStart));
    safety_->setChecked(search_.Safety);
    safety_->setToolTip(QString::fromStdString(search_.safetyTooltip()));
    locations_->clear();
    for (const auto& location : search_.LstLocations) locations_->addItem(QString::fromStdString(location));
    offsett_->setText(QString::fromStdString(search_.txtOffsett));
    reserve_->setChecked(search_.Reserve);
    set_->setText(QString::fromStdString(search_.commandCaption()));
}

}  // namespace kestrel
