#include "registry.h"

#include "codepage.h"

#include <QHashFunctions>

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

QByteArrayView withoutCarriageReturn(QByteArrayView bytes)
{
    return bytes.endsWith('\r') ? bytes.chopped(1) : bytes;
}

// A line is UTF-8 when all of it is; otherwise every byte is one
// Windows-1252 character.
QString decode(QByteArrayView bytes, bool utf8)
{
    return utf8 ? QString::fromUtf8(bytes) : fromWindows1252(bytes);
}

// The path of a section header, "[path]" with blanks around it.
std::optional<QStringView> bracketed(QStringView text)
{
    const QStringView trimmed = text.trimmed();
    if (trimmed.size() < 2 || trimmed.front() != u'[' || trimmed.back() != u']')
        return std::nullopt;
    return trimmed.sliced(1, trimmed.size() - 2);
}

} // namespace

// ---- Index ------------------------------------------------------------------

template <class Same> size_t RegistryDocument::Index::slotOf(size_t hash, const Same& same) const
{
    const size_t mask = slots_.size() - 1;
    for (size_t i = hash & mask;; i = (i + 1) & mask) {
        const Entry& e = slots_[i];
        if (e.line == kNone || (e.hash == quint32(hash) && same(e)))
            return i;
    }
}

template <class Same> const RegistryDocument::Index::Entry* RegistryDocument::Index::find(size_t hash,
                                                                                        const Same& same) const
{
    if (slots_.empty())
        return nullptr;
    const Entry& e = slots_[slotOf(hash, same)];
    return e.line == kNone ? nullptr : &e;
}

template <class Same> RegistryDocument::Index::Entry& RegistryDocument::Index::findOrAdd(size_t hash,
                                                                                       const Same& same)
{
    // At most three quarters full, so a search soon meets an empty slot.
    if ((used_ + 1) * 4 > slots_.size() * 3) {
        std::vector<Entry> old(std::max<size_t>(16, slots_.size() * 2));
        old.swap(slots_);
        const size_t mask = slots_.size() - 1;
        for (const Entry& e : old) {
            if (e.line == kNone)
                continue;
            size_t i = e.hash & mask; // the low bits of the hash are all a slot needs
            while (slots_[i].line != kNone)
                i = (i + 1) & mask;
            slots_[i] = e;
        }
    }
    Entry& e = slots_[slotOf(hash, same)];
    if (e.line == kNone) {
        e.hash = quint32(hash);
        ++used_;
    }
    return e;
}

template <class Visit> void RegistryDocument::Index::forEach(const Visit& visit)
{
    for (Entry& e : slots_)
        if (e.line != kNone)
            visit(e);
}

// ---- reading lines ------------------------------------------------------------

QByteArrayView RegistryDocument::bytesOf(const Line& line) const
{
    return line.size == kNone ? QByteArrayView(own_[line.at].raw) : QByteArrayView(text_).sliced(line.at, line.size);
}

QString RegistryDocument::textOf(const Line& line) const
{
    const QByteArrayView content = withoutCarriageReturn(bytesOf(line));
    return decode(content, content.isValidUtf8());
}

std::optional<QString> RegistryDocument::headerPath(const Line& line) const
{
    if (line.size != kNone && !bytesOf(line).contains('['))
        return std::nullopt; // most lines, without decoding them
    const QString text = textOf(line);
    const auto path = bracketed(text);
    return path ? std::optional(path->toString()) : std::nullopt;
}

QString RegistryDocument::nameOf(quint32 line) const
{
    const Line& l = lines_[line];
    if (l.size == kNone)
        return own_[l.at].name;
    const QByteArrayView content = withoutCarriageReturn(bytesOf(l));
    return decode(content.first(content.indexOf('=')), content.isValidUtf8());
}

QString RegistryDocument::dataOf(quint32 line) const
{
    const Line& l = lines_[line];
    if (l.size == kNone)
        return own_[l.at].data;
    const QString text = textOf(l);
    return unescape(QStringView(text).sliced(text.indexOf(u'=') + 1));
}

bool RegistryDocument::blank(quint32 line) const
{
    const Line& l = lines_[line];
    return (l.size != kNone || own_[l.at].name.isEmpty()) && bytesOf(l).trimmed().isEmpty();
}

size_t RegistryDocument::keyHash(const QString& foldedPath)
{
    return qHash(foldedPath, QHashSeed::globalSeed());
}

size_t RegistryDocument::valueHash(quint32 section, const QString& foldedName)
{
    return qHash(foldedName, QHashSeed::globalSeed() ^ (size_t(section) * 0x9E3779B97F4A7C15ULL));
}

quint32 RegistryDocument::sectionOf(const QString& path) const
{
    const Index::Entry* e = keys_.find(keyHash(path.toCaseFolded()), [&](const Index::Entry& k) {
        const QString header = textOf(lines_[sections_[k.section].header]);
        return bracketed(header)->compare(path, Qt::CaseInsensitive) == 0;
    });
    return e ? e->section : kNone;
}

bool RegistryDocument::sameValue(const Index::Entry& e, quint32 section, const QString& name) const
{
    return e.section == section && nameOf(e.line).compare(name, Qt::CaseInsensitive) == 0;
}

const RegistryDocument::Index::Entry* RegistryDocument::findValue(quint32 section, const QString& name) const
{
    return values_.find(valueHash(section, name.toCaseFolded()),
                        [&](const Index::Entry& e) { return sameValue(e, section, name); });
}

// ---- the document ---------------------------------------------------------------

void RegistryDocument::addSection(quint32 header, const QString& path)
{
    const quint32 self = quint32(sections_.size());
    const QString folded = path.toCaseFolded();
    quint32 key = kNone; // a nameless section holds nothing the program can read
    if (!path.isEmpty()) {
        key = sectionOf(path);
        if (key == kNone) {
            Index::Entry& e = keys_.findOrAdd(keyHash(folded), [](const Index::Entry&) { return false; });
            e.line = 0;
            e.section = key = self;
        }
    }
    sections_.push_back(Section{header, key});
    // Every key above it exists too, written or not.
    for (qsizetype at = folded.indexOf(u'\\'); at > 0; at = folded.indexOf(u'\\', at + 1))
        parents_.insert(folded.left(at));
}

RegistryDocument RegistryDocument::parse(const QByteArray& bytes)
{
    RegistryDocument doc;
    doc.text_ = bytes;
    doc.sections_.push_back(Section{}); // the lines before the first section
    doc.lines_.reserve(size_t(bytes.count('\n')) + 1);
    quint32 key = kNone; // of the current section
    qsizetype start = 0;
    while (start < bytes.size()) {
        qsizetype end = bytes.indexOf('\n', start);
        if (end < 0)
            end = bytes.size();
        const Line line{quint32(start), quint32(end - start)};
        const quint32 index = quint32(doc.lines_.size());
        doc.lines_.push_back(line);
        start = end + 1;

        if (const auto path = doc.headerPath(line)) {
            doc.addSection(index, *path);
            key = doc.sections_.back().key;
            continue;
        }
        if (key == kNone || !doc.holdsValue(index))
            continue; // kept as it stands
        const QString name = doc.nameOf(index);
        // A name given twice reads as its last line.
        Index::Entry& e = doc.values_.findOrAdd(valueHash(key, name.toCaseFolded()),
                                                [&](const Index::Entry& v) { return doc.sameValue(v, key, name); });
        e.line = index;
        e.section = key;
    }
    return doc;
}

QByteArray RegistryDocument::serialize() const
{
    return serialize([](quint32) { return false; });
}

template <class Skip> QByteArray RegistryDocument::serialize(const Skip& skip) const
{
    QByteArray out;
    out.reserve(text_.size() + qsizetype(lines_.size()) + 64 * qsizetype(own_.size()));
    for (quint32 i = 0; i < lines_.size(); ++i) {
        if (skip(i))
            continue;
        const Line& line = lines_[i];
        if (line.size == kNone && !own_[line.at].name.isEmpty()) {
            const OwnLine& own = own_[line.at];
            out += (own.name + u'=' + escape(own.data)).toUtf8();
        } else {
            out += bytesOf(line);
        }
        out += '\n';
    }
    return out;
}

bool RegistryDocument::holdsValue(quint32 line) const
{
    const Line& l = lines_[line];
    return l.size == kNone ? !own_[l.at].name.isEmpty() : bytesOf(l).indexOf('=') > 0;
}

template <class Visit> void RegistryDocument::forEachLine(const Visit& visit) const
{
    quint32 next = 1; // the section whose header comes next
    quint32 key = kNone;
    for (quint32 line = 0; line < lines_.size(); ++line) {
        if (next < sections_.size() && sections_[next].header == line)
            key = sections_[next++].key;
        else
            visit(line, key);
    }
}

std::vector<std::pair<QString, QString>> RegistryDocument::values(const QString& key) const
{
    std::vector<std::pair<QString, QString>> found;
    const quint32 section = sectionOf(key);
    if (section == kNone)
        return found;
    forEachLine([&](quint32 line, quint32 in) {
        if (in != section || !holdsValue(line))
            return;
        // A name given twice counts once, where its last line stands.
        const QString name = nameOf(line);
        const Index::Entry* e = findValue(section, name);
        if (e && e->line == line)
            found.emplace_back(name, dataOf(line));
    });
    return found;
}

bool RegistryDocument::removeValue(const QString& key, const QString& name)
{
    const quint32 section = sectionOf(key);
    if (section == kNone || !findValue(section, name))
        return false;
    std::vector<bool> gone(lines_.size());
    forEachLine([&](quint32 line, quint32 in) {
        gone[line] = in == section && holdsValue(line) && nameOf(line).compare(name, Qt::CaseInsensitive) == 0;
    });
    // Rare (the user clears a value): the text is read again without it.
    *this = parse(serialize([&gone](quint32 line) { return bool(gone[line]); }));
    return true;
}

bool RegistryDocument::hasKey(const QString& path) const
{
    return sectionOf(path) != kNone || parents_.contains(path.toCaseFolded());
}

void RegistryDocument::insertLine(quint32 at, Line line)
{
    lines_.insert(lines_.begin() + at, line);
    for (Section& s : sections_)
        if (s.header != kNone && s.header >= at)
            ++s.header;
    values_.forEach([at](Index::Entry& e) {
        if (e.line >= at)
            ++e.line;
    });
}

quint32 RegistryDocument::appendSection(const QString& path)
{
    if (sections_.empty())
        sections_.push_back(Section{});
    // A blank line between sections, as a person would leave one.
    if (!lines_.empty() && !blank(quint32(lines_.size() - 1))) {
        own_.push_back(OwnLine{});
        lines_.push_back(Line{quint32(own_.size() - 1), kNone});
    }
    own_.push_back(OwnLine{(u'[' + path + u']').toUtf8(), {}, {}});
    lines_.push_back(Line{quint32(own_.size() - 1), kNone});
    addSection(quint32(lines_.size() - 1), path);
    return quint32(sections_.size() - 1);
}

bool RegistryDocument::createKey(const QString& path)
{
    const QString clean = path.split(u'\\', Qt::SkipEmptyParts).join(u'\\');
    if (clean.isEmpty() || sectionOf(clean) != kNone)
        return false;
    appendSection(clean);
    return true;
}

std::optional<QString> RegistryDocument::value(const QString& key, const QString& name) const
{
    const quint32 section = sectionOf(key);
    const Index::Entry* e = section == kNone ? nullptr : findValue(section, name);
    if (!e)
        return std::nullopt;
    return dataOf(e->line);
}

RegistryDocument::SetResult RegistryDocument::setValue(const QString& key, const QString& name, const QString& data)
{
    quint32 section = sectionOf(key);
    if (section == kNone) {
        // A key that exists only through one below it gets its section now.
        if (!parents_.contains(key.toCaseFolded()))
            return SetResult::NoSuchKey;
        section = appendSection(key);
    }
    if (const Index::Entry* e = findValue(section, name)) {
        if (dataOf(e->line) == data)
            return SetResult::Unchanged;
        Line& line = lines_[e->line];
        if (line.size != kNone) { // written anew from here on, under the name it had
            own_.push_back(OwnLine{{}, nameOf(e->line), {}});
            line = Line{quint32(own_.size() - 1), kNone};
        }
        own_[line.at].data = data;
        return SetResult::Changed;
    }
    // New values go after the section's last value, ahead of the blank lines
    // that part it from the next one.
    const quint32 header = sections_[section].header;
    quint32 at = section + 1 < sections_.size() ? sections_[section + 1].header : quint32(lines_.size());
    while (at > header + 1 && blank(at - 1))
        --at;
    own_.push_back(OwnLine{{}, name, data});
    insertLine(at, Line{quint32(own_.size() - 1), kNone});
    Index::Entry& e = values_.findOrAdd(valueHash(section, name.toCaseFolded()), [](const Index::Entry&) { return false; });
    e.line = at;
    e.section = section;
    return SetResult::Changed;
}

} // namespace quoterra
