// Linked into a start-up probe: when the application object is built, watches for the first paint of
// any widget, and once that repaint has been flushed to the window (the same pass, so on the next turn
// of the event loop) prints the time since launch and quits. The launch time comes from the bench
// runner in STARTUP_LAUNCH_NS (CLOCK_MONOTONIC nanoseconds, taken just before it starts the process).
//
// It changes nothing in the program it is linked with: app/main.cpp is compiled unchanged beside it.

#include <QCoreApplication>
#include <QEvent>
#include <QTimer>

#include <cstdio>
#include <ctime>

namespace {

long long monotonicNanoseconds() {
    timespec now{};
    clock_gettime(CLOCK_MONOTONIC, &now);
    return static_cast<long long>(now.tv_sec) * 1'000'000'000LL + now.tv_nsec;
}

class FirstPaintWatch : public QObject {
public:
    using QObject::QObject;

protected:
    bool eventFilter(QObject *watched, QEvent *event) override {
        if (!seen_ && event->type() == QEvent::Paint) {
            seen_ = true;
            QTimer::singleShot(0, this, [] {
                const long long launched = qgetenv("STARTUP_LAUNCH_NS").toLongLong();
                if (launched > 0) {
                    std::printf("first-paint-ns %lld\n", monotonicNanoseconds() - launched);
                    std::fflush(stdout);
                }
                QCoreApplication::quit();
            });
        }
        return QObject::eventFilter(watched, event);
    }

private:
    bool seen_ = false;
};

void watchFirstPaint() {
    QCoreApplication::instance()->installEventFilter(new FirstPaintWatch(QCoreApplication::instance()));
}

} // namespace

Q_COREAPP_STARTUP_FUNCTION(watchFirstPaint)
