#include "symbol_file.h"

#include "core/codepage.h"

#include <QDir>
#include <QSaveFile>

#include <cerrno>
#include <cstring>
#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

namespace quoterra {

namespace {

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
    return !name.isEmpty();
}

FileError errorFromErrno(int err)
{
    switch (err) {
    case ENOENT:
    case ENOTDIR:
        return FileError::PathNotFound;
    case ENAMETOOLONG:
    case EINVAL:
        return FileError::BadFileName;
    case ENOSPC:
    case EDQUOT:
    case EIO:
        return FileError::DeviceIO;
    case EBUSY:
    case ETXTBSY:
        return FileError::FileAlreadyOpen;
    case ENXIO:
    case ENODEV:
    case ENOMEDIUM:
    case ESTALE:
    case EHOSTDOWN:
    case ETIMEDOUT:
        return FileError::DeviceUnavailable;
    case EAGAIN:
        return FileError::DiskNotReady;
    default:
        return FileError::PathFileAccess;
    }
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

QList<SymbolEntry> decodeRecords(const QByteArray& bytes)
{
    QList<SymbolEntry> list;
    list.reserve(bytes.size() / kRecordLength);
    for (qsizetype at = 0; at + kRecordLength <= bytes.size(); at += kRecordLength)
        list.append(decodeRecord(bytes.mid(at, kRecordLength)));
    return list;
}

QString fileErrorMessage(FileError error)
{
    switch (error) {
    case FileError::BadFileName:
        return QStringLiteral("That filename is illegal.");
    case FileError::FileAlreadyOpen:
        return QStringLiteral("That file is already open.");
    case FileError::DeviceIO:
        return QStringLiteral("The disk is full.");
    case FileError::DeviceUnavailable:
        return QStringLiteral("That device appears to be unavailable.");
    case FileError::DiskNotReady:
        return QStringLiteral("The disk is not ready.");
    case FileError::PathNotFound:
        return QStringLiteral("That path doesn't exist.");
    case FileError::None:
    case FileError::PathFileAccess:
        return {};
    }
    return {};
}

FileError SymbolCursor::OpenSymbolFile(const QString& directory, const QString& fileName, QString* reason)
{
    file_.close();
    if (!legalFileName(fileName)) {
        if (reason)
            *reason = QStringLiteral("the name holds a character files may not have");
        return FileError::BadFileName;
    }
    const QByteArray path = QFile::encodeName(QDir(directory).filePath(fileName));
    int fd = ::open(path.constData(), O_RDWR | O_CREAT | O_CLOEXEC, 0644);
    // A list the user may not change can still be read.
    if (fd < 0 && (errno == EACCES || errno == EROFS) && ::access(path.constData(), F_OK) == 0)
        fd = ::open(path.constData(), O_RDONLY | O_CLOEXEC);
    if (fd < 0) {
        const int err = errno;
        if (reason)
            *reason = QString::fromLocal8Bit(std::strerror(err));
        return errorFromErrno(err);
    }
    struct stat st { };
    if (::fstat(fd, &st) != 0 || !S_ISREG(st.st_mode)) {
        ::close(fd);
        if (reason)
            *reason = QStringLiteral("It is not a file");
        return FileError::PathFileAccess;
    }
    if (!file_.open(fd, QIODevice::ReadOnly, QFileDevice::AutoCloseHandle)) {
        ::close(fd);
        if (reason)
            *reason = file_.errorString();
        return FileError::PathFileAccess;
    }
    return FileError::None;
}

void SymbolCursor::ResetCursor()
{
    EntryCount = file_.isOpen() ? qint32(std::min<qint64>(file_.size() / kRecordLength, INT32_MAX)) : 0;
    CurrentIndex = 1;
    if (EntryCount >= 1)
        ReadEntry();
}

void SymbolCursor::ReadEntry()
{
    if (!file_.isOpen())
        return;
    // A record past the end reads as spaces.
    QByteArray record(kRecordLength, ' ');
    if (file_.seek(qint64(CurrentIndex - 1) * kRecordLength)) {
        const QByteArray got = file_.read(kRecordLength);
        record.replace(0, got.size(), got);
    }
    const SymbolEntry entry = decodeRecord(record);
    CurrentSymbol = entry.TickerSymbol;
    CurrentName = entry.SymbolName;
}

void SymbolCursor::NextEntry()
{
    if (EntryCount <= 0) {
        CurrentSymbol.clear();
        CurrentName.clear();
        return;
    }
    CurrentIndex = CurrentIndex >= EntryCount ? 1 : CurrentIndex + 1;
    ReadEntry();
}

QList<SymbolEntry> SymbolCursor::entries()
{
    if (!file_.isOpen() || !file_.seek(0))
        return {};
    return decodeRecords(file_.read(qint64(EntryCount) * kRecordLength));
}

QString symbolFilePath(const QString& directory)
{
    return QDir(directory).filePath(kSymbolFileName);
}

std::optional<QString> SaveSymbolList(const QString& directory, const QList<SymbolEntry>& rows)
{
    QByteArray bytes;
    bytes.reserve(rows.size() * kRecordLength);
    for (const SymbolEntry& row : rows)
        bytes += encodeRecord(row);
    QSaveFile file(symbolFilePath(directory));
    bool ok = file.open(QIODevice::WriteOnly);
    ok = ok && file.write(bytes) == bytes.size();
    ok = ok && file.commit();
    if (ok)
        return std::nullopt;
    const QString reason = file.errorString();
    file.cancelWriting();
    return reason.isEmpty() ? QStringLiteral("Unknown error") : reason;
}

} // namespace quoterra
