#pragma once
// The modal search window ("Search..."): draws the Search model and passes
// Look, the choice of a location and Assign / Reserve to it.
#include <QDialog>

#include <functional>

class QCheckBox;
class QLineEdit;
class QListWidget;
class QPushButton;
class QRadioButton;
class QToolButton;

namespace kestrel {

class Search;

class SearchDialog : public QDialog {
public:
    // `guard` runs model calls so that no exception leaves an event.
    SearchDialog(Search& search, std::function<void(const std::function<void()>&)> guard, QWidget* parent = nullptr);

private:
    void pull();  // boxes -> model
    void push();  // model -> boxes

    Search& search_;
    std::function<void(const std::function<void()>&)> guard_;
    QLineEdit* bytes_;
    QRadioButton* pattern00_;
    QRadioButton* patternFF_;
    QLineEdit* start_;
    QCheckBox* safety_;
    QToolButton* look_;
    QListWidget* locations_;
    QLineEdit* offsett_;
    QCheckBox* reserve_;
    QPushButton* set_;
};

}  // namespace kestrel
