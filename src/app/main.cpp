#include "startup.h"

#include "platform/forms.h"
#include "platform/registry.h"
#include "ticker/ticker.h"

#include <QApplication>
#include <QIcon>
#include <QSocketNotifier>

#include <csignal>
#include <sys/socket.h>
#include <unistd.h>

namespace {

int g_signalPipe[2] = {-1, -1};

void onSignal(int)
{
    const char byte = 1;
    [[maybe_unused]] const ssize_t n = ::write(g_signalPipe[1], &byte, 1);
}

// Saves what the ticker's exit saves, then ends: a signal or the end of the
// desktop session must not lose the user's place and settings.
void exitLikeTheTicker()
{
    using namespace quoterra;
    if (auto* ticker = Forms::find<Ticker>())
        ticker->ExitProgram();
    else
        Forms::endApplication();
}

void installSignalHandlers(QObject* owner)
{
    if (::socketpair(AF_UNIX, SOCK_STREAM, 0, g_signalPipe) != 0)
        return;
    auto* notifier = new QSocketNotifier(g_signalPipe[0], QSocketNotifier::Read, owner);
    QObject::connect(notifier, &QSocketNotifier::activated, owner, [] {
        char byte = 0;
        [[maybe_unused]] const ssize_t n = ::read(g_signalPipe[0], &byte, 1);
        exitLikeTheTicker();
    });
    struct sigaction action {};
    action.sa_handler = onSignal;
    sigemptyset(&action.sa_mask);
    action.sa_flags = SA_RESTART;
    ::sigaction(SIGTERM, &action, nullptr);
    ::sigaction(SIGINT, &action, nullptr);
}

} // namespace

int main(int argc, char** argv)
{
    // The program places its windows in twips for 96 and 120 dpi itself;
    // Qt's own scaling would turn 120 dpi into a pixel ratio and hide it.
    qputenv("QT_ENABLE_HIGHDPI_SCALING", "0");
    QApplication app(argc, argv);
    QApplication::setApplicationName(QStringLiteral("Quoterra"));
    QApplication::setQuitOnLastWindowClosed(false);
    QApplication::setWindowIcon(QIcon(QStringLiteral(":/icons/quoterra.png")));

    using namespace quoterra;
    registerForms();
    Forms::setQuitWhenLastUnloaded(true);
    installSignalHandlers(&app);
    QObject::connect(&app, &QGuiApplication::commitDataRequest, &app, [](QSessionManager&) { exitLikeTheTicker(); });

    if (!StartUp() || Forms::ending()) {
        RegistryStore::flushAll();
        return 0;
    }
    const int code = QApplication::exec();
    RegistryStore::flushAll();
    return code;
}
