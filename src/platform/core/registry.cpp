#include "registry.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QSaveFile>

#include <sys/stat.h>
#include <unistd.h>

namespace quoterra {

// ---- RegistryStore --------------------------------------------------------

RegistryStore::RegistryStore(QString filePath, QObject* parent)
    : QObject(parent)
    , path_(QDir::cleanPath(QFileInfo(filePath).absoluteFilePath()))
{
    writeTimer_.setSingleShot(true);
    connect(&writeTimer_, &QTimer::timeout, this, &RegistryStore::flush);
}

RegistryStore::~RegistryStore()
{
    flush();
}

RegistryStore::Signature RegistryStore::onDisk() const
{
    struct stat st { };
    if (::stat(QFile::encodeName(path_).constData(), &st) != 0)
        return {};
    Signature s;
    s.exists = true;
    s.inode = st.st_ino;
    s.size = S_ISREG(st.st_mode) ? st.st_size : -1;
    s.mtimeNs = qint64(st.st_mtim.tv_sec) * 1000000000 + st.st_mtim.tv_nsec;
    s.ctimeNs = qint64(st.st_ctim.tv_sec) * 1000000000 + st.st_ctim.tv_nsec;
    return s;
}

void RegistryStore::tell(bool& told, const QString& message)
{
    if (told)
        return;
    told = true;
    emit problem(message);
}

// Our own unwritten changes win over the disk.
void RegistryStore::sync()
{
    if (dirty_)
        return;
    const Signature now = onDisk();
    if (loaded_ && now == seen_)
        return;
    loaded_ = true;
    seen_ = now;
    if (!now.exists) {
        document_ = {};
        unreadable_ = false;
        return;
    }
    QString why;
    QByteArray bytes;
    QFile file(path_);
    const QString tooLarge =
        QStringLiteral("It is larger than %1 MiB, far more than settings take.").arg(kLargestFile >> 20);
    if (now.size < 0)
        why = QStringLiteral("It is not a file.");
    else if (now.size > kLargestFile)
        why = tooLarge;
    else if (!file.open(QIODevice::ReadOnly))
        why = file.errorString() + u'.';
    else {
        // A buffer of the file's own size, which the document keeps: one
        // byte more tells a file that grew since it was looked at.
        bytes = QByteArray(now.size + 1, Qt::Uninitialized);
        const qint64 got = file.read(bytes.data(), bytes.size());
        bytes.truncate(std::max<qint64>(got, 0));
        if (got == now.size + 1)
            bytes += file.read(kLargestFile + 1 - got);
        if (file.error() != QFileDevice::NoError)
            why = file.errorString() + u'.';
        else if (bytes.size() > kLargestFile)
            why = tooLarge;
    }
    if (!why.isEmpty()) {
        unreadable_ = true;
        tell(toldUnreadable_,
             QStringLiteral("Quoterra cannot read its settings file\n%1\n\n%2\n\nIt runs on its default "
                            "settings and leaves the file as it is.")
                 .arg(path_, why));
        return;
    }
    unreadable_ = false;
    document_ = {}; // never two large documents at once
    document_ = RegistryDocument::parse(bytes);
}

void RegistryStore::changed()
{
    dirty_ = true;
    if (!writeTimer_.isActive())
        writeTimer_.start(kWriteDelayMs);
}

bool RegistryStore::keyExists(const QString& key)
{
    sync();
    return document_.hasKey(key);
}

void RegistryStore::createKey(const QString& key)
{
    sync();
    if (document_.createKey(key))
        changed();
}

std::optional<QString> RegistryStore::value(const QString& key, const QString& name, bool* keyExists)
{
    sync();
    if (keyExists)
        *keyExists = document_.hasKey(key);
    return document_.value(key, name);
}

bool RegistryStore::setValue(const QString& key, const QString& name, const QString& data)
{
    sync();
    switch (document_.setValue(key, name, data)) {
    case RegistryDocument::SetResult::NoSuchKey:
        return false;
    case RegistryDocument::SetResult::Changed:
        changed();
        break;
    case RegistryDocument::SetResult::Unchanged:
        break;
    }
    return true;
}

std::vector<std::pair<QString, QString>> RegistryStore::values(const QString& key)
{
    sync();
    return document_.values(key);
}

void RegistryStore::removeValue(const QString& key, const QString& name)
{
    sync();
    if (document_.removeValue(key, name))
        changed();
}

void RegistryStore::flush()
{
    writeTimer_.stop();
    if (!dirty_)
        return;
    dirty_ = false;
    // Made unreadable behind our back since we read it: leave it alone too.
    const Signature now = onDisk();
    if (now.exists && (now.size < 0 || ::access(QFile::encodeName(path_).constData(), R_OK) != 0))
        unreadable_ = true;
    if (unreadable_)
        return;
    const QByteArray text = document_.serialize();
    QDir().mkpath(QFileInfo(path_).absolutePath());
    QSaveFile file(path_);
    bool ok = file.open(QIODevice::WriteOnly);
    ok = ok && file.write(text) == text.size();
    ok = ok && file.commit();
    if (!ok) {
        tell(toldUnwritable_,
             QStringLiteral("Quoterra cannot save its settings to\n%1\n\n%2.\n\nChanges made now last "
                            "until Quoterra ends.")
                 .arg(path_, file.errorString()));
        return;
    }
    seen_ = onDisk();
}

} // namespace quoterra
