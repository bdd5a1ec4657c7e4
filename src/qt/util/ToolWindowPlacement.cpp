#include "util/ToolWindowPlacement.h"

#include <QScreen>
#include <QWidget>

#include <algorithm>
#include <array>

namespace tessaprint {

namespace {

constexpr int kGap = 8;

int OverlapArea(const QRect& a, const QRect& b)
{
    const QRect both = a.intersected(b);
    return both.isEmpty() ? 0 : both.width() * both.height();
}

// The top edge beside the main window, moved up if the window would go
// below the screen.
int TopBeside(const QRect& screen, const QRect& mainFrame, const QSize& toolFrame)
{
    return std::max(screen.top(), std::min(mainFrame.top(), screen.bottom() + 1 - toolFrame.height()));
}

} // namespace

QPoint ToolWindowPosition(const QRect& screen, const QRect& mainFrame, const QSize& toolFrame, const QRect& keepClear)
{
    const int top = TopBeside(screen, mainFrame, toolFrame);
    const int right = mainFrame.right() + 1 + kGap;
    if (right + toolFrame.width() - 1 <= screen.right()) {
        return {right, top};
    }
    const int left = mainFrame.left() - kGap - toolFrame.width();
    if (left >= screen.left()) {
        return {left, top};
    }
    // No room beside it: the corners of the screen, the one that covers the
    // least of what must stay in view.
    const int x1 = screen.left();
    const int x2 = std::max(screen.left(), screen.right() + 1 - toolFrame.width());
    const int y1 = screen.top();
    const int y2 = std::max(screen.top(), screen.bottom() + 1 - toolFrame.height());
    const std::array<QPoint, 4> corners = {QPoint(x2, y1), QPoint(x2, y2), QPoint(x1, y2), QPoint(x1, y1)};
    QPoint best = corners[0];
    int bestOverlap = -1;
    for (const QPoint& corner : corners) {
        const int overlap = OverlapArea(QRect(corner, toolFrame), keepClear);
        if (bestOverlap < 0 || overlap < bestOverlap) {
            best = corner;
            bestOverlap = overlap;
        }
    }
    return best;
}

void PlaceBeside(QWidget* tool, const QWidget* mainWindow, const QRect& keepClear)
{
    const QScreen* screen = mainWindow->screen();
    if (!screen) {
        return;
    }
    const QRect area = screen->availableGeometry();
    const QSize frame = tool->isVisible() ? tool->frameGeometry().size() - tool->size() : kToolFrameAllowance;
    if (tool->minimumSize() != tool->maximumSize()) {
        // A window larger than the screen is made as large as the screen
        // allows, frame included, but not smaller than its layout needs.
        const QSize set = tool->minimumSize();
        const QSize needed = tool->minimumSizeHint();
        const QSize minimum(set.width() > 0 ? set.width() : needed.width(),
                            set.height() > 0 ? set.height() : needed.height());
        const QSize fitted = tool->size().boundedTo(area.size() - frame).expandedTo(minimum);
        if (fitted != tool->size()) {
            tool->resize(fitted);
        }
    }
    tool->move(ToolWindowPosition(area, mainWindow->frameGeometry(), tool->size() + frame, keepClear));
}

} // namespace tessaprint
