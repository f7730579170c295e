// The symbol list file: its records, its readers and its atomic save.
#include "test_support.h"

#include "symbols/file/symbol_file.h"

#include <csignal>

#include <sys/resource.h>

namespace quoterra {
namespace {

using test::readFile;

struct RecordRow {
    const char* what;
    SymbolEntry entry;
    QByteArray record;
    std::optional<SymbolEntry> back = {}; // when not the entry itself
};
const RecordRow kRecordRows[] = {
    {"a stock", {"IBM", "International Business Machines"}, "IBM       International Business Machines         "},
    {"an index", {"S&P 500", "S&P 500 Index"}, "S&P 500   S&P 500 Index                           "},
    {"too long for its fields",
     {"TWELVECHARS!", QString(45, u'n')},
     "TWELVECHAR" + QByteArray(40, 'n'),
     {{"TWELVECHAR", QString(40, u'n')}}},
    {"blanks and Windows 1252",
     {"  PAD ", "Soci\u00e9t\u00e9 \u20ac"},
     "  PAD     Soci\xe9t\xe9 \x80" + QByteArray(31, ' '),
     {{"PAD", QString::fromUtf8("Soci\u00e9t\u00e9 \u20ac")}}},
    {"empty", {"", ""}, QByteArray(50, ' ')},
};
class SymbolRecordRows : public ::testing::TestWithParam<RecordRow> { };
TEST_P(SymbolRecordRows, AreFiftyBytesOfPaddedWindows1252)
{
    EXPECT_EQ(encodeRecord(GetParam().entry), GetParam().record);
}
TEST_P(SymbolRecordRows, ReadBackTrimmed)
{
    EXPECT_EQ(decodeRecord(GetParam().record), GetParam().back.value_or(GetParam().entry));
}
INSTANTIATE_TEST_SUITE_P(Entries, SymbolRecordRows, ::testing::ValuesIn(kRecordRows), test::rowName<RecordRow>);

// A list of A and B in a real file, opened and at its first entry.
class SymbolCursorTest : public ::testing::Test {
protected:
    void open()
    {
        ASSERT_EQ(cursor.OpenSymbolFile(profile.appDir()), FileError::None);
        cursor.ResetCursor();
    }
    test::TestProfile profile;
    SymbolCursor cursor;
};

TEST_F(SymbolCursorTest, CyclesFromTheLastBackToTheFirst)
{
    profile.writeSymbols({{"A", "first"}, {"B", "second"}});
    open();
    QStringList seen{cursor.CurrentSymbol};
    for (int i = 0; i < 4; ++i) {
        cursor.NextEntry();
        seen << cursor.CurrentSymbol;
    }
    EXPECT_EQ(seen.join(u' '), u"A B A B A"_s);
}

TEST_F(SymbolCursorTest, IgnoresAPartRecordAtTheEnd)
{
    profile.writeSymbols({{"A", "first"}, {"B", "second"}});
    QFile f(profile.symbolFile());
    ASSERT_TRUE(f.open(QIODevice::Append));
    f.write(QByteArray(49, 'x')); // 149 bytes: two entries
    f.close();
    open();
    EXPECT_EQ(cursor.EntryCount, 2);
    EXPECT_EQ(cursor.entries(), (QList<SymbolEntry>{{"A", "first"}, {"B", "second"}}));
}

TEST_F(SymbolCursorTest, AMissingListIsCreatedEmpty)
{
    cursor.CurrentSymbol = u"OLD"_s;
    open();
    EXPECT_TRUE(QFileInfo::exists(profile.symbolFile()));
    EXPECT_EQ(cursor.EntryCount, 0);
    EXPECT_EQ(cursor.CurrentSymbol, u"OLD"_s);
    cursor.NextEntry();
    EXPECT_EQ(cursor.CurrentSymbol, QString()) << "an empty list shows a symbol";
}

struct OpenErrorRow {
    const char* what;
    const char* folder; // under the profile's root; "home" is the application directory
    const char* file;
    FileError error;
    const char* message; // what the user is told; empty: the program's own words
};
const OpenErrorRow kOpenErrorRows[] = {
    {"a folder where the list should be", "home", "stockdata.std", FileError::PathFileAccess, ""},
    {"no such folder", "no/such", "stockdata.std", FileError::PathNotFound, "That path doesn't exist."},
    {"a name no file may have", "home", "stock data.std", FileError::BadFileName, "That filename is illegal."},
};
class SymbolOpenErrorRows : public ::testing::TestWithParam<OpenErrorRow> { };
TEST_P(SymbolOpenErrorRows, SayWhy)
{
    const OpenErrorRow& c = GetParam();
    test::TestProfile profile;
    QDir().mkpath(profile.symbolFile()); // only the list's own name is taken
    SymbolCursor cursor;
    QString reason;
    EXPECT_EQ(cursor.OpenSymbolFile(profile.root() + u'/' + QLatin1String(c.folder), QLatin1String(c.file), &reason),
              c.error);
    EXPECT_FALSE(reason.isEmpty());
    EXPECT_FALSE(cursor.isOpen());
    EXPECT_EQ(fileErrorMessage(c.error), QLatin1String(c.message));
}
INSTANTIATE_TEST_SUITE_P(Lists, SymbolOpenErrorRows, ::testing::ValuesIn(kOpenErrorRows), test::rowName<OpenErrorRow>);

TEST(SymbolSave, WritesExactlyTheRows)
{
    test::TestProfile profile;
    profile.writeSymbols({{"OLD", "kept"}});
    EXPECT_EQ(SaveSymbolList(profile.appDir(), {{"IBM", "x"}, {"MSFT", "y"}}), std::nullopt);
    EXPECT_EQ(readFile(profile.symbolFile()).size(), 100);
    EXPECT_EQ(SaveSymbolList(profile.appDir(), {}), std::nullopt);
    EXPECT_EQ(readFile(profile.symbolFile()), QByteArray());
}

TEST(SymbolSave, AFolderThatIsNotThereIsToldInWords)
{
    test::TestProfile profile;
    EXPECT_NE(SaveSymbolList(profile.root() + u"/no/such"_s, {{"A", "b"}}).value_or(QString()), QString());
}

TEST(SymbolSave, AWriteThatFailsPartWayLeavesTheOldListWhole)
{
    test::TestProfile profile;
    profile.writeSymbols({{"OLD", "kept"}});
    const QByteArray before = readFile(profile.symbolFile());
    const QList<SymbolEntry> many(1000, SymbolEntry{u"NEW"_s, u"list"_s});
    // A limit on file sizes stops the write part way, as a full disk would.
    std::signal(SIGXFSZ, SIG_IGN);
    rlimit old{};
    ASSERT_EQ(::getrlimit(RLIMIT_FSIZE, &old), 0);
    rlimit small = old;
    small.rlim_cur = 4096;
    ASSERT_EQ(::setrlimit(RLIMIT_FSIZE, &small), 0);
    const std::optional<QString> why = SaveSymbolList(profile.appDir(), many);
    ::setrlimit(RLIMIT_FSIZE, &old);
    EXPECT_NE(why, std::nullopt);
    EXPECT_EQ(readFile(profile.symbolFile()), before);
}

// Run as a child process by the test below: saves lists until killed.
TEST(SymbolSaveChild, SavesUntilKilled)
{
    const QString dir = qEnvironmentVariable("QUOTERRA_TEST_SAVE_LIST");
    if (dir.isEmpty())
        GTEST_SKIP() << "run by AKilledSaveLeavesTheOldOrTheNewListWhole";
    const QList<SymbolEntry> small{{"A", "a"}};
    QList<SymbolEntry> large;
    for (int i = 0; i < 20000; ++i)
        large.append({QString::number(i), u"entry"_s});
    for (int i = 0;; ++i)
        SaveSymbolList(dir, i % 2 ? large : small);
}

TEST(SymbolSave, AKilledSaveLeavesTheOldOrTheNewListWhole)
{
    test::TestProfile profile;
    test::killWhileWriting(
        "QUOTERRA_TEST_SAVE_LIST", profile.appDir(), "SymbolSaveChild.*",
        [&] { return QFileInfo(profile.symbolFile()).size() > 0; }, 5,
        [&](int round) {
            const qint64 size = QFileInfo(profile.symbolFile()).size();
            EXPECT_TRUE(size == 50 || size == 20000 * 50) << "round " << round << ": " << size << " bytes";
        });
}

} // namespace
} // namespace quoterra
