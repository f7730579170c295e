#include "files.h"

#include <QDir>

#include <cerrno>
#include <cstring>
#include <fcntl.h>
#include <map>
#include <sys/stat.h>
#include <unistd.h>

namespace quoterra::files {

namespace {

struct OpenFile {
    int fd = -1;
    int recordLength = 0;
};

std::map<int, OpenFile>& table()
{
    static std::map<int, OpenFile> t;
    return t;
}

int freeNumber()
{
    int n = 1;
    for (const auto& [number, file] : table()) {
        if (number != n)
            break;
        ++n;
    }
    return n;
}

} // namespace

int errorFromErrno(int err)
{
    switch (err) {
    case ENOENT:
    case ENOTDIR:
        return kPathNotFound;
    case EACCES:
    case EPERM:
    case EROFS:
    case EISDIR:
        return kPathFileAccessError;
    case ENAMETOOLONG:
    case EINVAL:
        return kBadFileNameOrNumber;
    case ENOSPC:
    case EDQUOT:
    case EIO:
        return kDeviceIOError;
    case EBUSY:
    case ETXTBSY:
        return kFileAlreadyOpen;
    case ENXIO:
    case ENODEV:
    case ENOMEDIUM:
    case ESTALE:
    case EHOSTDOWN:
    case ETIMEDOUT:
        return kDeviceUnavailable;
    case EAGAIN:
        return kDiskNotReady;
    default:
        return kPathFileAccessError;
    }
}

OpenResult openRandom(const QString& name, int recordLength)
{
    OpenResult result;
    if (recordLength <= 0 || name.isEmpty()) {
        result.error = kBadFileNameOrNumber;
        return result;
    }
    const QByteArray path = QFile::encodeName(name);
    int fd = ::open(path.constData(), O_RDWR | O_CREAT | O_CLOEXEC, 0644);
    // A list the user may not change can still be read.
    if (fd < 0 && (errno == EACCES || errno == EROFS) && ::access(path.constData(), F_OK) == 0)
        fd = ::open(path.constData(), O_RDONLY | O_CLOEXEC);
    if (fd < 0) {
        const int err = errno;
        result.error = errorFromErrno(err);
        result.reason = QString::fromLocal8Bit(std::strerror(err));
        return result;
    }
    struct stat st {};
    if (::fstat(fd, &st) == 0 && !S_ISREG(st.st_mode)) {
        ::close(fd);
        result.error = kPathFileAccessError;
        result.reason = QStringLiteral("not a regular file");
        return result;
    }
    const int number = freeNumber();
    table()[number] = OpenFile{fd, recordLength};
    result.fileNumber = number;
    return result;
}

bool isOpen(int fileNumber)
{
    return table().count(fileNumber) != 0;
}

qint64 length(int fileNumber)
{
    auto it = table().find(fileNumber);
    if (it == table().end())
        return 0;
    struct stat st {};
    return ::fstat(it->second.fd, &st) == 0 ? qint64(st.st_size) : 0;
}

QByteArray getRecord(int fileNumber, qint64 recordNumber)
{
    auto it = table().find(fileNumber);
    if (it == table().end() || recordNumber < 1)
        return {};
    const int len = it->second.recordLength;
    QByteArray record(len, ' ');
    const off_t offset = off_t(recordNumber - 1) * len;
    qint64 done = 0;
    while (done < len) {
        const ssize_t n = ::pread(it->second.fd, record.data() + done, size_t(len - done), offset + done);
        if (n < 0 && errno == EINTR)
            continue;
        if (n <= 0)
            break;
        done += n;
    }
    return record;
}

bool putRecord(int fileNumber, qint64 recordNumber, const QByteArray& record)
{
    auto it = table().find(fileNumber);
    if (it == table().end() || recordNumber < 1)
        return false;
    const int len = it->second.recordLength;
    QByteArray fixed = record.left(len);
    fixed.append(QByteArray(len - fixed.size(), ' '));
    const off_t offset = off_t(recordNumber - 1) * len;
    qint64 done = 0;
    while (done < len) {
        const ssize_t n = ::pwrite(it->second.fd, fixed.constData() + done, size_t(len - done), offset + done);
        if (n < 0 && errno == EINTR)
            continue;
        if (n <= 0)
            return false;
        done += n;
    }
    return true;
}

void close(int fileNumber)
{
    auto it = table().find(fileNumber);
    if (it == table().end())
        return;
    ::close(it->second.fd);
    table().erase(it);
}

void closeAll()
{
    for (auto& [number, file] : table())
        ::close(file.fd);
    table().clear();
}

} // namespace quoterra::files
