#include "symbol_file.h"

#include "platform/codepage.h"
#include "platform/files.h"
#include "platform/msgbox.h"
#include "platform/paths.h"

#include <QDir>
#include <QSaveFile>

namespace quoterra {

namespace {

const QString kFileErrorTitle = QStringLiteral("File Error");

struct OpenFailure {
    int error = 0;
    QString reason;
};
OpenFailure g_lastFailure;

QByteArray field(const QString& text, int width)
{
    QByteArray bytes = toWindows1252(text).left(width);
    bytes.append(QByteArray(width - bytes.size(), ' '));
    return bytes;
}

QString trimSpaces(const QString& text)
{
    qsizetype begin = 0;
    qsizetype end = text.size();
    while (begin < end && text[begin] == u' ')
        ++begin;
    while (end > begin && text[end - 1] == u' ')
        --end;
    return text.mid(begin, end - begin);
}

bool legalFileName(const QString& name)
{
    static const QString illegal = QStringLiteral(";<=>?[*] ");
    for (const QChar c : name) {
        if (illegal.contains(c))
            return false;
    }
    return true;
}

} // namespace

QByteArray encodeRecord(const SymbolEntry& entry)
{
    return field(entry.TickerSymbol, kSymbolWidth) + field(entry.SymbolName, kNameWidth);
}

SymbolEntry decodeRecord(const QByteArray& record)
{
    return SymbolEntry{trimSpaces(fromWindows1252(record.left(kSymbolWidth))),
                       trimSpaces(fromWindows1252(record.mid(kSymbolWidth, kNameWidth)))};
}

QString fileErrorMessage(int errorCode)
{
    switch (errorCode) {
    case 52: return QStringLiteral("That filename is illegal.");
    case 54: return QStringLiteral("Can't open your file for that type of access.");
    case 55: return QStringLiteral("That file is already open.");
    case 57: return QStringLiteral("The disk is full.");
    case 62:
        return QStringLiteral("This file has a nonstandard end-of-file marker,")
            + QStringLiteral("or an attempt was made to read beyond ")
            + QStringLiteral("the end-of-file marker.");
    case 64: return QStringLiteral("That filename is illegal.");
    case 68: return QStringLiteral("That device appears to be unavailable.");
    case 71: return QStringLiteral("The disk is not ready.");
    case 76: return QStringLiteral("That path doesn't exist.");
    default: return {};
    }
}

FileErrorAction ReportFileError(int errorCode, bool* shown)
{
    const QString message = fileErrorMessage(errorCode);
    if (shown)
        *shown = !message.isEmpty();
    if (message.isEmpty())
        return FileErrorAction::GiveUp;
    const int buttons = errorCode == 68 ? vbRetryCancel : vbOKOnly;
    const int answer = MsgBox(message, vbExclamation + buttons, kFileErrorTitle);
    return answer == vbRetry ? FileErrorAction::Retry : FileErrorAction::GiveUp;
}

int OpenSymbolFile(const QString& fileName, int recordLength)
{
    g_lastFailure = {};
    if (!legalFileName(fileName)) {
        g_lastFailure = {files::kBadFileName, QStringLiteral("the name holds a character files may not have")};
        bool shown = false;
        ReportFileError(files::kBadFileName, &shown);
        return 0;
    }
    for (;;) {
        const files::OpenResult result = files::openRandom(fileName, recordLength);
        if (result.fileNumber != 0)
            return result.fileNumber;
        g_lastFailure = {result.error, result.reason};
        bool shown = false;
        if (ReportFileError(result.error, &shown) != FileErrorAction::Retry) {
            // Errors without a message of their own still deserve one.
            if (!shown) {
                MsgBox(QStringLiteral("Quoterra cannot open its symbol list\n%1\n\n%2.")
                           .arg(QDir::current().absoluteFilePath(fileName), result.reason),
                       vbExclamation, kFileErrorTitle);
            }
            return 0;
        }
    }
}

bool LoadSymbolFile(SymbolCursor& cursor)
{
    cursor.fileHandle = 0;
    cursor.fileHandle = OpenSymbolFile(kSymbolFileName, kRecordLength);
    ResetCursor(cursor);
    return cursor.fileHandle != 0;
}

void ResetCursor(SymbolCursor& cursor)
{
    cursor.EntryCount = cursor.fileHandle != 0
        ? qint32(std::min<qint64>(files::length(cursor.fileHandle) / kRecordLength, INT32_MAX))
        : 0;
    cursor.CurrentIndex = 1;
    if (cursor.EntryCount >= 1)
        ReadEntry(cursor);
}

void ReadEntry(SymbolCursor& cursor)
{
    if (cursor.fileHandle == 0)
        return;
    cursor.record = files::getRecord(cursor.fileHandle, cursor.CurrentIndex);
    const SymbolEntry entry = decodeRecord(cursor.record);
    cursor.CurrentSymbol = entry.TickerSymbol;
    cursor.CurrentName = entry.SymbolName;
}

void NextEntry(SymbolCursor& cursor)
{
    if (cursor.EntryCount <= 0) {
        cursor.CurrentSymbol.clear();
        cursor.CurrentName.clear();
        return;
    }
    if (cursor.CurrentIndex >= cursor.EntryCount)
        cursor.CurrentIndex = 1;
    else
        ++cursor.CurrentIndex;
    ReadEntry(cursor);
}

bool SaveSymbolList(const QList<SymbolEntry>& rows, SymbolCursor& cursor)
{
    const QString path = applicationDirectory() + QLatin1Char('/') + kSymbolFileName;
    QByteArray bytes;
    bytes.reserve(rows.size() * kRecordLength);
    for (const SymbolEntry& row : rows)
        bytes += encodeRecord(row);

    QSaveFile file(path);
    bool ok = file.open(QIODevice::WriteOnly);
    ok = ok && file.write(bytes) == bytes.size();
    ok = ok && file.commit();
    if (!ok) {
        // Every open file stays open: the ticker reads on from the old list.
        const QString reason = file.errorString();
        file.cancelWriting();
        MsgBox(QStringLiteral("Quoterra could not save the symbol list to\n%1\n\n%2.\n\nThe list on disk is unchanged.")
                   .arg(path, reason),
               vbExclamation, kFileErrorTitle);
        return false;
    }

    // Readers still hold the replaced list; they open the new one afresh.
    files::closeAll();
    cursor.fileHandle = 0;
    makeApplicationDirectoryCurrent();
    LoadSymbolFile(cursor);
    return true;
}

} // namespace quoterra
