#include "util/BusyInputGuard.h"

#include <QApplication>
#include <QEvent>

namespace tessaprint {

namespace {

bool IsUserInput(QEvent::Type type)
{
    switch (type) {
    case QEvent::MouseButtonPress:
    case QEvent::MouseButtonRelease:
    case QEvent::MouseButtonDblClick:
    case QEvent::KeyPress:
    case QEvent::KeyRelease:
    case QEvent::ShortcutOverride:
    case QEvent::Shortcut:
    case QEvent::Wheel:
    case QEvent::TouchBegin:
    case QEvent::TouchUpdate:
    case QEvent::TouchEnd:
    case QEvent::ContextMenu:
        return true;
    default:
        return false;
    }
}

} // namespace

BusyInputGuard::BusyInputGuard()
{
    QApplication::setOverrideCursor(Qt::WaitCursor);
    QCoreApplication::instance()->installEventFilter(this);
}

BusyInputGuard::~BusyInputGuard()
{
    // What the window system queued while the program waited arrives now and is dropped.
    QCoreApplication::processEvents(QEventLoop::AllEvents);
    QCoreApplication::instance()->removeEventFilter(this);
    QApplication::restoreOverrideCursor();
}

bool BusyInputGuard::eventFilter(QObject* watched, QEvent* event)
{
    if (IsUserInput(event->type())) {
        return true;
    }
    return QObject::eventFilter(watched, event);
}

} // namespace tessaprint
