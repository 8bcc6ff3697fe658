#include "ui/WindowFit.h"

#include <QMdiArea>
#include <QMdiSubWindow>
#include <QStyle>

#include <algorithm>

namespace WindowFit {

QRect FittedInto(QRect window, const QRect& area) {
    window.setSize(window.size().boundedTo(area.size()));
    window.moveLeft(std::clamp(window.left(), area.left(), area.right() + 1 - window.width()));
    window.moveTop(std::clamp(window.top(), area.top(), area.bottom() + 1 - window.height()));
    return window;
}

int CascadeStep(const QMdiSubWindow& window) {
    const QStyle* style = window.style();
    return style->pixelMetric(QStyle::PM_TitleBarHeight, nullptr, &window) +
           style->pixelMetric(QStyle::PM_MdiSubWindowFrameWidth, nullptr, &window);
}

QRect CascadeSlot(int index, QSize size, int step, const QRect& area) {
    size = size.boundedTo(area.size());
    const int room = std::min(area.width() - size.width(), area.height() - size.height());
    const int places = std::max(1, room / std::max(step, 1) + 1);
    const int offset = (index % places) * step;
    return {area.topLeft() + QPoint(offset, offset), size};
}

QRect FreeCascadeSlot(const std::vector<QRect>& taken, QSize size, int step, const QRect& area) {
    QRect first = CascadeSlot(0, size, step, area);
    for (int index = 0;; ++index) {
        const QRect slot = CascadeSlot(index, size, step, area);
        if (index > 0 && slot.topLeft() == first.topLeft()) {
            return first; // every place of the cascade is taken
        }
        if (std::none_of(taken.begin(), taken.end(),
                         [&slot](const QRect& r) { return r.topLeft() == slot.topLeft(); })) {
            return slot;
        }
    }
}

QSize TileGrid(int count, const QSize& area, int minHeight) {
    if (count <= 0) {
        return {0, 0};
    }
    const int fitting = std::max(1, area.height() / std::max(minHeight, 1));
    const int columns = (count + fitting - 1) / fitting;
    const int rows = (count + columns - 1) / columns;
    return {columns, rows};
}

void Cascade(QMdiArea& area, const std::vector<QMdiSubWindow*>& windows) {
    if (windows.empty()) {
        return;
    }
    const QRect space = area.viewport()->rect();
    const int step = CascadeStep(*windows.front());
    const int count = static_cast<int>(windows.size());
    // As large as the area allows with every title bar in view, and no
    // smaller than a usable window.
    const QSize size(std::max(space.width() - (count - 1) * step, space.width() * 3 / 5),
                     std::max(space.height() - (count - 1) * step, space.height() * 2 / 5));
    for (int i = 0; i < count; ++i) {
        QMdiSubWindow* window = windows[static_cast<std::size_t>(i)];
        if (window->isMaximized() || window->isMinimized()) {
            window->showNormal();
        }
        window->setGeometry(CascadeSlot(i, size, step, space));
        window->raise();
    }
}

} // namespace WindowFit
