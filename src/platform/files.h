#pragma once

#include <QByteArray>
#include <QString>

namespace quoterra {

// Files opened by number for fixed-length record access, the way the
// symbol list is read. Error numbers are the classic runtime file errors,
// so one routine can turn any of them into a message.
namespace files {

enum Error {
    kNone = 0,
    kBadFileNameOrNumber = 52,
    kBadFileMode = 54,
    kFileAlreadyOpen = 55,
    kDeviceIOError = 57,
    kInputPastEndOfFile = 62,
    kBadFileName = 64,
    kDeviceUnavailable = 68,
    kPermissionDenied = 70,
    kDiskNotReady = 71,
    kPathFileAccessError = 75,
    kPathNotFound = 76,
};

struct OpenResult {
    int fileNumber = 0; // 0 when the open failed
    int error = kNone;
    QString reason;     // the system's own words, for messages
};

// Opens `name` (relative to the current directory) for reading and writing
// with records of `recordLength` bytes; creates it empty when missing.
OpenResult openRandom(const QString& name, int recordLength);

qint64 length(int fileNumber);
// Record numbers count from 1. A record past the end reads as spaces.
QByteArray getRecord(int fileNumber, qint64 recordNumber);
bool putRecord(int fileNumber, qint64 recordNumber, const QByteArray& record);

void close(int fileNumber);
void closeAll();
bool isOpen(int fileNumber);

// The file error number the system's errno stands for.
int errorFromErrno(int err);

} // namespace files
} // namespace quoterra
