// Start-up probe: prints the wall-clock time (ns) at which the chosen window
// first painted, then ends at once. bench/startup.sh starts it and compares.
//   --bare    a plain Qt window
//   --label   a frameless Qt window with one text label: the fair floor for
//             a program that shows text (fontconfig loaded)
//   --ticker  the Quoterra ticker, started exactly as the program starts
//   --quote   the ticker, until its first quote is painted
//   --stay    with any of them: keep running (for memory figures)
#include "app/context/application.h"
#include "app/program.h"
#include "core/paths.h"
#include "ui/controls.h"
#include "ui/system_screen.h"

#include <QApplication>
#include <QLabel>

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
            if (label && label->objectName() == QLatin1String("qLastPrice"))
                label->caption().toDouble(&hit);
        } else {
            auto* w = qobject_cast<QWidget*>(watched);
            hit = w && w->isWindow();
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
    const auto is = [&](const char* what) { return argc > 1 && std::strcmp(argv[1], what) == 0; };
    const bool stay = argc > 2 && std::strcmp(argv[2], "--stay") == 0;
    qputenv("QT_ENABLE_HIGHDPI_SCALING", "0");
    QApplication app(argc, argv);
    FirstPaint watcher(is("--quote"), stay);
    app.installEventFilter(&watcher);
    if (is("--bare") || is("--label")) {
        QWidget window(nullptr, is("--label") ? Qt::FramelessWindowHint : Qt::WindowFlags());
        window.resize(210, 116);
        if (is("--label"))
            new QLabel(QStringLiteral("IBM 112.45 +1.25"), &window);
        window.show();
        return QApplication::exec();
    }
    using namespace quoterra;
    SystemScreen screen;
    Application application(screen, registryFilePath(), applicationDirectory().path, hostsFromEnvironment());
    Program program(application);
    application.forms().setQuitWhenNoneLoaded(true);
    if (!program.StartUp())
        return 1;
    return QApplication::exec();
}
