#pragma once

#include <QRect>

#include <vector>

class QMdiArea;
class QMdiSubWindow;

// Where windows go so that a person can see and reach them: inside the
// workspace (or the screen), and in a cascade that leaves every title bar in
// view.
namespace WindowFit {

// window moved (and, when larger, shrunk) so that it lies inside area.
QRect FittedInto(QRect window, const QRect& area);

// How far each window of a cascade sits below and right of the one before:
// the height of a sub-window's title bar with its frame.
int CascadeStep(const QMdiSubWindow& window);

// The place of the index-th window of a cascade in area, size as given
// (made smaller where the area is); the cascade starts again at the top left
// corner where a window would reach past the area.
QRect CascadeSlot(int index, QSize size, int step, const QRect& area);

// The first cascade slot whose corner no window in taken holds: a new
// window steps down the cascade instead of covering one already there.
QRect FreeCascadeSlot(const std::vector<QRect>& taken, QSize size, int step, const QRect& area);

// Rows and columns for count tiles in area, each at least minHeight pixels
// high while the area allows: as few columns as that needs.
QSize TileGrid(int count, const QSize& area, int minHeight);

// Cascades the windows in the given order, the last one in front.
void Cascade(QMdiArea& area, const std::vector<QMdiSubWindow*>& windows);

} // namespace WindowFit
