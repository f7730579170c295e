// The symbol list file: its records, its readers and its atomic save.
#include "test_support.h"

#include "symbols/file/symbol_file.h"

namespace quoterra {
namespace {

using test::readFile;

TEST(SymbolRecords, AreFiftyBytesOfPaddedWindows1252ReadBackTrimmed)
{
    struct Case {
        SymbolEntry entry;
        QByteArray record;
        std::optional<SymbolEntry> back = {}; // when not the entry itself
    } cases[] = {
        {{"IBM", "International Business Machines"}, "IBM       International Business Machines         "},
        {{"S&P 500", "S&P 500 Index"}, "S&P 500   S&P 500 Index                           "},
        {{"TWELVECHARS!", QString(45, u'n')}, "TWELVECHAR" + QByteArray(40, 'n'), {{"TWELVECHAR", QString(40, u'n')}}},
        {{"  PAD ", "Soci\u00e9t\u00e9 \u20ac"},
         "  PAD     Soci\xe9t\xe9 \x80" + QByteArray(31, ' '),
         {{"PAD", QString::fromUtf8("Soci\u00e9t\u00e9 \u20ac")}}},
        {{"", ""}, QByteArray(50, ' ')},
    };
    for (const Case& c : cases) {
        EXPECT_EQ(encodeRecord(c.entry), c.record) << c.entry.TickerSymbol.toStdString();
        EXPECT_EQ(decodeRecord(c.record), c.back.value_or(c.entry));
    }
}

TEST(SymbolCursor, CyclesFromTheLastBackToTheFirstAndIgnoresAPartRecord)
{
    test::TestProfile profile;
    profile.writeSymbols({{"A", "first"}, {"B", "second"}});
    QFile f(profile.symbolFile());
    ASSERT_TRUE(f.open(QIODevice::Append));
    f.write(QByteArray(49, 'x')); // 149 bytes: two entries
    f.close();

    SymbolCursor cursor;
    ASSERT_EQ(cursor.OpenSymbolFile(profile.appDir()), FileError::None);
    cursor.ResetCursor();
    EXPECT_EQ(cursor.EntryCount, 2);
    QStringList seen{cursor.CurrentSymbol};
    for (int i = 0; i < 4; ++i) {
        cursor.NextEntry();
        seen << cursor.CurrentSymbol;
    }
    EXPECT_EQ(seen, (QStringList{"A", "B", "A", "B", "A"}));
    EXPECT_EQ(cursor.entries(), (QList<SymbolEntry>{{"A", "first"}, {"B", "second"}}));
}

TEST(SymbolCursor, AMissingListIsCreatedEmptyAndWhatCannotBeOpenedSaysWhy)
{
    test::TestProfile profile;
    SymbolCursor cursor;
    cursor.CurrentSymbol = u"OLD"_s;
    ASSERT_EQ(cursor.OpenSymbolFile(profile.appDir()), FileError::None);
    cursor.ResetCursor();
    EXPECT_TRUE(QFileInfo::exists(profile.symbolFile()));
    EXPECT_EQ(cursor.EntryCount, 0);
    EXPECT_EQ(cursor.CurrentSymbol, u"OLD"_s);
    cursor.NextEntry();
    EXPECT_EQ(cursor.CurrentSymbol, QString());

    QFile::remove(profile.symbolFile());
    QDir().mkpath(profile.symbolFile()); // a folder where the list should be
    QString reason;
    EXPECT_EQ(cursor.OpenSymbolFile(profile.appDir(), kSymbolFileName, &reason), FileError::PathFileAccess);
    EXPECT_FALSE(reason.isEmpty());
    EXPECT_EQ(cursor.OpenSymbolFile(profile.root() + u"/no/such"_s, kSymbolFileName), FileError::PathNotFound);
    EXPECT_EQ(cursor.OpenSymbolFile(profile.appDir(), u"stock data.std"_s), FileError::BadFileName);
    EXPECT_EQ(fileErrorMessage(FileError::PathNotFound), u"That path doesn't exist."_s);
    EXPECT_EQ(fileErrorMessage(FileError::PathFileAccess), QString());
}

TEST(SymbolSave, WritesExactlyTheRowsAndAFailureLeavesTheOldList)
{
    test::TestProfile profile;
    profile.writeSymbols({{"OLD", "kept"}});
    EXPECT_EQ(SaveSymbolList(profile.appDir(), {{"IBM", "x"}, {"MSFT", "y"}}), std::nullopt);
    EXPECT_EQ(readFile(profile.symbolFile()).size(), 100);
    EXPECT_EQ(SaveSymbolList(profile.appDir(), {}), std::nullopt);
    EXPECT_EQ(readFile(profile.symbolFile()), QByteArray());
    EXPECT_NE(SaveSymbolList(profile.root() + u"/no/such"_s, {{"A", "b"}}), std::nullopt);
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
