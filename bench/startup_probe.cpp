// Start-up probe: prints the wall-clock time (ns) at which the chosen window
// first painted, then ends at once. bench/startup.sh starts it and compares.
//   --bare    a plain Qt window (the yardstick)
//   --ticker  the Quoterra ticker, started exactly as the program starts
//   --quote   the ticker, until its first quote is painted
//   --stay    with --bare or --ticker: keep running (for memory figures)
#include "app/startup.h"
#include "platform/forms.h"
#include "ticker/ticker.h"

#include <QApplication>
#include <QWidget>

#include <chrono>
#include <cstdio>
#include <cstring>
#include <unistd.h>

namespace {

void report()
{
    const auto now = std::chrono::system_clock::now().time_since_epoch();
    std::printf("%lld\n", static_cast<long long>(std::chrono::duration_cast<std::chrono::nanoseconds>(now).count()));
    std::fflush(stdout);
}

class FirstPaint : public QObject {
public:
    FirstPaint(bool quote, bool stay)
        : quote_(quote)
        , stay_(stay)
    {
    }
    bool eventFilter(QObject* watched, QEvent* event) override
    {
        if (done_ || event->type() != QEvent::Paint)
            return false;
        bool hit = false;
        if (quote_) {
            auto* label = qobject_cast<quoterra::Label*>(watched);
            bool number = false;
            if (label && label->Name() == QLatin1String("qLastPrice"))
                label->Caption().toDouble(&number);
            hit = number;
        } else {
            hit = qobject_cast<QWidget*>(watched) && static_cast<QWidget*>(watched)->isWindow();
        }
        if (hit) {
            done_ = true;
            report();
            if (!stay_)
                ::_exit(0);
        }
        return false;
    }

private:
    bool quote_;
    bool stay_;
    bool done_ = false;
};

} // namespace

int main(int argc, char** argv)
{
    const bool bare = argc > 1 && std::strcmp(argv[1], "--bare") == 0;
    const bool quote = argc > 1 && std::strcmp(argv[1], "--quote") == 0;
    const bool stay = argc > 2 && std::strcmp(argv[2], "--stay") == 0;
    qputenv("QT_ENABLE_HIGHDPI_SCALING", "0");
    QApplication app(argc, argv);
    FirstPaint watcher(quote, stay);
    app.installEventFilter(&watcher);
    if (bare) {
        QWidget window;
        window.resize(210, 116);
        window.show();
        return QApplication::exec();
    }
    quoterra::registerForms();
    quoterra::Forms::setQuitWhenLastUnloaded(true);
    if (!quoterra::StartUp())
        return 1;
    return QApplication::exec();
}
