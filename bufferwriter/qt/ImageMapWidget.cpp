#include "bufferwriter/qt/ImageMapWidget.h"

#include <QPainter>

#include "bufferwriter/AddressText.h"
#include "bufferwriter/BufList.h"

namespace kestrel {

namespace {

QColor colourOf(ImageMap::Cell cell) {
    switch (cell) {
    case ImageMap::Cell::Filler00: return QColor(0xD8, 0xE8, 0xD8);
    case ImageMap::Cell::FillerFF: return QColor(0xE8, 0xF4, 0xE8);
    case ImageMap::Cell::Data: return QColor(0x70, 0x70, 0x78);
    case ImageMap::Cell::Label: return QColor(0x20, 0x60, 0xD0);
    case ImageMap::Cell::Room: return QColor(0xF0, 0xA0, 0x20);
    }
    return Qt::black;
}

}  // namespace

ImageMapWidget::ImageMapWidget(BufList& model, QWidget* parent) : QWidget(parent), model_(model) {
    setMinimumHeight(30);
    setToolTip("Image map: green filler, grey data, blue labels placed, orange the room found");
}

void ImageMapWidget::paintEvent(QPaintEvent*) {
    QPainter painter(this);
    const QRect strip = rect().adjusted(0, 0, -1, -13);
    painter.fillRect(rect(), palette().window());
    const int count = std::max(1, strip.width() / 2);
    std::vector<ImageMap::Cell> cells;
    try {
        cells = model_.imageMap(static_cast<std::size_t>(count));
    } catch (const std::exception&) {
        cells.clear();
    }
    if (cells.empty()) {
        painter.drawText(strip, Qt::AlignCenter, "no destination image");
        return;
    }
    for (std::size_t i = 0; i < cells.size(); ++i) {
        const int x0 = strip.left() + static_cast<int>(i * static_cast<std::size_t>(strip.width()) / cells.size());
        const int x1 =
            strip.left() + static_cast<int>((i + 1) * static_cast<std::size_t>(strip.width()) / cells.size());
        painter.fillRect(QRect(x0, strip.top(), std::max(1, x1 - x0), strip.height()), colourOf(cells[i]));
    }
    painter.setPen(palette().windowText().color());
    painter.drawRect(strip);
    QFont small = font();
    small.setPointSizeF(small.pointSizeF() * 0.8);
    painter.setFont(small);
    const QRect scale(strip.left(), strip.bottom() + 1, strip.width(), 12);
    painter.drawText(scale, Qt::AlignLeft | Qt::AlignVCenter, "0");
    painter.drawText(scale, Qt::AlignRight | Qt::AlignVCenter,
                     QString::fromStdString(address::hex(model_.map().imageLength())));
}

}  // namespace kestrel
