#pragma once

#include <QByteArray>
#include <QByteArrayView>
#include <QObject>
#include <QSet>
#include <QString>
#include <QTimer>

#include <optional>
#include <utility>
#include <vector>

namespace quoterra {

// The settings file's text as a hive of keys and string values: a section
// per key named by its full path, `Name=Value` lines with `\\`, `\n` and `\r`
// escapes. Lines the program does not understand (comments, strays) are kept
// where they stand, byte for byte; bytes that are not UTF-8 read as
// Windows-1252. Key paths and value names compare without case. Parsing is
// linear in the size of the text.
//
// A large file costs little more than its own bytes: the text is kept as it
// was read, each line is a place in it, and names and values are decoded
// when asked for. Only the lines the program writes are held apart.
class RegistryDocument {
public:
    // Texts up to 4 GiB; the store reads at most 16 MiB.
    static RegistryDocument parse(const QByteArray& bytes);
    QByteArray serialize() const;

    // A key exists when it has a section or a key below it does.
    bool hasKey(const QString& path) const;
    // Creates the key, written as its section even while it holds no value;
    // the keys above it exist through it and get a section only once they
    // hold a value. True when its section is new.
    bool createKey(const QString& path);
    std::optional<QString> value(const QString& key, const QString& name) const;
    // A value can only be set in an existing key.
    enum class SetResult { Unchanged, Changed, NoSuchKey };
    SetResult setValue(const QString& key, const QString& name, const QString& data);
    // Every value of a key as (name, data), in the order of the file.
    std::vector<std::pair<QString, QString>> values(const QString& key) const;
    // Removes every line of the value; true when there was one.
    bool removeValue(const QString& key, const QString& name);

private:
    static constexpr quint32 kNone = 0xFFFFFFFF;
    // `size` bytes of the text from `at`, or, when `size` is kNone, the
    // written line `own_[at]`.
    struct Line {
        quint32 at = 0;
        quint32 size = 0;
    };
    struct OwnLine {
        QByteArray raw; // a header or a blank line, when `name` is empty
        QString name;   // a value line, written from its name and data
        QString data;
    };
    struct Section {
        quint32 header = kNone; // its line; kNone for the lines before the first section
        quint32 key = kNone;    // the first section of the same path, which names it; kNone when nameless
    };
    // An open-addressing table of (hash, line, section) entries; the caller
    // tells a true match from a collision.
    class Index {
    public:
        struct Entry {
            quint32 hash = 0;
            quint32 line = kNone; // kNone: an empty slot
            quint32 section = kNone;
        };
        // The entry of `hash` that `same` accepts.
        template <class Same> const Entry* find(size_t hash, const Same& same) const;
        // That entry, or a new one with `line` kNone for the caller to fill.
        template <class Same> Entry& findOrAdd(size_t hash, const Same& same);
        template <class Visit> void forEach(const Visit& visit);

    private:
        template <class Same> size_t slotOf(size_t hash, const Same& same) const;
        std::vector<Entry> slots_;
        size_t used_ = 0;
    };

    QByteArrayView bytesOf(const Line& line) const;
    QString textOf(const Line& line) const; // decoded, without its line end
    std::optional<QString> headerPath(const Line& line) const;
    QString nameOf(quint32 line) const; // of a value line
    QString dataOf(quint32 line) const;
    static size_t valueHash(quint32 section, const QString& foldedName);
    static size_t keyHash(const QString& foldedPath);
    quint32 sectionOf(const QString& path) const; // the section naming it, or kNone
    // The entry of `name` in the key that `section` names.
    const Index::Entry* findValue(quint32 section, const QString& name) const;
    bool sameValue(const Index::Entry& e, quint32 section, const QString& name) const;
    void addSection(quint32 header, const QString& path);
    quint32 appendSection(const QString& path); // at the end; its section
    bool blank(quint32 line) const;
    // A Name=Value line, in a section or not.
    bool holdsValue(quint32 line) const;
    // The text without the lines `skip` names.
    template <class Skip> QByteArray serialize(const Skip& skip) const;
    // Calls `visit` with each line but the section headers, and the key its
    // section names (kNone for none), in the order of the file.
    template <class Visit> void forEachLine(const Visit& visit) const;
    void insertLine(quint32 at, Line line);

    QByteArray text_;
    std::vector<Line> lines_;
    std::vector<OwnLine> own_;
    std::vector<Section> sections_;
    Index keys_;   // folded path -> the section that names it
    QSet<QString> parents_; // folded paths of the keys above a section
    Index values_; // (that section, folded name) -> the line that holds the value
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
    // Every value of a key as (name, data); none when the key does not exist.
    std::vector<std::pair<QString, QString>> values(const QString& key);
    void removeValue(const QString& key, const QString& name);

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
