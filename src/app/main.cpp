// quoterra: the desktop stock ticker.

#include "autostart.h"
#include "desktop_session.h"
#include "program.h"

#include "app/context/application.h"
#include "core/paths.h"
#include "hosts/bundled_service.h"
#include "ui/form.h"
#include "ui/msgbox.h"
#include "ui/system_screen.h"
#include "ui/window_system.h"

#include <QApplication>
#include <QIcon>
#include <QSessionManager>
#include <QSocketNotifier>

#include <version.h>

#include <csignal>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <optional>
#include <sys/socket.h>
#include <unistd.h>
#include <vector>

using namespace quoterra;

namespace {

int signalPipe[2] = {-1, -1};

void onSignal(int)
{
    const char byte = 1;
    [[maybe_unused]] const ssize_t n = ::write(signalPipe[1], &byte, 1);
}

// SIGTERM, SIGINT and SIGHUP (the terminal closing) save what the ticker's
// exit saves, then end.
void handleSignals(Program& program, QObject* owner)
{
    if (::socketpair(AF_UNIX, SOCK_STREAM | SOCK_CLOEXEC, 0, signalPipe) != 0)
        return;
    auto* notifier = new QSocketNotifier(signalPipe[0], QSocketNotifier::Read, owner);
    QObject::connect(notifier, &QSocketNotifier::activated, owner, [&program] {
        char byte = 0;
        [[maybe_unused]] const ssize_t n = ::read(signalPipe[0], &byte, 1);
        program.exitLikeTheTicker();
    });
    struct sigaction action { };
    action.sa_handler = onSignal;
    sigemptyset(&action.sa_mask);
    action.sa_flags = SA_RESTART;
    for (int sig : {SIGTERM, SIGINT, SIGHUP})
        ::sigaction(sig, &action, nullptr);
}

// The X server going away ends the program from inside Qt with exit(): what
// the program knows is saved on the way out.
Program* runningProgram = nullptr;

void saveOnSuddenExit()
{
    if (runningProgram)
        runningProgram->saveWithoutDisplay();
}

// Said on the terminal and in a box: the program may have been started from
// either.
void tell(const QString& message, QMessageBox::Icon icon)
{
    std::fprintf(stderr, "quoterra: %s\n", qPrintable(message));
    messageBox(nullptr, message, icon);
}

const char* const kUsage = "Usage: quoterra [--help] [--version] [--autostart on|off]\n";

} // namespace

int main(int argc, char** argv)
{
    const char* autostart = nullptr;
    for (int i = 1; i < argc; ++i) {
        if (std::strcmp(argv[i], "--help") == 0 || std::strcmp(argv[i], "-h") == 0) {
            std::printf("%s"
                        "A desktop stock ticker: shows one delayed quote of your symbol list at a time.\n\n"
                        "  --help              show this text and exit\n"
                        "  --version           show the version and exit\n"
                        "  --autostart on|off  start (or stop starting) with the desktop session, then exit\n\n"
                        "Files: the symbol list in $QUOTERRA_HOME (else ~/.local/share/Quoterra), settings in\n"
                        "$XDG_CONFIG_HOME/Quoterra/registry.ini (else ~/.config/Quoterra/registry.ini).\n"
                        "QUOTERRA_SERVICE=http://HOST:PORT names the quote service; without it the ticker\n"
                        "uses (and starts) your own quoterra-service.\n",
                        kUsage);
            return 0;
        }
        if (std::strcmp(argv[i], "--version") == 0) {
            std::printf("Quoterra %s - %s\n", kVersionText, kReleaseDate);
            return 0;
        }
        if (std::strcmp(argv[i], "--autostart") == 0) {
            autostart = i + 1 < argc ? argv[++i] : "";
            if (std::strcmp(autostart, "on") != 0 && std::strcmp(autostart, "off") != 0) {
                std::fprintf(stderr, "quoterra: --autostart takes on or off\n%s", kUsage);
                return 2;
            }
            continue;
        }
        std::fprintf(stderr, "quoterra: unknown option '%s'\n%s", argv[i], kUsage);
        return 2;
    }
    if (autostart) {
        const AutostartChange change = setAutostart(std::strcmp(autostart, "on") == 0, runningProgramPath());
        if (!change.done) {
            std::fprintf(stderr, "quoterra: %s\n", qPrintable(change.message));
            return 1;
        }
        std::printf("%s\n", qPrintable(change.message));
        return 0;
    }

    // The program places its windows in twips for 96 and 120 dpi itself.
    // Rounding Qt's scale down keeps 120 dpi a dpi of its own (ratio 1),
    // while a HiDPI screen becomes 96 or 120 dpi at a whole pixel ratio:
    // 192 is 96 at 2, 240 is 120 at 2; 144 stays 144 and is refused.
    QGuiApplication::setHighDpiScaleFactorRoundingPolicy(Qt::HighDpiScaleFactorRoundingPolicy::Floor);
    // The platform is asked for on the command line Qt reads, so that
    // programs started from here (the browser) choose their own.
    std::vector<char*> qtArgs(argv, argv + argc);
    QByteArray platform = chosenPlatform();
    char platformOption[] = "-platform";
    if (!platform.isEmpty()) {
        qtArgs.push_back(platformOption);
        qtArgs.push_back(platform.data());
    }
    int qtArgc = int(qtArgs.size());
    qtArgs.push_back(nullptr);
    QApplication qapp(qtArgc, qtArgs.data());
    QApplication::setApplicationName(QStringLiteral("Quoterra"));
    QApplication::setQuitOnLastWindowClosed(false);
    QApplication::setWindowIcon(QIcon(QStringLiteral(":/icons/quoterra.png")));

    QString problem;
    const std::optional<QString> named = namedService(&problem);
    const ApplicationDirectory directory = applicationDirectory();
    if (problem.isEmpty() && !directory.problem.isEmpty()) {
        problem = QStringLiteral("Quoterra cannot keep its symbol list in\n%1\n\n%2\n\nSet QUOTERRA_HOME to a folder "
                                 "you can write to.")
                      .arg(directory.path, directory.problem);
    }
    if (!problem.isEmpty()) {
        tell(problem, QMessageBox::Critical);
        return 1;
    }

    // Without QUOTERRA_SERVICE the quotes come from the user's own service,
    // started here when none answers yet.
    std::unique_ptr<ServiceLink> link;
    if (named) {
        link = std::make_unique<ServiceLink>(*named);
    } else {
        link = std::make_unique<ServiceLink>(
            BundledService(BundledService::besideProgram(QCoreApplication::applicationDirPath())),
            std::chrono::seconds(2));
        if (!link->problem().isEmpty())
            tell(link->problem(), QMessageBox::Warning);
    }
    QObject::connect(link.get(), &ServiceLink::foreignAnswer, &qapp, [](const QString& message) {
        std::fprintf(stderr, "quoterra: %s\n", qPrintable(message));
        showBesideTicker(QMessageBox::Warning, message);
    });

    SystemScreen screen;
    Application app(screen, registryFilePath(), directory.path, link->hosts());
    app.follow(*link);
    Program program(app);
    app.forms().setQuitWhenNoneLoaded(true);
    handleSignals(program, &qapp);
    QObject::connect(&qapp, &QGuiApplication::commitDataRequest, &qapp,
                     [&program](QSessionManager&) { program.exitLikeTheTicker(); });
    runningProgram = &program;
    std::atexit(saveOnSuddenExit);

    // Where the program cannot place its windows the user hears why once,
    // as soon as that is known: on Wayland at the start, under XWayland when
    // the window manager first refuses a move.
    QObject::connect(&app.forms(), &FormRegistry::movesRefused, &qapp,
                     [] { tellWhatCannotWork(PlacementLimit::WindowManager, stateDirectory()); });
    int code = 0;
    if (program.StartUp() && !app.forms().ending()) {
        if (!programPlacesWindows())
            tellWhatCannotWork(PlacementLimit::Wayland, stateDirectory());
        code = QApplication::exec();
    }
    runningProgram = nullptr;
    return code;
}
