// The program's command line: help, version, and the desktop session's
// entry that `quoterra --autostart on` writes and `off` removes, in a
// throw-away config folder.
#include "e2e_fixture.h"

namespace quoterra::test {
namespace {

class CommandLine : public ::testing::Test {
protected:
    QString config() const { return root.path() + u"/config"_s; }
    QString entry() const { return config() + u"/autostart/quoterra.desktop"_s; }

    Finished quoterra(const QStringList& args, const QString& program = kProgram, bool withConfigHome = true) const
    {
        auto env = QProcessEnvironment::systemEnvironment();
        env.insert(u"HOME"_s, root.path() + u"/home"_s);
        env.insert(u"XDG_CONFIG_HOME"_s, config());
        if (!withConfigHome)
            env.remove(u"XDG_CONFIG_HOME"_s);
        return run(program, args, env);
    }
    // The value of `key` in the entry.
    QString value(const char* key) const
    {
        for (const QString& line : QString::fromUtf8(readFile(entry())).split(u'\n'))
            if (line.startsWith(QLatin1String(key) + u'='))
                return line.mid(qsizetype(strlen(key)) + 1);
        return u"<missing>"_s;
    }
    // What desktop-file-validate says against the entry: nothing when it is clean.
    QString complaints() const
    {
        QProcess p;
        p.start(u"desktop-file-validate"_s, {entry()});
        if (!p.waitForFinished(10000))
            return u"desktop-file-validate did not run (scripts/setup.sh installs desktop-file-utils)"_s;
        return QString::fromUtf8(p.readAllStandardOutput() + p.readAllStandardError()).trimmed()
            + (p.exitCode() == 0 ? QString() : u" [exit %1]"_s.arg(p.exitCode()));
    }

    QTemporaryDir root;
};

const QString kUsage = u"Usage: quoterra [--help] [--version] [--autostart on|off]\n"_s;
const QString kOnOrOff = u"quoterra: --autostart takes on or off\n"_s + kUsage;
struct ArgumentsRow {
    const char* what;
    QStringList args;
    int code;
    QString out, err; // the start of what it prints, and its complaints
};
const ArgumentsRow kArgumentsRows[] = {
    {"help", {"--help"}, 0, kUsage, {}},
    {"version", {"--version"}, 0, u"Quoterra 4.00 - March 11, 2001\n"_s, {}},
    {"an unknown option", {"--frobnicate"}, 2, {}, u"quoterra: unknown option '--frobnicate'\n"_s + kUsage},
    {"autostart bogus", {"--autostart", "bogus"}, 2, {}, kOnOrOff},
    {"autostart in capitals", {"--autostart", "ON"}, 2, {}, kOnOrOff},
    {"autostart alone", {"--autostart"}, 2, {}, kOnOrOff},
    {"an unknown option after autostart",
     {"--autostart", "on", "--bogus"},
     2,
     {},
     u"quoterra: unknown option '--bogus'\n"_s + kUsage},
};
class ArgumentsRows : public CommandLine, public ::testing::WithParamInterface<ArgumentsRow> { };
// Bad values get the usage and touch nothing.
TEST_P(ArgumentsRows, PrintExitAndTouchNothing)
{
    const ArgumentsRow& c = GetParam();
    const Finished run = quoterra(c.args);
    EXPECT_EQ(run.exitCode, c.code);
    EXPECT_TRUE(run.out.startsWith(c.out)) << run.out.toStdString();
    EXPECT_EQ(run.out.isEmpty(), c.out.isEmpty());
    EXPECT_EQ(run.err, c.err);
    EXPECT_FALSE(QFileInfo::exists(config() + u"/autostart"_s));
}
INSTANTIATE_TEST_SUITE_P(CommandLine, ArgumentsRows, ::testing::ValuesIn(kArgumentsRows), rowName<ArgumentsRow>);

TEST_F(CommandLine, AutostartOnWritesAValidEntryThatRunsThisProgram)
{
    const QString program = QFileInfo(kProgram).canonicalFilePath();
    for (int round = 1; round <= 2; ++round) {
        SCOPED_TRACE(round); // a second "on" replaces the entry whole
        const Finished on = quoterra({"--autostart", "on"});
        EXPECT_EQ(on.exitCode, 0) << on.err.toStdString();
        EXPECT_TRUE(on.out.contains(entry())) << on.out.toStdString();
        EXPECT_EQ(value("Exec"), program);
        EXPECT_EQ(value("TryExec"), program);
        EXPECT_EQ(value("Type"), u"Application"_s);
        EXPECT_EQ(value("Name"), u"Quoterra"_s);
        EXPECT_EQ(value("Icon"), u"quoterra"_s);
        EXPECT_EQ(complaints(), QString());
        EXPECT_EQ(QDir(config() + u"/autostart"_s).entryList(QDir::Files | QDir::Hidden),
                  QStringList{u"quoterra.desktop"_s});
    }
}

TEST_F(CommandLine, AutostartOffSaysWhetherThereWasAnEntryToRemove)
{
    ASSERT_EQ(quoterra({"--autostart", "on"}).exitCode, 0);
    for (const char* said : {"removed", "does not start"}) {
        const Finished off = quoterra({"--autostart", "off"});
        EXPECT_EQ(off.exitCode, 0) << off.err.toStdString();
        EXPECT_TRUE(off.out.contains(QLatin1String(said))) << off.out.toStdString();
        EXPECT_FALSE(QFile::exists(entry()));
    }
}

TEST_F(CommandLine, WithoutAConfigFolderSetTheEntryGoesUnderHome)
{
    const Finished on = quoterra({"--autostart", "on"}, kProgram, false);
    EXPECT_EQ(on.exitCode, 0) << on.err.toStdString();
    EXPECT_TRUE(QFile::exists(root.path() + u"/home/.config/autostart/quoterra.desktop"_s));
    EXPECT_FALSE(QFile::exists(entry()));
}

// A desktop entry's Exec line has its own quoting: a program in an oddly
// named folder must still be the one the session starts.
TEST_F(CommandLine, AProgramInAFolderWithReservedCharactersIsQuoted)
{
    const QString folder = root.path() + QStringLiteral(R"(/my "ticker" $HOME 100% back\slash)");
    ASSERT_TRUE(QDir().mkpath(folder));
    ASSERT_TRUE(QFile::copy(kProgram, folder + u"/quoterra"_s));
    const Finished on = quoterra({"--autostart", "on"}, folder + u"/quoterra"_s);
    ASSERT_EQ(on.exitCode, 0) << on.err.toStdString();
    const QString canonicalRoot = QFileInfo(root.path()).canonicalFilePath();
    EXPECT_EQ(value("Exec"),
              u'"' + canonicalRoot + QStringLiteral(R"(/my \\"ticker\\" \\$HOME 100%% back\\\\slash/quoterra")"));
    // TryExec is a plain path, escaped only as every string value is.
    EXPECT_EQ(value("TryExec"), canonicalRoot + QStringLiteral(R"(/my "ticker" $HOME 100% back\\slash/quoterra)"));
    EXPECT_EQ(complaints(), QString());
}

// A place that cannot hold the entry is said plainly, and what is there is
// left as it was.
struct BlockedRow {
    const char *what, *value;
    bool folderIsAFile;
    const char* said;
};
const BlockedRow kBlockedRows[] = {
    {"on when the autostart folder is a file", "on", true, "quoterra: cannot make the folder "},
    {"on when the entry is a folder", "on", false, "quoterra: cannot write "},
    {"off when the entry is a folder", "off", false, "quoterra: cannot remove "},
};
class BlockedRows : public CommandLine, public ::testing::WithParamInterface<BlockedRow> { };
TEST_P(BlockedRows, AreToldAndLeaveWhatIsThere)
{
    const BlockedRow& c = GetParam();
    const QString blocker = c.folderIsAFile ? config() + u"/autostart"_s : entry() + u"/kept"_s;
    ASSERT_TRUE(QDir().mkpath(QFileInfo(blocker).path()));
    QFile file(blocker);
    ASSERT_TRUE(file.open(QIODevice::WriteOnly) && file.write("kept") == 4);
    file.close();

    const Finished run = quoterra({"--autostart", QLatin1String(c.value)});
    EXPECT_EQ(run.exitCode, 1);
    EXPECT_TRUE(run.err.startsWith(QLatin1String(c.said))) << run.err.toStdString();
    EXPECT_EQ(readFile(blocker), QByteArray("kept"));
}
INSTANTIATE_TEST_SUITE_P(Entries, BlockedRows, ::testing::ValuesIn(kBlockedRows), rowName<BlockedRow>);

} // namespace
} // namespace quoterra::test
