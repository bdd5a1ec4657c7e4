#pragma once

#include <QObject>

namespace tessaprint {

// While it lives: a busy cursor, and clicks and keys go nowhere. The program
// waits on the user interface thread for a text editor to close; without
// this, every click made meanwhile would run one after the other once the
// wait is over. When it goes, the input that queued up during the wait is
// taken in and dropped before the filter comes off.
class BusyInputGuard : public QObject {
public:
    BusyInputGuard();
    ~BusyInputGuard() override;
    BusyInputGuard(const BusyInputGuard&) = delete;
    BusyInputGuard& operator=(const BusyInputGuard&) = delete;

protected:
    bool eventFilter(QObject* watched, QEvent* event) override;
};

} // namespace tessaprint
