#pragma once

// Prints the wall-clock time (ns) of the first paint that `hit` accepts and
// the processor time (µs) spent until then, then ends the process at once
// unless asked to stay (for memory figures).
#include <QCoreApplication>
#include <QEvent>
#include <QObject>

#include <chrono>
#include <cstdio>
#include <functional>
#include <sys/resource.h>
#include <unistd.h>

class FirstPaint : public QObject {
public:
    FirstPaint(std::function<bool(QObject*)> hit, bool stay)
        : hit_(std::move(hit))
        , stay_(stay)
    {
        QCoreApplication::instance()->installEventFilter(this);
    }
    bool eventFilter(QObject* watched, QEvent* event) override
    {
        if (done_ || event->type() != QEvent::Paint || !hit_(watched))
            return false;
        done_ = true;
        const auto now = std::chrono::system_clock::now().time_since_epoch();
        rusage used{};
        ::getrusage(RUSAGE_SELF, &used);
        const long long cpu =
            (used.ru_utime.tv_sec + used.ru_stime.tv_sec) * 1000000LL + used.ru_utime.tv_usec + used.ru_stime.tv_usec;
        std::printf("%lld %lld\n",
                    static_cast<long long>(std::chrono::duration_cast<std::chrono::nanoseconds>(now).count()), cpu);
        std::fflush(stdout);
        if (!stay_)
            ::_exit(0);
        return false;
    }

private:
    std::function<bool(QObject*)> hit_;
    bool stay_;
    bool done_ = false;
};
