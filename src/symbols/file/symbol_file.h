#pragma once

#include <QByteArray>
#include <QFile>
#include <QList>
#include <QString>

#include <optional>

namespace quoterra {

// The user's list, stockdata.std in the application directory: a plain run
// of 50-byte records, a 10-byte ticker symbol then a 40-byte name, each
// Windows-1252 text padded with spaces. No header, no count.
inline constexpr int kRecordLength = 50;
inline constexpr int kSymbolWidth = 10;
inline constexpr int kNameWidth = 40;
inline const QString kSymbolFileName = QStringLiteral("stockdata.std");
// The list's file in `directory`.
QString symbolFilePath(const QString& directory);

struct SymbolEntry {
    QString TickerSymbol;
    QString SymbolName;
    bool operator==(const SymbolEntry&) const = default;
};

QByteArray encodeRecord(const SymbolEntry& entry);
SymbolEntry decodeRecord(const QByteArray& record);
// Every whole record of a run of them; a short tail is no entry.
QList<SymbolEntry> decodeRecords(const QByteArray& bytes);

// Why the list could not be opened.
enum class FileError {
    None,
    BadFileName,       // the name is too long, or holds what no file name may
    FileAlreadyOpen,   // busy
    DeviceIO,          // full, or failing
    DeviceUnavailable, // gone for now: the user may try again
    DiskNotReady,
    PathNotFound,
    PathFileAccess, // anything else, access refused among it
};
// The message a file error shows; empty when it has none of its own.
QString fileErrorMessage(FileError error);

// A reader over the list that holds the file open: the entry last read,
// its symbol and name trimmed.
class SymbolCursor {
public:
    // Opens the list for reading and writing, creating it empty when missing
    // (for reading only when it may not be changed). Returns the file error,
    // FileError::None when open; `reason` gets the system's own words.
    FileError OpenSymbolFile(const QString& directory, const QString& fileName = kSymbolFileName, QString* reason = nullptr);
    bool isOpen() const { return file_.isOpen(); }
    void close() { file_.close(); }

    void ResetCursor();
    void ReadEntry();
    // The next entry, from the last back to the first. With no entries the
    // cursor holds no symbol.
    void NextEntry();
    // Every entry at once, as the Symbol Manager shows them.
    QList<SymbolEntry> entries();

    qint32 CurrentIndex = 0;
    qint32 EntryCount = 0;
    QString CurrentSymbol;
    QString CurrentName;

private:
    QFile file_;
};

// Replaces the list with `rows`, atomically: at every instant the file on
// disk is the whole old list or the whole new one. Returns why it failed,
// nothing when it succeeded; on failure the old list stays.
std::optional<QString> SaveSymbolList(const QString& directory, const QList<SymbolEntry>& rows);

} // namespace quoterra
