#include "test_support.h"

#include "platform/files.h"
#include "platform/paths.h"
#include "symbols/symbol_file.h"

#include <gtest/gtest.h>

#include <QDir>
#include <QFile>

#include <csignal>
#include <sys/wait.h>
#include <unistd.h>

namespace quoterra {
namespace {

using test::MessageBoxAnswerer;

QByteArray readAll(const QString& path)
{
    QFile f(path);
    return f.open(QIODevice::ReadOnly) ? f.readAll() : QByteArray();
}

// The entries a cursor shows from where it stands, `count` of them.
QStringList walk(SymbolCursor& cursor, int count)
{
    QStringList seen;
    for (int i = 0; i < count; ++i, NextEntry(cursor))
        seen.append(cursor.CurrentSymbol + QLatin1Char('|') + cursor.CurrentName);
    return seen;
}

class SymbolFile : public ::testing::Test {
protected:
    void SetUp() override { ASSERT_TRUE(makeApplicationDirectoryCurrent()); }
    void TearDown() override { files::closeAll(); }
    test::TestProfile profile;
};

TEST_F(SymbolFile, RecordsAreFiftyBytesOfPaddedWindows1252AndReadBackTrimmed)
{
    const QList<SymbolEntry> rows = {{"IBM", "International Business Machines"},
                                     {"ABCDEFGHIJKL", QString(45, u'n')},
                                     {QString::fromUtf8("€"), QString::fromUtf8("Société 日本")}};
    SymbolCursor cursor;
    ASSERT_TRUE(SaveSymbolList(rows, cursor));
    // Cut to the field widths; characters the code page lacks become '?'.
    EXPECT_EQ(readAll(profile.symbolFile()),
              QByteArray("IBM       International Business Machines         ") + "ABCDEFGHIJ" + QByteArray(40, 'n')
                  + "\x80         Soci\xe9t\xe9 ??" + QByteArray(30, ' '));
    EXPECT_EQ(walk(cursor, 3), (QStringList{"IBM|International Business Machines", "ABCDEFGHIJ|" + QString(40, u'n'),
                                            QString::fromUtf8("€|Société ??")}));
}

// The ticker walks the list round and round, never into a part-record
// left at the end.
TEST_F(SymbolFile, EntriesCycleFromTheLastBackToTheFirstAndTrailingBytesAreIgnored)
{
    struct Case {
        const char* what;
        QList<QPair<QString, QString>> list;
        QByteArray tail;
        QStringList order;
    };
    const Case cases[] = {
        // A first start: the list is created empty and shows no symbol.
        {"missing", {}, {}, {"|", "|"}},
        {"one", {{"IBM", "IBM Corp"}}, {}, {"IBM|IBM Corp", "IBM|IBM Corp"}},
        {"three and a part", {{"A", "a"}, {"B", "b"}, {"C", "c"}}, QByteArray(49, 'Z'), {"A|a", "B|b", "C|c", "A|a", "B|b"}},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.what);
        QFile::remove(profile.symbolFile());
        if (!c.list.isEmpty()) {
            test::writeSymbolFile(profile.symbolFile(), c.list);
            QFile f(profile.symbolFile());
            ASSERT_TRUE(f.open(QIODevice::Append));
            f.write(c.tail);
            f.close();
            // A list the user may not write is read all the same.
            QFile::setPermissions(profile.symbolFile(), QFileDevice::ReadOwner);
        }
        SymbolCursor cursor;
        ASSERT_TRUE(LoadSymbolFile(cursor));
        EXPECT_TRUE(QFile::exists(profile.symbolFile()));
        EXPECT_EQ(cursor.EntryCount, c.list.size());
        EXPECT_EQ(walk(cursor, int(c.order.size())), c.order);
        files::closeAll();
    }
}

// Nothing is created under a bad name, and the user is told why.
TEST_F(SymbolFile, BadFileNamesAreReportedWithTheirMessage)
{
    for (const QString name : {"stock data.std", "a;b", "a<b", "a=b", "a>b", "a?b", "a[b", "a*b", "a]b", "gone/stockdata.std"}) {
        SCOPED_TRACE(name.toStdString());
        MessageBoxAnswerer answer;
        EXPECT_EQ(OpenSymbolFile(name, kRecordLength), 0);
        ASSERT_EQ(answer.seen().size(), 1);
        EXPECT_EQ(answer.seen()[0].title, QStringLiteral("File Error"));
        EXPECT_EQ(answer.seen()[0].text, name.startsWith(QLatin1String("gone/")) ? QStringLiteral("That path doesn't exist.")
                                                                                 : QStringLiteral("That filename is illegal."));
        EXPECT_FALSE(QFile::exists(name));
    }
}

TEST_F(SymbolFile, AFileThatCannotBeOpenedIsReportedOnceAndTheListIsEmpty)
{
    // A folder where the list should be: no open can succeed, whoever runs it.
    ASSERT_TRUE(QDir().mkpath(profile.symbolFile()));
    MessageBoxAnswerer answer;
    SymbolCursor cursor;
    EXPECT_FALSE(LoadSymbolFile(cursor));
    ASSERT_EQ(answer.seen().size(), 1);
    EXPECT_EQ(answer.seen()[0].title, QStringLiteral("File Error"));
    EXPECT_TRUE(answer.seen()[0].text.contains(profile.symbolFile())) << answer.seen()[0].text.toStdString();
    EXPECT_EQ(cursor.EntryCount, 0);
}

TEST_F(SymbolFile, ASaveKilledHalfWayLeavesTheOldOrTheNewListWhole)
{
    QList<SymbolEntry> newRows;
    QByteArray newBytes;
    for (int i = 0; i < 200000; ++i) {
        newRows.append({QStringLiteral("N%1").arg(i), QStringLiteral("new list entry %1").arg(i)});
        newBytes += encodeRecord(newRows.back());
    }
    const QByteArray oldBytes = encodeRecord({"OLD", "old"}).repeated(1000);

    int sawOld = 0, sawNew = 0;
    // Kill points from before the first byte to after the rename.
    for (int delayMs : {1, 10, 40, 80, 120, 160, 200, 260, 330, 420, 600, 900}) {
        QFile f(profile.symbolFile());
        ASSERT_TRUE(f.open(QIODevice::WriteOnly | QIODevice::Truncate));
        f.write(oldBytes);
        f.close();

        const pid_t child = ::fork();
        ASSERT_GE(child, 0);
        if (child == 0) {
            SymbolCursor cursor;
            ::_exit(SaveSymbolList(newRows, cursor) ? 0 : 1);
        }
        ::usleep(useconds_t(delayMs) * 1000);
        ::kill(child, SIGKILL);
        ::waitpid(child, nullptr, 0);

        const QByteArray now = readAll(profile.symbolFile());
        ASSERT_TRUE(now == oldBytes || now == newBytes) << "killed after " << delayMs << " ms: " << now.size() << " bytes";
        (now == oldBytes ? sawOld : sawNew)++;
    }
    std::printf("killed saves: %d left the old list, %d the new one\n", sawOld, sawNew);

    // Left alone, the same save gets through, however slow the disk.
    const pid_t child = ::fork();
    ASSERT_GE(child, 0);
    if (child == 0) {
        SymbolCursor cursor;
        ::_exit(SaveSymbolList(newRows, cursor) ? 0 : 1);
    }
    int status = -1;
    ::waitpid(child, &status, 0);
    EXPECT_TRUE(WIFEXITED(status) && WEXITSTATUS(status) == 0);
    EXPECT_EQ(readAll(profile.symbolFile()), newBytes);
}

} // namespace
} // namespace quoterra
