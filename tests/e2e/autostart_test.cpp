// Starting with the desktop session: the entry `quoterra --autostart on`
// writes and `off` removes, in a throw-away config folder.
#include "e2e_fixture.h"

#include <QStandardPaths>

namespace quoterra::test {
namespace {

struct Outcome {
    int code = -1;
    QString out;
    QString err;
};

class Autostart : public ::testing::Test {
protected:
    QString config() const { return root.path() + QStringLiteral("/config"); }
    QString entry() const { return config() + QStringLiteral("/autostart/quoterra.desktop"); }

    Outcome quoterra(const QStringList& args, const QString& program = kProgram, bool withConfigHome = true) const
    {
        auto env = QProcessEnvironment::systemEnvironment();
        env.insert(QStringLiteral("HOME"), root.path() + QStringLiteral("/home"));
        if (withConfigHome)
            env.insert(QStringLiteral("XDG_CONFIG_HOME"), config());
        else
            env.remove(QStringLiteral("XDG_CONFIG_HOME"));
        QProcess p;
        p.setProcessEnvironment(env);
        p.start(program, args);
        if (!p.waitForFinished(10000))
            return {};
        return {p.exitCode(), QString::fromUtf8(p.readAllStandardOutput()),
                QString::fromUtf8(p.readAllStandardError())};
    }

    QTemporaryDir root;
};

// The value of `key` in the entry's [Desktop Entry] group.
QString value(const QString& file, const QString& key)
{
    for (const QString& line : QString::fromUtf8(readFile(file)).split(u'\n'))
        if (line.startsWith(key + u'='))
            return line.mid(key.size() + 1);
    return QStringLiteral("<missing>");
}

// What desktop-file-validate says against the entry: nothing when it is clean.
QString complaints(const QString& file)
{
    QProcess p;
    p.start(QStringLiteral("desktop-file-validate"), {file});
    if (!p.waitForFinished(10000))
        return QStringLiteral("desktop-file-validate did not run (scripts/setup.sh installs desktop-file-utils)");
    return QString::fromUtf8(p.readAllStandardOutput() + p.readAllStandardError()).trimmed()
        + (p.exitCode() == 0 ? QString() : QStringLiteral(" [exit %1]").arg(p.exitCode()));
}

TEST_F(Autostart, OnWritesAnEntryThatRunsThisProgramAndOffRemovesIt)
{
    const QString program = QFileInfo(kProgram).canonicalFilePath();
    for (int round = 1; round <= 2; ++round) {
        SCOPED_TRACE(round); // a second "on" replaces the entry whole
        const Outcome on = quoterra({QStringLiteral("--autostart"), QStringLiteral("on")});
        EXPECT_EQ(on.code, 0) << on.err.toStdString();
        EXPECT_TRUE(on.out.contains(entry())) << on.out.toStdString();
        EXPECT_EQ(value(entry(), QStringLiteral("Exec")), program);
        EXPECT_EQ(value(entry(), QStringLiteral("TryExec")), program);
        EXPECT_EQ(value(entry(), QStringLiteral("Type")), QStringLiteral("Application"));
        EXPECT_EQ(value(entry(), QStringLiteral("Name")), QStringLiteral("Quoterra"));
        EXPECT_EQ(value(entry(), QStringLiteral("Icon")), QStringLiteral("quoterra"));
        EXPECT_EQ(complaints(entry()), QString());
        EXPECT_EQ(QDir(config() + QStringLiteral("/autostart")).entryList(QDir::Files | QDir::Hidden),
                  QStringList{QStringLiteral("quoterra.desktop")});
    }

    const Outcome off = quoterra({QStringLiteral("--autostart"), QStringLiteral("off")});
    EXPECT_EQ(off.code, 0) << off.err.toStdString();
    EXPECT_TRUE(off.out.contains(QLatin1String("removed"))) << off.out.toStdString();
    EXPECT_FALSE(QFile::exists(entry()));

    const Outcome again = quoterra({QStringLiteral("--autostart"), QStringLiteral("off")});
    EXPECT_EQ(again.code, 0) << again.err.toStdString();
    EXPECT_TRUE(again.out.contains(QLatin1String("does not start"))) << again.out.toStdString();
}

TEST_F(Autostart, WithoutXdgConfigHomeTheEntryGoesUnderTheHomeConfigFolder)
{
    const Outcome on = quoterra({QStringLiteral("--autostart"), QStringLiteral("on")}, kProgram, false);
    EXPECT_EQ(on.code, 0) << on.err.toStdString();
    EXPECT_TRUE(QFile::exists(root.path() + QStringLiteral("/home/.config/autostart/quoterra.desktop")));
    EXPECT_FALSE(QFile::exists(entry()));
}

// A desktop entry's Exec line has its own quoting: a program in an oddly
// named folder must still be the one the session starts.
TEST_F(Autostart, AProgramInAFolderWithReservedCharactersIsQuoted)
{
    const QString folder = root.path() + QStringLiteral(R"(/my "ticker" $HOME 100% back\slash)");
    ASSERT_TRUE(QDir().mkpath(folder));
    const QString copy = folder + QStringLiteral("/quoterra");
    ASSERT_TRUE(QFile::copy(kProgram, copy));
    const Outcome on = quoterra({QStringLiteral("--autostart"), QStringLiteral("on")}, copy);
    ASSERT_EQ(on.code, 0) << on.err.toStdString();
    const QString canonicalRoot = QFileInfo(root.path()).canonicalFilePath();
    EXPECT_EQ(value(entry(), QStringLiteral("Exec")),
              u'"' + canonicalRoot + QStringLiteral(R"(/my \\"ticker\\" \\$HOME 100%% back\\\\slash/quoterra")"));
    // TryExec is a plain path, escaped only as every string value is.
    EXPECT_EQ(value(entry(), QStringLiteral("TryExec")),
              canonicalRoot + QStringLiteral(R"(/my "ticker" $HOME 100% back\\slash/quoterra)"));
    EXPECT_EQ(complaints(entry()), QString());
}

TEST_F(Autostart, ABadValueGetsTheUsageAndTouchesNothing)
{
    const QString usage = QStringLiteral("Usage: quoterra [--help] [--version] [--autostart on|off]\n");
    struct Case {
        QStringList args;
        QString err;
    } cases[] = {
        {{QStringLiteral("--autostart"), QStringLiteral("bogus")},
         QStringLiteral("quoterra: --autostart takes on or off\n") + usage},
        {{QStringLiteral("--autostart"), QStringLiteral("ON")},
         QStringLiteral("quoterra: --autostart takes on or off\n") + usage},
        {{QStringLiteral("--autostart")}, QStringLiteral("quoterra: --autostart takes on or off\n") + usage},
        {{QStringLiteral("--autostart"), QStringLiteral("on"), QStringLiteral("--bogus")},
         QStringLiteral("quoterra: unknown option '--bogus'\n") + usage},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.args.join(u' ').toStdString());
        const Outcome run = quoterra(c.args);
        EXPECT_EQ(run.code, 2);
        EXPECT_EQ(run.out, QString());
        EXPECT_EQ(run.err, c.err);
        EXPECT_FALSE(QFileInfo::exists(config() + QStringLiteral("/autostart")));
    }
}

// A place that cannot hold the entry is said plainly, and what is there is
// left as it was.
TEST_F(Autostart, AnEntryThatCannotBeWrittenOrRemovedIsToldAndLeftAlone)
{
    struct Case {
        const char* what;
        const char* value;
        bool folderIsAFile;
        const char* said;
    } cases[] = {
        {"the autostart folder is a file", "on", true, "quoterra: cannot make the folder "},
        {"the entry is a folder", "on", false, "quoterra: cannot write "},
        {"the entry is a folder", "off", false, "quoterra: cannot remove "},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.what);
        QDir(config()).removeRecursively();
        ASSERT_TRUE(QDir().mkpath(config()));
        const QString blocker =
            c.folderIsAFile ? config() + QStringLiteral("/autostart") : entry() + QStringLiteral("/kept");
        ASSERT_TRUE(QDir().mkpath(QFileInfo(blocker).path()));
        QFile file(blocker);
        ASSERT_TRUE(file.open(QIODevice::WriteOnly) && file.write("kept") == 4);
        file.close();

        const Outcome run = quoterra({QStringLiteral("--autostart"), QLatin1String(c.value)});
        EXPECT_EQ(run.code, 1);
        EXPECT_TRUE(run.err.startsWith(QLatin1String(c.said))) << run.err.toStdString();
        EXPECT_EQ(readFile(blocker), QByteArray("kept"));
    }
}

} // namespace
} // namespace quoterra::test
