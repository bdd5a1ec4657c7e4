#include "util/QtClock.h"

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

} // namespace tessaprint
