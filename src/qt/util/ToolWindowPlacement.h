#pragma once

#include <QRect>

class QWidget;

namespace tessaprint {

// A window that is not shown yet has no frame: room kept for a title bar and
// borders.
inline constexpr QSize kToolFrameAllowance(16, 40);

// Where a tool window (the work order, the Directories options) opens: beside
// the main window where the screen has room, right first, then left;
// otherwise somewhere on the screen that leaves keepClear (RESULT and the
// received lines) in view, or the place that covers least of it.
QPoint ToolWindowPosition(const QRect& screen, const QRect& mainFrame, const QSize& toolFrame, const QRect& keepClear);

// Moves tool there, for the screen the main window is on; a resizable tool
// window larger than that screen is first shrunk to fit on it. keepClear is
// in global coordinates.
void PlaceBeside(QWidget* tool, const QWidget* mainWindow, const QRect& keepClear);

} // namespace tessaprint
