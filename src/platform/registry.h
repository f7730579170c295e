#pragma once

#include <QString>

#include <condition_variable>
#include <memory>
#include <mutex>
#include <optional>
#include <thread>
#include <vector>

namespace quoterra {

// A hive of keys holding named string values, kept in one INI-style file:
// a section per key named by its full path, `Name=Value` lines with `\\`,
// `\n` and `\r` escapes, lines that do not parse skipped.
//
// Every handle on the same file shares one store, so a write is seen at once
// by every reader in the process. The file is replaced atomically by a
// writer thread, so callers never wait on the disk; flush() waits for it.
// A change another process makes to the file is picked up at the next call.
class RegistryStore {
public:
    static std::shared_ptr<RegistryStore> open(const QString& filePath);
    // The user's registry file, resolved from the environment at each call.
    static std::shared_ptr<RegistryStore> current();
    // Waits until every store has written what it holds.
    static void flushAll();

    ~RegistryStore();
    RegistryStore(const RegistryStore&) = delete;
    RegistryStore& operator=(const RegistryStore&) = delete;

    QString filePath() const { return path_; }

    bool keyExists(const QString& key);
    // Creates the key and every parent it lacks.
    void createKey(const QString& key);
    // Empty when the key or the value does not exist; `keyExists` tells which.
    std::optional<QString> value(const QString& key, const QString& name, bool* keyExists = nullptr);
    // A value can only be set in an existing key; false otherwise.
    bool setValue(const QString& key, const QString& name, const QString& data);

    void flush();
    // True when the last attempt to write the file failed (read-only folder, full disk).
    bool lastWriteFailed();

    // The file format, exposed for tests and fuzzing.
    struct Value {
        QString name;
        QString data;
    };
    struct Key {
        QString path;
        std::vector<Value> values;
    };
    static std::vector<Key> parse(const QByteArray& text);
    static QByteArray serialize(const std::vector<Key>& keys);

private:
    explicit RegistryStore(QString path);

    struct Signature {
        bool exists = false;
        quint64 inode = 0;
        qint64 size = 0;
        qint64 mtimeNs = 0;
        qint64 ctimeNs = 0;
        bool operator==(const Signature&) const = default;
    };
    Signature signatureOnDisk() const;
    void syncFromDisk();
    Key* findKey(const QString& path);
    Key& ensureKey(const QString& path);
    void markDirty();
    void writerLoop();

    const QString path_;
    std::mutex mutex_;
    std::condition_variable changed_;
    std::vector<Key> keys_;
    Signature seen_;
    bool loaded_ = false;
    bool dirty_ = false;
    bool writing_ = false;
    bool stopping_ = false;
    bool writeFailed_ = false;
    std::thread writer_;
};

} // namespace quoterra
