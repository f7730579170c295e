// Start-up probe: the ticker started exactly as the program starts it,
// printing the wall-clock time (ns) of its first paint, then ending at once.
// bench/startup.sh compares it with bench/floor_probe.cpp.
//   --ticker  until the ticker's window first paints
//   --quote   until its first quote is painted
//   --stay    keep running after that
#include "first_paint.h"

#include "app/context/application.h"
#include "app/program.h"
#include "core/paths.h"
#include "ui/controls.h"
#include "ui/system_screen.h"

#include <QApplication>

#include <cstring>

int main(int argc, char** argv)
{
    const bool quote = argc > 1 && std::strcmp(argv[1], "--quote") == 0;
    const bool stay = argc > 2 && std::strcmp(argv[2], "--stay") == 0;
    qputenv("QT_ENABLE_HIGHDPI_SCALING", "0");
    QApplication app(argc, argv);
    FirstPaint watcher(
        [quote](QObject* o) {
            if (!quote) {
                auto* w = qobject_cast<QWidget*>(o);
                return w && w->isWindow();
            }
            auto* label = qobject_cast<quoterra::Label*>(o);
            bool number = false;
            if (label && label->objectName() == QLatin1String("qLastPrice"))
                label->caption().toDouble(&number);
            return number;
        },
        stay);
    using namespace quoterra;
    SystemScreen screen;
    // The probe's runs name their service.
    Application application(screen, registryFilePath(), applicationDirectory().path,
                            ServiceHosts::at(namedService().value_or(QString())));
    Program program(application);
    application.forms().setQuitWhenNoneLoaded(true);
    if (!program.StartUp())
        return 1;
    return QApplication::exec();
}
