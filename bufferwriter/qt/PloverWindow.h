#pragma once
// plover's main window ("Plover"): menus, the four tabs, Up/Dn, Assign, the
// destination box and the image map. It draws the BufList model and passes
// every event to it; no exception leaves an event handler.
#include <QMainWindow>

#include <functional>
#include <optional>

#include "platform/InstanceChannel.h"

class QAction;
class QLineEdit;
class QListWidget;
class QPlainTextEdit;
class QPushButton;
class QStackedWidget;
class QTabBar;
class QToolButton;

namespace kestrel {

class BufList;
class ImageMapWidget;

class PloverWindow : public QMainWindow {
public:
    explicit PloverWindow(BufList& model, QWidget* parent = nullptr);
    ~PloverWindow() override;

    // Runs a model call; a critical error ends the event loop with its
    // status, any other error is logged.
    void guarded(const std::function<void()>& call);
    // The status a critical error asked for, once one happened.
    std::optional<int> exitStatus() const { return exitStatus_; }

    // Draws the model again (lists, texts, options, map).
    void refresh();

    // What another start of plover sent: its files replace the queue and the
    // window comes to the front; an execute request joins the queue.
    void received(const InstanceChannel::Message& message);

protected:
    bool eventFilter(QObject* watched, QEvent* event) override;

private:
    void buildMenus();
    void refreshLog();
    void takeSelection();  // list selection -> model
    void assign();

    BufList& model_;
    QTabBar* tabs_;
    QStackedWidget* views_;
    QListWidget* offsetts_;
    QListWidget* floating_;
    QPlainTextEdit* info_;
    QPlainTextEdit* log_;
    QPushButton* up_;
    QPushButton* down_;
    QToolButton* insert_;
    QLineEdit* destination_;
    ImageMapWidget* map_;
    QAction* autobank_;
    QAction* fills_[3];
    bool drawing_ = false;  // refresh() is setting widgets: their signals are not events
    std::optional<int> exitStatus_;
};

}  // namespace kestrel
