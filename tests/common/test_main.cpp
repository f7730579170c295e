#include <gtest/gtest.h>

#ifdef QUOTERRA_WINDOW_FREE
#include <QCoreApplication>
#else
#include <QApplication>
#endif
#include <QDir>
#include <QTemporaryDir>

// Every test program runs in a profile of its own, so that nothing can touch
// the user's real list, settings or desktop; window tests run on the
// offscreen platform. Logic tests (QUOTERRA_WINDOW_FREE) run without a
// window system.
int main(int argc, char** argv)
{
    qputenv("QT_ENABLE_HIGHDPI_SCALING", "0");
    if (qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM"))
        qputenv("QT_QPA_PLATFORM", "offscreen");
    QTemporaryDir profile;
    if (!profile.isValid())
        return 2;
    for (const auto& [variable, dir] : {std::pair{"XDG_CONFIG_HOME", "/config"},
                                        {"QUOTERRA_HOME", "/home"},
                                        {"XDG_DATA_HOME", "/data"},
                                        {"XDG_STATE_HOME", "/state"},
                                        {"XDG_CACHE_HOME", "/cache"},
                                        {"XDG_RUNTIME_DIR", "/runtime"}}) {
        QDir().mkpath(profile.path() + QLatin1String(dir));
        qputenv(variable, QFile::encodeName(profile.path() + QLatin1String(dir)));
    }
    // as the system makes it: the user's alone
    QFile::setPermissions(profile.path() + QLatin1String("/runtime"), QFile::ReadOwner | QFile::WriteOwner | QFile::ExeOwner);
    qunsetenv("QUOTERRA_SERVICE");
    // No test tells the user's desktop anything: a bus that is not there,
    // unless a test starts one of its own.
    qputenv("DBUS_SESSION_BUS_ADDRESS", "unix:path=" + QFile::encodeName(profile.path()) + "/no-bus");

#ifdef QUOTERRA_WINDOW_FREE
    QCoreApplication app(argc, argv);
#else
    QApplication app(argc, argv);
#endif
    ::testing::InitGoogleTest(&argc, argv);
    return RUN_ALL_TESTS();
}
