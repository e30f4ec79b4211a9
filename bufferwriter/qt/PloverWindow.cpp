#include "bufferwriter/qt/PloverWindow.h"

#include <QAction>
#include <QActionGroup>
#include <QApplication>
#include <QHBoxLayout>
#include <QLabel>
#include <QLineEdit>
#include <QListWidget>
#include <QMenuBar>
#include <QMouseEvent>
#include <QPlainTextEdit>
#include <QPushButton>
#include <QScrollBar>
#include <QStackedWidget>
#include <QStyle>
#include <QTabBar>
#include <QToolButton>
#include <QVBoxLayout>

#include "bufferwriter/BufList.h"
#include "bufferwriter/qt/ImageMapWidget.h"
#include "bufferwriter/qt/SearchDialog.h"
#include "services/FileHandle.h"
#include "text/KestrelError.h"

namespace kestrel {

namespace {

QString q(const std::string& text) { return QString::fromLocal8Bit(text.data(), static_cast<qsizetype>(text.size())); }

constexpr int16_t kFills[3] = {-1, 0, 255};

}  // namespace

PloverWindow::PloverWindow(BufList& model, QWidget* parent) : QMainWindow(parent), model_(model) {
    setWindowTitle("Plover");
    buildMenus();

    auto* central = new QWidget;
    auto* column = new QVBoxLayout(central);
    tabs_ = new QTabBar;
    tabs_->setObjectName("sTab");
    for (const char* caption : {"Offsetts", "Floating Pointers", "Info", "Log"}) tabs_->addTab(caption);
    column->addWidget(tabs_);

    views_ = new QStackedWidget;
    offsetts_ = new QListWidget;
    offsetts_->setObjectName("LstOffsett");
    offsetts_->setSelectionMode(QAbstractItemView::MultiSelection);
    offsetts_->viewport()->installEventFilter(this);
    floating_ = new QListWidget;
    floating_->setObjectName("LstPoint");
    info_ = new QPlainTextEdit;
    info_->setObjectName("Buffer16");
    info_->setReadOnly(true);
    log_ = new QPlainTextEdit;
    log_->setObjectName("Log");
    log_->setReadOnly(true);
    log_->setLineWrapMode(QPlainTextEdit::NoWrap);
    for (QWidget* view : {static_cast<QWidget*>(offsetts_), static_cast<QWidget*>(floating_),
                          static_cast<QWidget*>(info_), static_cast<QWidget*>(log_)})
        views_->addWidget(view);
    column->addWidget(views_, 1);

    map_ = new ImageMapWidget(model_);
    map_->setObjectName("ImageMap");
    column->addWidget(map_);

    auto* row = new QHBoxLayout;
    up_ = new QPushButton("Up");
    up_->setObjectName("cmdOffSort0");
    down_ = new QPushButton("Dn");
    down_->setObjectName("cmdOffSort1");
    insert_ = new QToolButton;
    insert_->setObjectName("Insert");
    insert_->setToolTip("Assign");
    insert_->setIcon(style()->standardIcon(QStyle::SP_ArrowRight));
    destination_ = new QLineEdit;
    destination_->setObjectName("Export");
    destination_->setPlaceholderText("destination image");
    row->addWidget(up_);
    row->addWidget(down_);
    row->addWidget(insert_);
    row->addWidget(destination_, 1);
    column->addLayout(row);
    setCentralWidget(central);
    resize(560, 440);

    connect(tabs_, &QTabBar::currentChanged, this, [this](int index) {
        if (!drawing_) guarded([&] { model_.setView(static_cast<BufList::View>(index)); });
    });
    connect(offsetts_, &QListWidget::itemSelectionChanged, this, [this] {
        if (!drawing_) takeSelection();
    });
    connect(offsetts_, &QListWidget::currentRowChanged, this, [this](int current) {
        if (!drawing_) guarded([&] { model_.setCurrent(current); });
    });
    connect(floating_, &QListWidget::currentRowChanged, this, [this](int current) {
        if (!drawing_) guarded([&] { model_.setCurrent(current); });
    });
    connect(up_, &QPushButton::clicked, this, [this] { guarded([&] { model_.move(-1); }); });
    connect(down_, &QPushButton::clicked, this, [this] { guarded([&] { model_.move(+1); }); });
    connect(insert_, &QToolButton::clicked, this, [this] { assign(); });
    connect(destination_, &QLineEdit::editingFinished, this, [this] {
        if (!drawing_) guarded([&] { model_.setDestination(destination_->text().toStdString()); });
    });

    model_.changed = [this] { refresh(); };
    model_.logged = [this] { refreshLog(); };
    refresh();
    refreshLog();
}

PloverWindow::~PloverWindow() {
    model_.changed = nullptr;
    model_.logged = nullptr;
}

void PloverWindow::buildMenus() {
    QMenu* file = menuBar()->addMenu("&File");
    QAction* import = file->addAction("&Import");
    import->setObjectName("import");
    QAction* destination = file->addAction("&Destination");
    destination->setObjectName("mnuDestination");
    QAction* burn = file->addAction("&Burn");
    burn->setObjectName("mnuBurn");
    QAction* exit = file->addAction("E&xit");
    exit->setObjectName("mnuExit");
    connect(import, &QAction::triggered, this, [this] { guarded([&] { model_.import(); }); });
    connect(destination, &QAction::triggered, this, [this] { guarded([&] { model_.chooseDestination(); }); });
    connect(burn, &QAction::triggered, this, [this] { guarded([&] { model_.burn(); }); });
    connect(exit, &QAction::triggered, this, &QWidget::close);

    QMenu* options = menuBar()->addMenu("&Options");
    autobank_ = options->addAction("&Autobank");
    autobank_->setObjectName("mnuBank");
    autobank_->setCheckable(true);
    connect(autobank_, &QAction::triggered, this, [this](bool on) { guarded([&] { model_.setAutobank(on); }); });
    options->addSeparator()->setObjectName("BLANK");
    auto* group = new QActionGroup(this);
    const char* captions[3] = {"No Fill", "Fill 00", "Fill FF"};
    for (int i = 0; i < 3; ++i) {
        fills_[i] = options->addAction(captions[i]);
        fills_[i]->setObjectName(QString("fillme%1").arg(i));
        fills_[i]->setCheckable(true);
        group->addAction(fills_[i]);
        connect(fills_[i], &QAction::triggered, this, [this, i] { guarded([&] { model_.setFill(kFills[i]); }); });
    }
}

void PloverWindow::guarded(const std::function<void()>& call) {
    try {
        call();
    } catch (const ProgramExit& exit) {
        exitStatus_ = exit.status;
        QApplication::exit(exit.status);
    } catch (const std::exception& error) {
        model_.add(std::string("Error: ") + error.what());
    }
}

void PloverWindow::received(const InstanceChannel::Message& message) {
    const std::string names = BufList::resolvedIn(message.text, message.directory);
    FileHandle& files = model_.fileService();
    if (message.kind == InstanceChannel::Message::Kind::execute) {
        files.echo("Execute: " + names);
        guarded([&] { model_.execute(names); });
    } else {
        if (isMinimized()) showNormal();
        raise();
        activateWindow();
        // A start without files only brings the window to the front.
        if (message.text.empty()) return;
        files.echo("Forwarded: " + names);
        guarded([&] { model_.forwarded(names); });
    }
    // What other starts asked for is on disk while the window stays open.
    files.syncLog();
}

void PloverWindow::takeSelection() {
    guarded([&] {
        for (int i = 0; i < offsetts_->count(); ++i) model_.setSelected(i, offsetts_->item(i)->isSelected());
    });
}

bool PloverWindow::eventFilter(QObject* watched, QEvent* event) {
    if (watched == offsetts_->viewport() && event->type() == QEvent::MouseButtonRelease) {
        auto* mouse = static_cast<QMouseEvent*>(event);
        if (mouse->modifiers() & Qt::ControlModifier) {
            takeSelection();
            guarded([&] { model_.rangeSelect(); });
        }
    }
    return QMainWindow::eventFilter(watched, event);
}

void PloverWindow::assign() {
    guarded([&] {
        takeSelection();
        if (!model_.insert()) return;
        SearchDialog dialog(
            model_.search(), [this](const std::function<void()>& call) { guarded(call); }, this);
        dialog.exec();
        refresh();
    });
}

void PloverWindow::refresh() {
    drawing_ = true;
    tabs_->setCurrentIndex(static_cast<int>(model_.view()));
    views_->setCurrentIndex(static_cast<int>(model_.view()));

    const auto& entries = model_.offsetts();
    if (offsetts_->count() != static_cast<int>(entries.size())) {
        offsetts_->clear();
        for (std::size_t i = 0; i < entries.size(); ++i) offsetts_->addItem(QString());
    }
    for (std::size_t i = 0; i < entries.size(); ++i) {
        QListWidgetItem* item = offsetts_->item(static_cast<int>(i));
        item->setText(q(entries[i].text()));
        item->setData(Qt::UserRole, entries[i].data());
        item->setSelected(entries[i].selected);
    }
    if (model_.currentOffsett() >= 0) offsetts_->setCurrentRow(model_.currentOffsett(), QItemSelectionModel::NoUpdate);

    floating_->clear();
    for (const auto& name : model_.floating()) floating_->addItem(q(name));
    if (model_.currentFloating() >= 0) floating_->setCurrentRow(model_.currentFloating());

    info_->setPlainText(q(model_.info()));
    if (!destination_->hasFocus()) destination_->setText(q(model_.destination()));
    autobank_->setChecked(model_.autobank());
    for (int i = 0; i < 3; ++i) fills_[i]->setChecked(model_.fill() == kFills[i]);
    map_->update();
    drawing_ = false;
}

void PloverWindow::refreshLog() {
    log_->setPlainText(q(model_.log()));
    log_->verticalScrollBar()->setValue(log_->verticalScrollBar()->maximum());
}

}  // namespace kestrel
