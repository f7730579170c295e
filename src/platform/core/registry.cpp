#include "registry.h"

#include "codepage.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QSaveFile>

#include <sys/stat.h>
#include <unistd.h>

namespace quoterra {

namespace {

QString unescape(QStringView raw)
{
    QString out;
    out.reserve(raw.size());
    for (qsizetype i = 0; i < raw.size(); ++i) {
        const QChar c = raw[i];
        if (c == u'\\' && i + 1 < raw.size()) {
            const QChar n = raw[i + 1];
            if (n == u'\\' || n == u'n' || n == u'r') {
                out += n == u'\\' ? u'\\' : n == u'n' ? u'\n' : u'\r';
                ++i;
                continue;
            }
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
        if (c == u'\\')
            out += QLatin1String("\\\\");
        else if (c == u'\n')
            out += QLatin1String("\\n");
        else if (c == u'\r')
            out += QLatin1String("\\r");
        else
            out += c;
    }
    return out;
}

QString valueKey(const QString& path, const QString& name)
{
    return path.toCaseFolded() + u'\n' + name.toCaseFolded();
}

} // namespace

RegistryDocument::Section& RegistryDocument::newSection(const QString& path, const QByteArray& header)
{
    sections_.push_back(Section{path, {Line{header, {}, {}, false}}});
    if (!path.isEmpty() && !firstSection_.contains(path.toCaseFolded()))
        firstSection_.insert(path.toCaseFolded(), int(sections_.size()) - 1);
    // Every key above it exists too, written or not.
    const QString folded = path.toCaseFolded();
    for (qsizetype at = folded.indexOf(u'\\'); at > 0; at = folded.indexOf(u'\\', at + 1))
        parents_.insert(folded.left(at));
    return sections_.back();
}

RegistryDocument::Section& RegistryDocument::appendSection(const QString& path)
{
    if (sections_.empty())
        sections_.push_back(Section{});
    // A blank line between sections, as a person would leave one.
    Section& last = sections_.back();
    const bool empty = sections_.size() == 1 && last.lines.empty();
    const Line* tail = last.lines.empty() ? nullptr : &last.lines.back();
    if (!empty && tail && (!tail->raw.trimmed().isEmpty() || !tail->name.isEmpty()))
        last.lines.push_back(Line{});
    return newSection(path, (u'[' + path + u']').toUtf8());
}

RegistryDocument RegistryDocument::parse(const QByteArray& bytes)
{
    RegistryDocument doc;
    doc.sections_.push_back(Section{}); // the lines before the first section
    const bool utf8 = bytes.isValidUtf8();
    bool live = false;  // the current section can hold values
    QString foldedPath; // of the current section, for the value index
    doc.values_.reserve(bytes.count('\n') + 1);
    qsizetype start = 0;
    while (start < bytes.size()) {
        qsizetype end = bytes.indexOf('\n', start);
        if (end < 0)
            end = bytes.size();
        const QByteArray raw = bytes.mid(start, end - start);
        start = end + 1;

        QByteArrayView content(raw);
        if (content.endsWith('\r'))
            content.chop(1);
        const QString text =
            utf8 || content.isValidUtf8() ? QString::fromUtf8(content) : fromWindows1252(content.toByteArray());
        Section* section = &doc.sections_.back();

        const QStringView trimmed = QStringView(text).trimmed();
        if (trimmed.size() >= 2 && trimmed.front() == u'[' && trimmed.back() == u']') {
            const QString path = trimmed.mid(1, trimmed.size() - 2).toString();
            // A nameless section holds nothing the program can read.
            doc.newSection(path, raw);
            live = !path.isEmpty();
            foldedPath = path.toCaseFolded();
            continue;
        }
        const qsizetype eq = text.indexOf(u'=');
        if (!live || eq <= 0) {
            section->lines.push_back(Line{raw, {}, {}, false});
            continue;
        }
        const QString name = text.left(eq);
        // A name given twice reads as its last line.
        doc.values_.insert(foldedPath + u'\n' + name.toCaseFolded(),
                           Place{int(doc.sections_.size()) - 1, int(section->lines.size())});
        section->lines.push_back(Line{raw, name, unescape(QStringView(text).mid(eq + 1)), false});
    }
    return doc;
}

QByteArray RegistryDocument::serialize() const
{
    QByteArray out;
    for (const Section& section : sections_) {
        for (const Line& line : section.lines) {
            out += line.edited ? (line.name + u'=' + escape(line.data)).toUtf8() : line.raw;
            out += '\n';
        }
    }
    return out;
}

bool RegistryDocument::hasKey(const QString& path) const
{
    const QString folded = path.toCaseFolded();
    return firstSection_.contains(folded) || parents_.contains(folded);
}

bool RegistryDocument::createKey(const QString& path)
{
    // The key gets its section, empty or not; its parents are implied by it
    // and get one only once they hold a value.
    const QString clean = path.split(u'\\', Qt::SkipEmptyParts).join(u'\\');
    if (clean.isEmpty() || firstSection_.contains(clean.toCaseFolded()))
        return false;
    appendSection(clean);
    return true;
}

const QString* RegistryDocument::value(const QString& key, const QString& name) const
{
    const auto it = values_.constFind(valueKey(key, name));
    if (it == values_.constEnd())
        return nullptr;
    return &sections_[size_t(it->section)].lines[size_t(it->line)].data;
}

RegistryDocument::SetResult RegistryDocument::setValue(const QString& key, const QString& name, const QString& data)
{
    const auto found = values_.find(valueKey(key, name));
    if (found != values_.end()) {
        Line& line = sections_[size_t(found->section)].lines[size_t(found->line)];
        if (line.data == data)
            return SetResult::Unchanged;
        line.data = data;
        line.edited = true;
        return SetResult::Changed;
    }
    auto section = firstSection_.constFind(key.toCaseFolded());
    if (section == firstSection_.constEnd()) {
        if (!parents_.contains(key.toCaseFolded()))
            return SetResult::NoSuchKey;
        appendSection(key);
        section = firstSection_.constFind(key.toCaseFolded());
    }
    // New values go after the section's last value, ahead of the blank lines
    // that part it from the next one.
    const int s = *section;
    std::vector<Line>& lines = sections_[size_t(s)].lines;
    int at = int(lines.size());
    while (at > 1 && lines[size_t(at - 1)].raw.trimmed().isEmpty() && lines[size_t(at - 1)].name.isEmpty())
        --at;
    for (Place& place : values_) {
        if (place.section == s && place.line >= at)
            ++place.line;
    }
    lines.insert(lines.begin() + at, Line{{}, name, data, true});
    values_.insert(valueKey(key, name), Place{s, at});
    return SetResult::Changed;
}

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
    if (now.size < 0)
        why = QStringLiteral("It is not a file.");
    else if (now.size > kLargestFile)
        why = QStringLiteral("It is larger than %1 MiB, far more than settings take.").arg(kLargestFile >> 20);
    else if (!file.open(QIODevice::ReadOnly))
        why = file.errorString() + u'.';
    else {
        bytes = file.read(kLargestFile + 1);
        if (file.error() != QFileDevice::NoError)
            why = file.errorString() + u'.';
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
    if (const QString* v = document_.value(key, name))
        return *v;
    return std::nullopt;
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
