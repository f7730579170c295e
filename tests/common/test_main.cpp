#include <gtest/gtest.h>

#include <QApplication>
#include <QDir>
#include <QTemporaryDir>

using namespace Qt::StringLiterals;

// Every test program runs in a profile of its own, so that nothing can touch
// the user's real list or settings; window tests run on the offscreen
// platform. Logic tests (QUOTERRA_WINDOW_FREE) run without a window system.
int main(int argc, char** argv)
{
    qputenv("QT_ENABLE_HIGHDPI_SCALING", "0");
    if (qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM"))
        qputenv("QT_QPA_PLATFORM", "offscreen");
    QTemporaryDir profile;
    if (!profile.isValid())
        return 2;
    for (const char* dir : {"config", "home", "data", "state"})
        QDir().mkpath(profile.path() + u'/' + QLatin1String(dir));
    qputenv("XDG_CONFIG_HOME", QFile::encodeName(profile.path() + u"/config"_s));
    qputenv("QUOTERRA_HOME", QFile::encodeName(profile.path() + u"/home"_s));
    qputenv("XDG_DATA_HOME", QFile::encodeName(profile.path() + u"/data"_s));
    qputenv("XDG_STATE_HOME", QFile::encodeName(profile.path() + u"/state"_s));
    qunsetenv("QUOTERRA_SERVICE");

#ifdef QUOTERRA_WINDOW_FREE
    QCoreApplication app(argc, argv);
#else
    QApplication app(argc, argv);
#endif
    ::testing::InitGoogleTest(&argc, argv);
    return RUN_ALL_TESTS();
}
