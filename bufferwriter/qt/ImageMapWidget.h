#pragma once
// The strip under the lists that draws the destination image as a map.
#include <QWidget>

namespace kestrel {

class BufList;

class ImageMapWidget : public QWidget {
public:
    explicit ImageMapWidget(BufList& model, QWidget* parent = nullptr);
    QSize sizeHint() const override { return {480, 34}; }

protected:
    void paintEvent(QPaintEvent* event) override;

private:
    BufList& model_;
};

}  // namespace kestrel
