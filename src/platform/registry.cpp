#include "registry.h"

#include "paths.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QSaveFile>

#include <cstdlib>
#include <map>
#include <string>
#include <sys/stat.h>

namespace quoterra {

namespace {

std::mutex& storesMutex()
{
    static std::mutex m;
    return m;
}

std::map<QString, std::shared_ptr<RegistryStore>>& stores()
{
    static std::map<QString, std::shared_ptr<RegistryStore>> s;
    return s;
}

QString unescape(QStringView raw)
{
    QString out;
    out.reserve(raw.size());
    for (qsizetype i = 0; i < raw.size(); ++i) {
        const QChar c = raw[i];
        if (c == u'\\' && i + 1 < raw.size()) {
            const QChar n = raw[i + 1];
            if (n == u'\\') { out += u'\\'; ++i; continue; }
            if (n == u'n') { out += u'\n'; ++i; continue; }
            if (n == u'r') { out += u'\r'; ++i; continue; }
        }
        out += c;
    }
    return out;
}

QString escape(const QString& data)
{
    QString out;
    out.reserve(data.size());
    for (const QChar c : data) {
        if (c == u'\\') out += QLatin1String("\\\\");
        else if (c == u'\n') out += QLatin1String("\\n");
        else if (c == u'\r') out += QLatin1String("\\r");
        else out += c;
    }
    return out;
}

bool samePath(const QString& a, const QString& b)
{
    return a.compare(b, Qt::CaseInsensitive) == 0;
}

} // namespace

std::shared_ptr<RegistryStore> RegistryStore::open(const QString& filePath)
{
    const QString canonical = QDir::cleanPath(QFileInfo(filePath).absoluteFilePath());
    std::lock_guard lock(storesMutex());
    auto& slot = stores()[canonical];
    if (!slot)
        slot.reset(new RegistryStore(canonical));
    return slot;
}

std::shared_ptr<RegistryStore> RegistryStore::current()
{
    // Settings are read at every mouse move of a drag: resolve the file's
    // path only when the environment that names it has changed.
    thread_local std::string seenConfig, seenHome;
    thread_local std::shared_ptr<RegistryStore> cached;
    const char* config = std::getenv("XDG_CONFIG_HOME");
    const char* home = std::getenv("HOME");
    if (cached && seenConfig == (config ? config : "") && seenHome == (home ? home : ""))
        return cached;
    seenConfig = config ? config : "";
    seenHome = home ? home : "";
    cached = open(registryFilePath());
    return cached;
}

void RegistryStore::flushAll()
{
    std::vector<std::shared_ptr<RegistryStore>> all;
    {
        std::lock_guard lock(storesMutex());
        for (auto& [path, store] : stores())
            all.push_back(store);
    }
    for (auto& store : all)
        store->flush();
}

RegistryStore::RegistryStore(QString path)
    : path_(std::move(path))
{
}

RegistryStore::~RegistryStore()
{
    {
        std::lock_guard lock(mutex_);
        stopping_ = true;
    }
    changed_.notify_all();
    if (writer_.joinable())
        writer_.join();
}

RegistryStore::Signature RegistryStore::signatureOnDisk() const
{
    struct stat st {};
    if (::stat(QFile::encodeName(path_).constData(), &st) != 0)
        return {};
    Signature s;
    s.exists = true;
    s.inode = st.st_ino;
    s.size = st.st_size;
    s.mtimeNs = qint64(st.st_mtim.tv_sec) * 1000000000 + st.st_mtim.tv_nsec;
    s.ctimeNs = qint64(st.st_ctim.tv_sec) * 1000000000 + st.st_ctim.tv_nsec;
    return s;
}

// Called with the mutex held. Our own unwritten changes win over the disk.
void RegistryStore::syncFromDisk()
{
    if (dirty_ || writing_)
        return;
    const Signature now = signatureOnDisk();
    if (loaded_ && now == seen_)
        return;
    loaded_ = true;
    seen_ = now;
    if (!now.exists) {
        keys_.clear();
        return;
    }
    QFile file(path_);
    if (!file.open(QIODevice::ReadOnly)) {
        keys_.clear();
        return;
    }
    keys_ = parse(file.readAll());
}

RegistryStore::Key* RegistryStore::findKey(const QString& path)
{
    for (auto& key : keys_) {
        if (samePath(key.path, path))
            return &key;
    }
    return nullptr;
}

RegistryStore::Key& RegistryStore::ensureKey(const QString& path)
{
    if (Key* key = findKey(path))
        return *key;
    keys_.push_back(Key{path, {}});
    return keys_.back();
}

bool RegistryStore::keyExists(const QString& key)
{
    std::lock_guard lock(mutex_);
    syncFromDisk();
    return findKey(key) != nullptr;
}

void RegistryStore::createKey(const QString& key)
{
    if (key.isEmpty())
        return;
    std::unique_lock lock(mutex_);
    syncFromDisk();
    bool created = false;
    const QStringList parts = key.split(u'\\', Qt::SkipEmptyParts);
    QString path;
    for (const QString& part : parts) {
        path = path.isEmpty() ? part : path + u'\\' + part;
        if (!findKey(path)) {
            ensureKey(path);
            created = true;
        }
    }
    if (created)
        markDirty();
    lock.unlock();
    changed_.notify_all();
}

std::optional<QString> RegistryStore::value(const QString& key, const QString& name, bool* keyExists)
{
    std::lock_guard lock(mutex_);
    syncFromDisk();
    const Key* k = findKey(key);
    if (keyExists)
        *keyExists = k != nullptr;
    if (!k)
        return std::nullopt;
    for (const auto& v : k->values) {
        if (samePath(v.name, name))
            return v.data;
    }
    return std::nullopt;
}

bool RegistryStore::setValue(const QString& key, const QString& name, const QString& data)
{
    std::unique_lock lock(mutex_);
    syncFromDisk();
    Key* k = findKey(key);
    if (!k)
        return false;
    bool changed = true;
    auto it = std::find_if(k->values.begin(), k->values.end(),
                           [&](const Value& v) { return samePath(v.name, name); });
    if (it == k->values.end()) {
        k->values.push_back(Value{name, data});
    } else if (it->data == data) {
        changed = false;
    } else {
        it->data = data;
    }
    if (changed) {
        markDirty();
        lock.unlock();
        changed_.notify_all();
    }
    return true;
}

// Called with the mutex held.
void RegistryStore::markDirty()
{
    dirty_ = true;
    if (!writer_.joinable())
        writer_ = std::thread([this] { writerLoop(); });
}

void RegistryStore::writerLoop()
{
    std::unique_lock lock(mutex_);
    for (;;) {
        changed_.wait(lock, [this] { return dirty_ || stopping_; });
        if (!dirty_)
            return;
        const QByteArray text = serialize(keys_);
        dirty_ = false;
        writing_ = true;
        lock.unlock();

        QDir().mkpath(QFileInfo(path_).absolutePath());
        QSaveFile file(path_);
        bool ok = file.open(QIODevice::WriteOnly);
        ok = ok && file.write(text) == text.size();
        ok = ok && file.commit();
        const Signature written = signatureOnDisk();

        lock.lock();
        writeFailed_ = !ok;
        seen_ = written;
        writing_ = false;
        changed_.notify_all();
    }
}

void RegistryStore::flush()
{
    std::unique_lock lock(mutex_);
    changed_.wait(lock, [this] { return !dirty_ && !writing_; });
}

bool RegistryStore::lastWriteFailed()
{
    std::lock_guard lock(mutex_);
    return writeFailed_;
}

std::vector<RegistryStore::Key> RegistryStore::parse(const QByteArray& bytes)
{
    std::vector<Key> keys;
    Key* current = nullptr;
    const QString text = QString::fromUtf8(bytes);
    for (QStringView line : QStringView(text).split(u'\n')) {
        if (line.endsWith(u'\r'))
            line.chop(1);
        if (line.size() >= 2 && line.front() == u'[' && line.back() == u']') {
            const QString path = line.mid(1, line.size() - 2).toString();
            current = nullptr;
            if (path.isEmpty())
                continue;
            for (auto& k : keys) {
                if (samePath(k.path, path))
                    current = &k;
            }
            if (!current) {
                keys.push_back(Key{path, {}});
                current = &keys.back();
            }
            continue;
        }
        const qsizetype eq = line.indexOf(u'=');
        if (!current || eq <= 0)
            continue;
        const QString name = line.left(eq).toString();
        const QString data = unescape(line.mid(eq + 1));
        auto it = std::find_if(current->values.begin(), current->values.end(),
                               [&](const Value& v) { return samePath(v.name, name); });
        if (it == current->values.end())
            current->values.push_back(Value{name, data});
        else
            it->data = data;
    }
    return keys;
}

QByteArray RegistryStore::serialize(const std::vector<Key>& keys)
{
    QString out;
    bool first = true;
    for (const auto& key : keys) {
        if (!first)
            out += u'\n';
        first = false;
        out += u'[' + key.path + QLatin1String("]\n");
        for (const auto& v : key.values)
            out += v.name + u'=' + escape(v.data) + u'\n';
    }
    return out.toUtf8();
}

} // namespace quoterra
