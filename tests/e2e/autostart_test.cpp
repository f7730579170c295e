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
    QString config() const { return root.path() + u"/config"_s; }
    QString entry() const { return config() + u"/autostart/quoterra.desktop"_s; }

    Outcome quoterra(const QStringList& args, const QString& program = kProgram, bool withConfigHome = true) const
    {
        auto env = QProcessEnvironment::systemEnvironment();
        env.insert(u"HOME"_s, root.path() + u"/home"_s);
        if (withConfigHome)
            env.insert(u"XDG_CONFIG_HOME"_s, config());
        else
            env.remove(u"XDG_CONFIG_HOME"_s);
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
    return u"<missing>"_s;
}

// What desktop-file-validate says against the entry: nothing when it is clean.
QString complaints(const QString& file)
{
    QProcess p;
    p.start(u"desktop-file-validate"_s, {file});
    if (!p.waitForFinished(10000))
        return u"desktop-file-validate did not run (scripts/setup.sh installs desktop-file-utils)"_s;
    return QString::fromUtf8(p.readAllStandardOutput() + p.readAllStandardError()).trimmed()
        + (p.exitCode() == 0 ? QString() : u" [exit %1]"_s.arg(p.exitCode()));
}

TEST_F(Autostart, OnWritesAnEntryThatRunsThisProgramAndOffRemovesIt)
{
    const QString program = QFileInfo(kProgram).canonicalFilePath();
    for (int round = 1; round <= 2; ++round) {
        SCOPED_TRACE(round); // a second "on" replaces the entry whole
        const Outcome on = quoterra({u"--autostart"_s, u"on"_s});
        EXPECT_EQ(on.code, 0) << on.err.toStdString();
        EXPECT_TRUE(on.out.contains(entry())) << on.out.toStdString();
        EXPECT_EQ(value(entry(), u"Exec"_s), program);
        EXPECT_EQ(value(entry(), u"TryExec"_s), program);
        EXPECT_EQ(value(entry(), u"Type"_s), u"Application"_s);
        EXPECT_EQ(value(entry(), u"Name"_s), u"Quoterra"_s);
        EXPECT_EQ(value(entry(), u"Icon"_s), u"quoterra"_s);
        EXPECT_EQ(complaints(entry()), QString());
        EXPECT_EQ(QDir(config() + u"/autostart"_s).entryList(QDir::Files | QDir::Hidden),
                  QStringList{u"quoterra.desktop"_s});
    }

    const Outcome off = quoterra({u"--autostart"_s, u"off"_s});
    EXPECT_EQ(off.code, 0) << off.err.toStdString();
    EXPECT_TRUE(off.out.contains(QLatin1String("removed"))) << off.out.toStdString();
    EXPECT_FALSE(QFile::exists(entry()));

    const Outcome again = quoterra({u"--autostart"_s, u"off"_s});
    EXPECT_EQ(again.code, 0) << again.err.toStdString();
    EXPECT_TRUE(again.out.contains(QLatin1String("does not start"))) << again.out.toStdString();
}

TEST_F(Autostart, WithoutXdgConfigHomeTheEntryGoesUnderTheHomeConfigFolder)
{
    const Outcome on = quoterra({u"--autostart"_s, u"on"_s}, kProgram, false);
    EXPECT_EQ(on.code, 0) << on.err.toStdString();
    EXPECT_TRUE(QFile::exists(root.path() + u"/home/.config/autostart/quoterra.desktop"_s));
    EXPECT_FALSE(QFile::exists(entry()));
}

// A desktop entry's Exec line has its own quoting: a program in an oddly
// named folder must still be the one the session starts.
TEST_F(Autostart, AProgramInAFolderWithReservedCharactersIsQuoted)
{
    const QString folder = root.path() + QStringLiteral(R"(/my "ticker" $HOME 100% back\slash)");
    ASSERT_TRUE(QDir().mkpath(folder));
    const QString copy = folder + u"/quoterra"_s;
    ASSERT_TRUE(QFile::copy(kProgram, copy));
    const Outcome on = quoterra({u"--autostart"_s, u"on"_s}, copy);
    ASSERT_EQ(on.code, 0) << on.err.toStdString();
    const QString canonicalRoot = QFileInfo(root.path()).canonicalFilePath();
    EXPECT_EQ(value(entry(), u"Exec"_s),
              u'"' + canonicalRoot + QStringLiteral(R"(/my \\"ticker\\" \\$HOME 100%% back\\\\slash/quoterra")"));
    // TryExec is a plain path, escaped only as every string value is.
    EXPECT_EQ(value(entry(), u"TryExec"_s),
              canonicalRoot + QStringLiteral(R"(/my "ticker" $HOME 100% back\\slash/quoterra)"));
    EXPECT_EQ(complaints(entry()), QString());
}

TEST_F(Autostart, ABadValueGetsTheUsageAndTouchesNothing)
{
    const QString usage = u"Usage: quoterra [--help] [--version] [--autostart on|off]\n"_s;
    struct Case {
        QStringList args;
        QString err;
    } cases[] = {
        {{u"--autostart"_s, u"bogus"_s}, u"quoterra: --autostart takes on or off\n"_s + usage},
        {{u"--autostart"_s, u"ON"_s}, u"quoterra: --autostart takes on or off\n"_s + usage},
        {{u"--autostart"_s}, u"quoterra: --autostart takes on or off\n"_s + usage},
        {{u"--autostart"_s, u"on"_s, u"--bogus"_s}, u"quoterra: unknown option '--bogus'\n"_s + usage},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.args.join(u' ').toStdString());
        const Outcome run = quoterra(c.args);
        EXPECT_EQ(run.code, 2);
        EXPECT_EQ(run.out, QString());
        EXPECT_EQ(run.err, c.err);
        EXPECT_FALSE(QFileInfo::exists(config() + u"/autostart"_s));
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
        const QString blocker = c.folderIsAFile ? config() + u"/autostart"_s : entry() + u"/kept"_s;
        ASSERT_TRUE(QDir().mkpath(QFileInfo(blocker).path()));
        QFile file(blocker);
        ASSERT_TRUE(file.open(QIODevice::WriteOnly) && file.write("kept") == 4);
        file.close();

        const Outcome run = quoterra({u"--autostart"_s, QLatin1String(c.value)});
        EXPECT_EQ(run.code, 1);
        EXPECT_TRUE(run.err.startsWith(QLatin1String(c.said))) << run.err.toStdString();
        EXPECT_EQ(readFile(blocker), QByteArray("kept"));
    }
}

} // namespace
} // namespace quoterra::test
