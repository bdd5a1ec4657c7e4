#include "util/QtClock.h"

#include <QDateTime>
#include <QObject>
#include <QTimer>

namespace tessaprint {

namespace {

class QtTimer : public Timer {
public:
    QtTimer()
    {
        m_timer.setSingleShot(true);
        m_timer.setTimerType(Qt::PreciseTimer);
        QObject::connect(&m_timer, &QTimer::timeout, [this] {
            if (m_handler) {
                m_handler();
            }
        });
    }
    void SetHandler(Handler handler) override { m_handler = std::move(handler); }
    void Start(int milliseconds) override { m_timer.start(std::max(0, milliseconds)); }
    void Stop() override { m_timer.stop(); }
    bool IsActive() const override { return m_timer.isActive(); }

private:
    QTimer m_timer;
    Handler m_handler;
};

} // namespace

QtClock::QtClock()
{
    m_elapsed.start();
}

std::int64_t QtClock::NowMs() const
{
    return m_elapsed.elapsed();
}

std::unique_ptr<Timer> QtClock::CreateTimer()
{
    return std::make_unique<QtTimer>();
}

std::optional<std::tm> QtClock::LocalTime() const
{
    const QDateTime now = QDateTime::currentDateTime();
    if (!now.isValid()) {
        return std::nullopt;
    }
    std::tm time{};
    time.tm_year = now.date().year() - 1900;
    time.tm_mon = now.date().month() - 1;
    time.tm_mday = now.date().day();
    time.tm_hour = now.time().hour();
    time.tm_min = now.time().minute();
    time.tm_sec = now.time().second();
    time.tm_wday = now.date().dayOfWeek() % 7;
    time.tm_yday = now.date().dayOfYear() - 1;
    return time;
}

} // namespace tessaprint
