#pragma once

#include <QByteArray>
#include <QHash>
#include <QObject>
#include <QSet>
#include <QString>
#include <QTimer>

#include <optional>
#include <vector>

namespace quoterra {

// The settings file's text as a hive of keys and string values: a section
// per key named by its full path, `Name=Value` lines with `\\`, `\n` and `\r`
// escapes. Lines the program does not understand (comments, strays) are kept
// where they stand, byte for byte; bytes that are not UTF-8 read as
// Windows-1252. Key paths and value names compare without case. Parsing is
// linear in the size of the text.
class RegistryDocument {
public:
    static RegistryDocument parse(const QByteArray& bytes);
    QByteArray serialize() const;

    // A key exists when it has a section or a key below it does.
    bool hasKey(const QString& path) const;
    // Creates the key, written as its section even while it holds no value;
    // the keys above it exist through it. True when its section is new.
    bool createKey(const QString& path);
    const QString* value(const QString& key, const QString& name) const;
    // A value can only be set in an existing key.
    enum class SetResult { Unchanged, Changed, NoSuchKey };
    SetResult setValue(const QString& key, const QString& name, const QString& data);

private:
    struct Line {
        QByteArray raw; // kept as it was unless `name` is set
        QString name;   // a value line's name; empty for any other line
        QString data;
        bool edited = false; // written anew from name and data
    };
    struct Section {
        QString path;            // empty for the lines before the first section
        std::vector<Line> lines; // the header line first, except in the preamble
    };
    struct Place {
        int section = -1;
        int line = -1;
    };
    Section& newSection(const QString& path, const QByteArray& header);
    Section& appendSection(const QString& path);
    int lastSectionOf(const QString& path) const;

    std::vector<Section> sections_;
    QHash<QString, int> firstSection_; // folded path -> its first section
    QSet<QString> parents_;            // folded paths of keys above a section
    QHash<QString, Place> values_;     // folded "path\nname" -> the line that holds it
};

// The user's settings file as a live hive. Every read picks up a change
// another program made on disk; writes show at once in the program and reach
// the disk shortly after, replacing the file atomically (it is never seen
// half written), so a drag step never waits for the disk.
//
// A file that exists but cannot be read (no permission, a folder in its
// place, too large, an I/O error) is never written over: the program runs on
// what it holds in memory. Such a problem, and a file that cannot be stored,
// is reported once through `problem`.
class RegistryStore : public QObject {
    Q_OBJECT
public:
    static constexpr qint64 kLargestFile = qint64(16) << 20;
    static constexpr int kWriteDelayMs = 200;

    explicit RegistryStore(QString filePath, QObject* parent = nullptr);
    ~RegistryStore() override; // writes what is pending

    bool keyExists(const QString& key);
    void createKey(const QString& key);
    // Empty when the key or the value does not exist; `keyExists` tells which.
    std::optional<QString> value(const QString& key, const QString& name, bool* keyExists = nullptr);
    // False when the key does not exist.
    bool setValue(const QString& key, const QString& name, const QString& data);

    // Writes now what is pending.
    void flush();

signals:
    void problem(const QString& message);

private:
    struct Signature {
        bool exists = false;
        quint64 inode = 0;
        qint64 size = 0;
        qint64 mtimeNs = 0;
        qint64 ctimeNs = 0;
        bool operator==(const Signature&) const = default;
    };
    Signature onDisk() const;
    void sync();
    void changed();
    void tell(bool& told, const QString& message);

    const QString path_;
    RegistryDocument document_;
    Signature seen_;
    bool loaded_ = false;
    bool dirty_ = false;
    bool unreadable_ = false; // never written over while it stays so
    bool toldUnreadable_ = false;
    bool toldUnwritable_ = false;
    QTimer writeTimer_;
};

} // namespace quoterra
