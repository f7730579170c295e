#include <gtest/gtest.h>

#include <QApplication>
#include <QDir>
#include <QTemporaryDir>

// Every test program gets a profile of its own: settings, application
// directory and data directory live in a temporary folder that is removed
// at the end, so no test can touch the user's real list or settings.
int main(int argc, char** argv)
{
    qputenv("QT_ENABLE_HIGHDPI_SCALING", "0");
    if (qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM"))
        qputenv("QT_QPA_PLATFORM", "offscreen");

    QTemporaryDir profile;
    if (!profile.isValid())
        return 2;
    const QString root = profile.path();
    QDir().mkpath(root + "/config");
    QDir().mkpath(root + "/home");
    QDir().mkpath(root + "/data");
    qputenv("XDG_CONFIG_HOME", QFile::encodeName(root + "/config"));
    qputenv("QUOTERRA_HOME", QFile::encodeName(root + "/home"));
    qputenv("XDG_DATA_HOME", QFile::encodeName(root + "/data"));
    qunsetenv("QUOTERRA_SERVICE");

    QApplication app(argc, argv);
    ::testing::InitGoogleTest(&argc, argv);
    // A forked child would inherit threads it does not have (the settings writer).
    GTEST_FLAG_SET(death_test_style, "threadsafe");
    return RUN_ALL_TESTS();
}
