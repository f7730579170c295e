#pragma once

#include <QByteArray>
#include <QList>
#include <QString>

namespace quoterra {

// The user's list, stockdata.std in the application directory: a plain run
// of 50-byte records, a 10-byte ticker symbol then a 40-byte name, each
// Windows-1252 text padded with spaces. No header, no count.
inline constexpr int kRecordLength = 50;
inline constexpr int kSymbolWidth = 10;
inline constexpr int kNameWidth = 40;
inline const QString kSymbolFileName = QStringLiteral("stockdata.std");

struct SymbolEntry {
    QString TickerSymbol;
    QString SymbolName;
    bool operator==(const SymbolEntry&) const = default;
};

QByteArray encodeRecord(const SymbolEntry& entry);
SymbolEntry decodeRecord(const QByteArray& record);

// A reader over the file: the entry last read, trimmed.
struct SymbolCursor {
    int fileHandle = 0;
    qint32 CurrentIndex = 0;
    qint32 EntryCount = 0;
    QByteArray record;
    QString CurrentSymbol;
    QString CurrentName;
};

// Opens the file by name (relative to the current directory) with the given
// record length, creating it when missing; 0 when it cannot be opened.
int OpenSymbolFile(const QString& fileName, int recordLength);

enum class FileErrorAction { Retry, GiveUp };
// Shows the message for a file error and turns the answer into an action.
// `shown` tells whether the error was one with a message.
FileErrorAction ReportFileError(int errorCode, bool* shown = nullptr);
// The message a file error shows, empty when it has none.
QString fileErrorMessage(int errorCode);

// Opens stockdata.std on the cursor and reads its first entry. Gives up
// (and says why) when the file cannot be opened: the cursor then holds an
// empty list. Returns whether the file is open.
bool LoadSymbolFile(SymbolCursor& cursor);
void ResetCursor(SymbolCursor& cursor);
void ReadEntry(SymbolCursor& cursor);
// The next entry, from the last back to the first. With no entries the
// cursor shows no symbol.
void NextEntry(SymbolCursor& cursor);

// Replaces stockdata.std with `rows`, atomically: at every instant the file
// on disk is the whole old list or the whole new one. Once the new list is
// in place every open file is closed and `cursor` is left open on the new
// file. On failure the old file stays, every open file (the ticker's too)
// stays open, the user is told why, and false comes back.
bool SaveSymbolList(const QList<SymbolEntry>& rows, SymbolCursor& cursor);

} // namespace quoterra
