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
using test::TestProfile;

QByteArray readAll(const QString& path)
{
    QFile f(path);
    return f.open(QIODevice::ReadOnly) ? f.readAll() : QByteArray();
}

class SymbolFile : public ::testing::Test {
protected:
    void SetUp() override { ASSERT_TRUE(makeApplicationDirectoryCurrent()); }
    void TearDown() override { files::closeAll(); }
    TestProfile profile;
};

TEST_F(SymbolFile, RecordsAreFiftyBytesOfPaddedWindows1252)
{
    EXPECT_EQ(encodeRecord({QStringLiteral("IBM"), QStringLiteral("International Business Machines")}),
              QByteArray("IBM       International Business Machines         "));
    // Cut to the field widths; characters the code page lacks become '?'.
    EXPECT_EQ(encodeRecord({QStringLiteral("ABCDEFGHIJKL"), QString(45, u'n')}),
              QByteArray("ABCDEFGHIJ") + QByteArray(40, 'n'));
    EXPECT_EQ(encodeRecord({QStringLiteral("€"), QString::fromUtf8("Société 日本")}),
              QByteArray("\x80         Soci\xe9t\xe9 ??") + QByteArray(30, ' '));
    const SymbolEntry back = decodeRecord(QByteArray("  MSFT    ") + QByteArray("  Micro soft  ").leftJustified(40, ' '));
    EXPECT_EQ(back.TickerSymbol, QStringLiteral("MSFT"));
    EXPECT_EQ(back.SymbolName, QStringLiteral("Micro soft"));
}

TEST_F(SymbolFile, AMissingFileIsCreatedEmptyAndShowsNoSymbol)
{
    SymbolCursor cursor;
    EXPECT_TRUE(LoadSymbolFile(cursor));
    EXPECT_TRUE(QFile::exists(profile.symbolFile()));
    EXPECT_EQ(QFileInfo(profile.symbolFile()).size(), 0);
    EXPECT_EQ(cursor.EntryCount, 0);
    EXPECT_EQ(cursor.CurrentSymbol, QString());
    NextEntry(cursor);
    EXPECT_EQ(cursor.CurrentSymbol, QString());
}

TEST_F(SymbolFile, EntriesCycleFromTheLastBackToTheFirst)
{
    struct Case {
        QList<QPair<QString, QString>> list;
        QStringList order;
    };
    const Case cases[] = {
        {{{"IBM", "IBM Corp"}}, {"IBM", "IBM", "IBM"}},
        {{{"A", "a"}, {"B", "b"}, {"C", "c"}}, {"A", "B", "C", "A", "B", "C", "A"}},
    };
    for (const auto& c : cases) {
        test::writeSymbolFile(profile.symbolFile(), c.list);
        SymbolCursor cursor;
        ASSERT_TRUE(LoadSymbolFile(cursor));
        QStringList seen{cursor.CurrentSymbol};
        while (seen.size() < c.order.size()) {
            NextEntry(cursor);
            seen.append(cursor.CurrentSymbol);
        }
        EXPECT_EQ(seen, c.order);
        files::closeAll();
    }
}

TEST_F(SymbolFile, APartRecordAtTheEndIsNeverRead)
{
    test::writeSymbolFile(profile.symbolFile(), {{"IBM", "one"}, {"MSFT", "two"}});
    QFile f(profile.symbolFile());
    ASSERT_TRUE(f.open(QIODevice::Append));
    f.write(QByteArray(49, 'Z'));
    f.close();
    SymbolCursor cursor;
    ASSERT_TRUE(LoadSymbolFile(cursor));
    EXPECT_EQ(cursor.EntryCount, 2);
    NextEntry(cursor);
    NextEntry(cursor);
    EXPECT_EQ(cursor.CurrentSymbol, QStringLiteral("IBM"));
}

TEST_F(SymbolFile, SavingWritesExactlyTheRowsAndReopensTheNewList)
{
    test::writeSymbolFile(profile.symbolFile(), {{"OLD", "old"}});
    SymbolCursor ticker;
    ASSERT_TRUE(LoadSymbolFile(ticker));
    const int tickerFile = ticker.fileHandle;

    SymbolCursor editor;
    const QList<SymbolEntry> rows = {{QStringLiteral("DJIA"), QStringLiteral("Dow Jones Industrials Average")},
                                     {QStringLiteral("TWELVECHARSX"), QString::fromUtf8("Café")}};
    ASSERT_TRUE(SaveSymbolList(rows, editor));
    EXPECT_FALSE(files::isOpen(tickerFile) && tickerFile != editor.fileHandle);
    EXPECT_EQ(readAll(profile.symbolFile()), encodeRecord(rows[0]) + encodeRecord(rows[1]));
    EXPECT_EQ(editor.EntryCount, 2);
    NextEntry(editor);
    EXPECT_EQ(editor.CurrentSymbol, QStringLiteral("TWELVECHAR"));
    EXPECT_EQ(editor.CurrentName, QString::fromUtf8("Café"));

    ASSERT_TRUE(SaveSymbolList({}, editor));
    EXPECT_EQ(QFileInfo(profile.symbolFile()).size(), 0);
    EXPECT_EQ(editor.EntryCount, 0);
}

TEST_F(SymbolFile, IllegalNamesAreReportedAndNotOpened)
{
    for (const char* name : {"stock data.std", "a;b", "a<b", "a=b", "a>b", "a?b", "a[b", "a*b", "a]b"}) {
        SCOPED_TRACE(name);
        MessageBoxAnswerer answer;
        EXPECT_EQ(OpenSymbolFile(QString::fromLatin1(name), kRecordLength), 0);
        ASSERT_EQ(answer.seen().size(), 1);
        EXPECT_EQ(answer.seen()[0].title, QStringLiteral("File Error"));
        EXPECT_EQ(answer.seen()[0].text, QStringLiteral("That filename is illegal."));
        EXPECT_EQ(answer.seen()[0].icon, QMessageBox::Warning);
        EXPECT_FALSE(QFile::exists(QString::fromLatin1(name)));
    }
}

TEST_F(SymbolFile, EachFileErrorHasItsMessageAndButtons)
{
    using SB = QMessageBox::StandardButton;
    struct Case {
        int code;
        const char* message;
        QList<SB> buttons;
    };
    const Case cases[] = {
        {52, "That filename is illegal.", {SB::Ok}},
        {54, "Can't open your file for that type of access.", {SB::Ok}},
        {55, "That file is already open.", {SB::Ok}},
        {57, "The disk is full.", {SB::Ok}},
        {62, "This file has a nonstandard end-of-file marker,or an attempt was made to read beyond the end-of-file marker.", {SB::Ok}},
        {64, "That filename is illegal.", {SB::Ok}},
        {68, "That device appears to be unavailable.", {SB::Retry, SB::Cancel}},
        {71, "The disk is not ready.", {SB::Ok}},
        {76, "That path doesn't exist.", {SB::Ok}},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.code);
        MessageBoxAnswerer answer(c.code == 68 ? SB::Retry : SB::Ok);
        const FileErrorAction action = ReportFileError(c.code);
        ASSERT_EQ(answer.seen().size(), 1);
        EXPECT_EQ(answer.seen()[0].text, QLatin1String(c.message));
        EXPECT_EQ(answer.seen()[0].buttons, c.buttons);
        EXPECT_EQ(action, c.code == 68 ? FileErrorAction::Retry : FileErrorAction::GiveUp);
    }
    MessageBoxAnswerer cancel(SB::Cancel);
    EXPECT_EQ(ReportFileError(68), FileErrorAction::GiveUp);
    MessageBoxAnswerer none;
    bool shown = true;
    EXPECT_EQ(ReportFileError(999, &shown), FileErrorAction::GiveUp);
    EXPECT_FALSE(shown);
    EXPECT_TRUE(none.seen().isEmpty());
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

TEST_F(SymbolFile, AMissingApplicationPathIsReportedWithItsMessage)
{
    ASSERT_TRUE(QDir::setCurrent(profile.appDir()));
    MessageBoxAnswerer answer;
    EXPECT_EQ(OpenSymbolFile(QStringLiteral("gone/stockdata.std"), kRecordLength), 0);
    ASSERT_EQ(answer.seen().size(), 1);
    EXPECT_EQ(answer.seen()[0].text, QStringLiteral("That path doesn't exist."));
}

TEST_F(SymbolFile, AReadOnlyListIsStillRead)
{
    test::writeSymbolFile(profile.symbolFile(), {{"IBM", "x"}});
    QFile::setPermissions(profile.symbolFile(), QFileDevice::ReadOwner);
    SymbolCursor cursor;
    EXPECT_TRUE(LoadSymbolFile(cursor));
    EXPECT_EQ(cursor.CurrentSymbol, QStringLiteral("IBM"));
}

TEST_F(SymbolFile, ASaveKilledHalfWayLeavesTheOldOrTheNewListWhole)
{
    QList<SymbolEntry> oldRows, newRows;
    for (int i = 0; i < 1000; ++i)
        oldRows.append({QStringLiteral("O%1").arg(i), QStringLiteral("old")});
    for (int i = 0; i < 200000; ++i)
        newRows.append({QStringLiteral("N%1").arg(i), QStringLiteral("new list entry %1").arg(i)});
    QByteArray oldBytes, newBytes;
    for (const auto& r : oldRows)
        oldBytes += encodeRecord(r);
    for (const auto& r : newRows)
        newBytes += encodeRecord(r);

    int sawOld = 0, sawNew = 0;
    // Kill points from before the first byte to after the rename.
    const int delaysMs[] = {1, 10, 40, 80, 120, 160, 200, 260, 330, 420, 600, 900};
    for (int attempt = 0; attempt < 12; ++attempt) {
        QFile f(profile.symbolFile());
        ASSERT_TRUE(f.open(QIODevice::WriteOnly | QIODevice::Truncate));
        f.write(oldBytes);
        f.close();

        const pid_t child = ::fork();
        ASSERT_GE(child, 0);
        if (child == 0) {
            SymbolCursor cursor;
            SaveSymbolList(newRows, cursor);
            ::_exit(0);
        }
        ::usleep(useconds_t(delaysMs[attempt] * 1000));
        ::kill(child, SIGKILL);
        int status = 0;
        ::waitpid(child, &status, 0);

        const QByteArray now = readAll(profile.symbolFile());
        ASSERT_TRUE(now == oldBytes || now == newBytes)
            << "attempt " << attempt << ": " << now.size() << " bytes on disk";
        (now == oldBytes ? sawOld : sawNew)++;
    }
    std::printf("killed saves: %d left the old list, %d the new one\n", sawOld, sawNew);
}

} // namespace
} // namespace quoterra
