#include "platform/wine/registry_hive.h"

#include <QDateTime>
#include <algorithm>
#include <cstring>

namespace platform::wine {

namespace {

// Windows limits: 255 characters to a key name, 512 levels. Keeping to them also keeps a hostile
// file from building paths that grow with the square of its size.
constexpr qsizetype maxKeyName = 255;
constexpr qsizetype maxDepth = 512;
constexpr int maxLinkHops = 16;
constexpr std::size_t indexAt = 8; // entries before a key gets a hash index
constexpr qint64 ticksPerSecond = 10000000;
constexpr qint64 epochDifference = 11644473600; // seconds from 1601 to 1970

QString fold(const QString& name) {
    return name.toCaseFolded();
}

bool isSpace(char c) {
    return c == ' ' || c == '\t' || c == '\r' || c == '\n' || c == '\v' || c == '\f';
}

int hexDigit(char c) {
    if (c >= '0' && c <= '9')
        return c - '0';
    if (c >= 'a' && c <= 'f')
        return c - 'a' + 10;
    if (c >= 'A' && c <= 'F')
        return c - 'A' + 10;
    return -1;
}

void skipSpaces(QByteArrayView s, qsizetype& pos) {
    while (pos < s.size() && isSpace(s[pos]))
        ++pos;
}

bool startsWithAt(QByteArrayView s, qsizetype pos, QByteArrayView prefix) {
    return s.size() - pos >= prefix.size() && s.sliced(pos, prefix.size()) == prefix;
}

// One UTF-8 sequence at pos into UTF-16; an invalid one gives U+FFFD for its first byte.
void decodeUtf8(QByteArrayView s, qsizetype& pos, QString& out) {
    const auto byte = [&](qsizetype i) { return static_cast<unsigned char>(s[i]); };
    const unsigned char lead = byte(pos);
    int length = 0;
    char32_t code = 0, minimum = 0;
    if (lead >= 0xC2 && lead <= 0xDF)
        length = 2, code = lead & 0x1F, minimum = 0x80;
    else if (lead >= 0xE0 && lead <= 0xEF)
        length = 3, code = lead & 0x0F, minimum = 0x800;
    else if (lead >= 0xF0 && lead <= 0xF4)
        length = 4, code = lead & 0x07, minimum = 0x10000;
    bool valid = length > 0 && s.size() - pos >= length;
    for (int i = 1; valid && i < length; ++i) {
        const unsigned char next = byte(pos + i);
        valid = (next & 0xC0) == 0x80;
        code = (code << 6) | (next & 0x3F);
    }
    if (!valid || code < minimum || code > 0x10FFFF || (code >= 0xD800 && code <= 0xDFFF)) {
        out += QChar(0xFFFD);
        ++pos;
        return;
    }
    pos += length;
    if (code > 0xFFFF) {
        out += QChar(QChar::highSurrogate(code));
        out += QChar(QChar::lowSurrogate(code));
    } else {
        out += QChar(static_cast<char16_t>(code));
    }
}

// An escaped string from pos up to the unescaped endChar; pos ends after endChar.
bool parseString(QByteArrayView s, qsizetype& pos, char endChar, QString& out) {
    out.resize(0); // keeps the buffer for the next string
    while (pos < s.size()) {
        // Plain ASCII in one piece: most names and data are nothing else.
        qsizetype run = pos;
        while (run < s.size() && s[run] != endChar && s[run] != '\\' &&
               static_cast<unsigned char>(s[run]) < 0x80)
            ++run;
        if (run > pos) {
            out += QLatin1StringView(s.data() + pos, run - pos);
            pos = run;
            continue;
        }
        const char c = s[pos];
        if (c == endChar) {
            ++pos;
            return true;
        }
        if (static_cast<unsigned char>(c) >= 0x80) {
            decodeUtf8(s, pos, out);
            continue;
        }
        if (++pos >= s.size())
            return false;
        const char e = s[pos];
        static constexpr char letters[] = "abtnvfre";
        static constexpr char16_t codes[] = {7, 8, 9, 10, 11, 12, 13, 27};
        if (const char* hit = std::strchr(letters, e); hit && e != '\0') {
            out += QChar(codes[hit - letters]);
            ++pos;
        } else if (e >= '0' && e <= '7') {
            unsigned value = 0;
            for (int i = 0; i < 3 && pos < s.size() && s[pos] >= '0' && s[pos] <= '7'; ++i)
                value = value * 8 + unsigned(s[pos++] - '0');
            out += QChar(static_cast<char16_t>(value));
        } else if (e == 'x') {
            ++pos;
            unsigned value = 0;
            for (int i = 0; i < 4 && pos < s.size() && hexDigit(s[pos]) >= 0; ++i)
                value = value * 16 + unsigned(hexDigit(s[pos++]));
            out += QChar(static_cast<char16_t>(value));
        } else if (static_cast<unsigned char>(e) >= 0x80) {
            decodeUtf8(s, pos, out);
        } else {
            out += QLatin1Char(e);
            ++pos;
        }
    }
    return false;
}

struct Line {
    qsizetype begin = 0;
    qsizetype next = 0;     // where the following line starts
    QByteArrayView content; // without the line end, cut at a NUL byte
};

class Lines {
public:
    explicit Lines(QByteArrayView text) : text_(text) {}
    bool next(Line& line) {
        if (pos_ >= text_.size())
            return false;
        line.begin = pos_;
        const void* found = std::memchr(text_.data() + pos_, '\n', size_t(text_.size() - pos_));
        const qsizetype end = found ? static_cast<const char*>(found) - text_.data() : text_.size();
        pos_ = found ? end + 1 : end;
        line.next = pos_;
        line.content = text_.sliced(line.begin, end - line.begin);
        if (const void* nul = std::memchr(line.content.data(), 0, size_t(line.content.size())))
            line.content = line.content.first(static_cast<const char*>(nul) - line.content.data());
        return true;
    }
    qsizetype position() const { return pos_; }

    bool ranOut = false; // a value asked for a continuation line after the last one

private:
    QByteArrayView text_;
    qsizetype pos_ = 0;
};

// Hex bytes "aa,bb,..." continued on the next line after a trailing backslash; only checked
// and passed over when out is null.
bool parseHex(Lines& lines, QByteArrayView s, qsizetype pos, QByteArray* out) {
    for (;;) {
        while (pos < s.size() && hexDigit(s[pos]) >= 0) {
            unsigned value = 0;
            while (pos < s.size() && hexDigit(s[pos]) >= 0) {
                value = value * 16 + unsigned(hexDigit(s[pos++]));
                if (value > 0xFF)
                    return false;
            }
            if (out)
                out->append(static_cast<char>(value));
            skipSpaces(s, pos);
            if (pos < s.size() && s[pos] == ',')
                ++pos;
            skipSpaces(s, pos);
        }
        skipSpaces(s, pos);
        if (pos >= s.size())
            return true;
        if (s[pos] != '\\')
            return false;
        Line line;
        if (!lines.next(line)) {
            lines.ranOut = true;
            return false;
        }
        s = line.content;
        pos = 0;
        skipSpaces(s, pos);
    }
}

// "dword:" data as scanf's %x reads it.
bool parseDword(QByteArrayView s, qsizetype pos, QByteArray& out) {
    skipSpaces(s, pos);
    bool negative = false;
    if (pos < s.size() && (s[pos] == '+' || s[pos] == '-'))
        negative = s[pos++] == '-';
    if (startsWithAt(s, pos, "0x") || startsWithAt(s, pos, "0X"))
        if (pos + 2 < s.size() && hexDigit(s[pos + 2]) >= 0)
            pos += 2;
    if (pos >= s.size() || hexDigit(s[pos]) < 0)
        return false;
    quint64 value = 0;
    while (pos < s.size() && hexDigit(s[pos]) >= 0) {
        value = value * 16 + unsigned(hexDigit(s[pos++]));
        value = std::min<quint64>(value, 0xFFFFFFFFull + 1);
    }
    auto word = value > 0xFFFFFFFFull ? 0xFFFFFFFFu : static_cast<quint32>(value);
    if (negative)
        word = 0u - word;
    out.resize(4);
    for (int i = 0; i < 4; ++i)
        out[i] = static_cast<char>((word >> (8 * i)) & 0xFF);
    return true;
}

// A value line ('@' or '"' at pos), taking continuation lines from `lines`.
bool parseValue(Lines& lines, QByteArrayView s, qsizetype pos, HiveValue& value) {
    if (s[pos] == '@') {
        ++pos;
    } else if (++pos; !parseString(s, pos, '"', value.name)) {
        return false;
    }
    skipSpaces(s, pos);
    if (pos >= s.size() || s[pos] != '=')
        return false;
    ++pos;
    skipSpaces(s, pos);

    struct StringForm {
        QByteArrayView tag;
        std::uint32_t type;
    };
    static constexpr StringForm strings[] = {
        {"\"", 1}, {"str:\"", 1}, {"str(2):\"", 2}, {"str(7):\"", 7}};
    for (const StringForm& form : strings) {
        if (!startsWithAt(s, pos, form.tag))
            continue;
        pos += form.tag.size();
        QString text;
        if (!parseString(s, pos, '"', text))
            return false;
        value.type = form.type;
        text += QChar(0);
        value.data = utf16Data(text);
        return true;
    }
    if (startsWithAt(s, pos, "dword:")) {
        value.type = 4;
        return parseDword(s, pos + 6, value.data);
    }
    if (startsWithAt(s, pos, "hex:")) {
        value.type = 3;
        return parseHex(lines, s, pos + 4, &value.data);
    }
    if (startsWithAt(s, pos, "hex(")) {
        pos += 4;
        quint64 type = 0;
        qsizetype digits = 0;
        for (; pos < s.size() && hexDigit(s[pos]) >= 0; ++pos, ++digits)
            type = (type * 16 + unsigned(hexDigit(s[pos]))) & 0xFFFFFFFFull;
        if (digits == 0 || !startsWithAt(s, pos, "):"))
            return false;
        value.type = static_cast<std::uint32_t>(type);
        return parseHex(lines, s, pos + 2, &value.data);
    }
    return false;
}

// Past a value that nobody asked for, taking the continuation lines that parseValue would take
// but building nothing: only hex data runs on.
void skipValue(Lines& lines, QByteArrayView s, qsizetype pos) {
    if (s[pos] == '"') {
        // Escapes never hide a quote, so the name ends at the first quote not after a backslash.
        for (++pos; pos < s.size() && s[pos] != '"'; ++pos)
            if (s[pos] == '\\')
                ++pos;
        if (pos >= s.size())
            return;
    }
    ++pos;
    skipSpaces(s, pos);
    if (pos >= s.size() || s[pos] != '=')
        return;
    ++pos;
    skipSpaces(s, pos);
    if (startsWithAt(s, pos, "hex:")) {
        pos += 4;
    } else if (startsWithAt(s, pos, "hex(")) {
        const qsizetype digits = pos += 4;
        while (pos < s.size() && hexDigit(s[pos]) >= 0)
            ++pos;
        if (pos == digits || !startsWithAt(s, pos, "):"))
            return;
        pos += 2;
    } else {
        return;
    }
    parseHex(lines, s, pos, nullptr);
}

// What a scan of a registry file reports, line by line.
class ScanSink {
public:
    virtual ~ScanSink() = default;
    // path is nullptr for a section line that cannot be read; its lines until the next
    // section belong to no key.
    virtual void section(const Line& line, qsizetype afterBracket, const QStringList* path) = 0;
    virtual void option(const Line& line, QByteArrayView option) = 0;
    // From the first line's start to the start of the line after the value; value is nullptr
    // when malformed.
    virtual void value(qsizetype begin, qsizetype end, HiveValue* value) = 0;
    virtual void comment(QByteArrayView) {}
    // Whether a section of that name (as read, not yet split) matters; one that does not is
    // reported as unreadable.
    virtual bool wantsSection(QStringView) const { return true; }
    // Whether the next value line is reported; if not, it is only skipped.
    virtual bool wantsValues() const { return true; }
    // Whether the scan may end here.
    virtual bool done() const { return false; }

    // The text ends inside a damaged value that still waits for a continuation line: whatever
    // is appended would become that line.
    bool endsInContinuation = false;
};

bool scanHive(QByteArrayView text, ScanSink& sink) {
    Lines lines(text);
    Line line;
    if (!lines.next(line))
        return false;
    QByteArrayView header = line.content;
    if (header.endsWith('\r'))
        header.chop(1);
    if (header != QByteArrayView("WINE REGISTRY Version 2"))
        return false;
    QString name; // one buffer for all section names
    while (!sink.done() && lines.next(line)) {
        const QByteArrayView s = line.content;
        qsizetype pos = 0;
        skipSpaces(s, pos);
        if (pos >= s.size())
            continue;
        switch (s[pos]) {
        case '[': {
            ++pos;
            if (!parseString(s, pos, ']', name) || !sink.wantsSection(name)) {
                sink.section(line, -1, nullptr);
                break;
            }
            const QStringList path = name.split(QLatin1Char('\\'), Qt::SkipEmptyParts);
            const bool valid = path.size() <= maxDepth &&
                               std::all_of(path.begin(), path.end(), [](const QString& part) {
                                   return part.size() <= maxKeyName;
                               });
            sink.section(line, pos, valid ? &path : nullptr);
            break;
        }
        case '@':
        case '"': {
            if (!sink.wantsValues()) {
                skipValue(lines, s, pos);
                break;
            }
            HiveValue value;
            const bool ok = parseValue(lines, s, pos, value);
            sink.value(line.begin, lines.position(), ok ? &value : nullptr);
            break;
        }
        case '#':
            sink.option(line, s.sliced(pos));
            break;
        case ';':
            sink.comment(s.sliced(pos));
            break;
        default:
            break;
        }
    }
    sink.endsInContinuation = lines.ranOut;
    return true;
}

int comparePaths(const QStringList& a, const QStringList& b) {
    for (qsizetype i = 0; i < std::min(a.size(), b.size()); ++i)
        if (const int order = a[i].compare(b[i], Qt::CaseInsensitive))
            return order;
    return a.size() < b.size() ? -1 : a.size() > b.size() ? 1 : 0;
}

bool samePath(const QStringList& a, const QStringList& b) {
    if (a.size() != b.size())
        return false;
    for (qsizetype i = 0; i < a.size(); ++i)
        if (fold(a[i]) != fold(b[i]))
            return false;
    return true;
}

class TreeBuilder : public ScanSink {
public:
    // With `only`, the tree holds just the keys along those paths, and their values.
    explicit TreeBuilder(Hive& hive, const std::vector<QStringList>* only = nullptr)
        : hive_(hive), only_(only) {}

    void section(const Line&, qsizetype, const QStringList* path) override {
        seenSection_ = true;
        current_ = -1;
        if (!path)
            return;
        // Sections come sorted, so most of a path is the previous one's: its keys are known.
        qsizetype same = 0;
        while (same < path->size() && same < lastPath_.size() && (*path)[same] == lastPath_[same])
            ++same;
        lastKeys_.resize(std::size_t(same));
        int key = same > 0 ? lastKeys_.back() : Hive::root;
        for (qsizetype i = same; i < path->size(); ++i) {
            key = hive_.addKey(key, (*path)[i]);
            lastKeys_.push_back(key);
        }
        lastPath_ = *path;
        // Below the wanted keys only the keys count, not their values or links.
        const auto onTheWay = [&](const QStringList& wanted) {
            return path->size() <= wanted.size() && samePath(*path, wanted.first(path->size()));
        };
        if (!only_ || std::any_of(only_->begin(), only_->end(), onTheWay))
            current_ = key;
    }
    void option(const Line&, QByteArrayView option) override {
        if (current_ >= 0) {
            if (option.startsWith("#link"))
                links_.push_back(current_);
        } else if (!seenSection_ && option.startsWith("#arch=")) {
            QByteArrayView arch = option.sliced(6);
            while (!arch.isEmpty() && isSpace(arch.back()))
                arch.chop(1);
            hive_.win64 = arch == QByteArrayView("win64");
        }
    }
    void value(qsizetype, qsizetype, HiveValue* value) override {
        if (current_ >= 0 && value)
            hive_.setValue(current_, std::move(*value));
    }
    void comment(QByteArrayView text) override {
        static constexpr QByteArrayView tag = ";; All keys relative to ";
        if (seenSection_ || !text.startsWith(tag))
            return;
        QByteArrayView rest = text.sliced(tag.size());
        while (!rest.isEmpty() && isSpace(rest.back()))
            rest.chop(1);
        QString name;
        qsizetype pos = 0;
        const QByteArray quoted = rest.toByteArray() + '\x01';
        if (parseString(quoted, pos, '\x01', name))
            hive_.relativeTo = name;
    }

    // Sections on the way to a wanted key, and those below one: they make it exist even where
    // it has no section of its own.
    bool wantsSection(QStringView name) const override {
        return !only_ || std::any_of(only_->begin(), only_->end(), [&](const QStringList& wanted) {
            qsizetype i = 0;
            for (const QStringView part : name.tokenize(u'\\', Qt::SkipEmptyParts)) {
                if (i == wanted.size())
                    return true;
                if (part.compare(wanted[i++], Qt::CaseInsensitive) != 0)
                    return false;
            }
            return true;
        });
    }
    bool wantsValues() const override { return !only_ || current_ >= 0; }
    bool done() const override { return only_ && only_->empty() && seenSection_; }

    std::vector<int> links_;

private:
    Hive& hive_;
    const std::vector<QStringList>* only_;
    int current_ = -1;
    bool seenSection_ = false;
    QStringList lastPath_;
    std::vector<int> lastKeys_;
};

// Where a key's sections and one of its values lie in the text.
class Locator : public ScanSink {
public:
    struct Section {
        qsizetype headerBegin = 0, headerEnd = 0, afterBracket = 0, next = 0;
        qsizetype timeBegin = -1, timeEnd = -1;
        qsizetype contentEnd = 0; // after its last option or value line
        bool touched = false;
    };
    struct Range {
        qsizetype begin, end;
        std::size_t section;
        QString name; // as spelled there
    };

    Locator(const QStringList& path, const QString& valueName)
        : path_(path), name_(fold(valueName)) {}

    void section(const Line& line, qsizetype afterBracket, const QStringList* path) override {
        inTarget_ = path && samePath(*path, path_);
        if (path && !inTarget_ && insertBefore < 0 && comparePaths(*path, path_) > 0)
            insertBefore = line.begin;
        if (!inTarget_)
            return;
        Section section;
        section.headerBegin = line.begin;
        section.headerEnd = line.begin + line.content.size();
        section.afterBracket = line.begin + afterBracket;
        section.next = section.contentEnd = line.next;
        sections.push_back(section);
    }
    void option(const Line& line, QByteArrayView option) override {
        if (!inTarget_)
            return;
        Section& section = sections.back();
        if (option.startsWith("#time=") && section.timeBegin < 0) {
            section.timeBegin = line.begin;
            section.timeEnd = line.begin + line.content.size();
        }
        section.contentEnd = line.next;
    }
    void value(qsizetype begin, qsizetype end, HiveValue* value) override {
        if (!inTarget_)
            return;
        sections.back().contentEnd = end;
        if (value && fold(value->name) == name_)
            matches.push_back({begin, end, sections.size() - 1, value->name});
    }

    std::vector<Section> sections;
    std::vector<Range> matches;
    qsizetype insertBefore = -1;

private:
    QStringList path_;
    QString name_;
    bool inTarget_ = false;
};

struct Edit {
    qsizetype begin, end;
    QByteArray text;
};

QByteArray applyEdits(QByteArrayView text, std::vector<Edit> edits) {
    std::sort(edits.begin(), edits.end(), [](const Edit& a, const Edit& b) {
        return a.begin != b.begin ? a.begin < b.begin : a.end < b.end;
    });
    QByteArray out;
    out.reserve(text.size() + 256);
    qsizetype pos = 0;
    for (const Edit& edit : edits) {
        out.append(text.sliced(pos, edit.begin - pos));
        out.append(edit.text);
        pos = edit.end;
    }
    out.append(text.sliced(pos));
    return out;
}

QByteArray secondsText(qint64 fileTime) {
    return QByteArray::number(static_cast<quint32>(fileTime / ticksPerSecond - epochDifference));
}

QByteArray timeText(qint64 fileTime) {
    const auto ticks = static_cast<quint64>(fileTime);
    return "#time=" + QByteArray::number(static_cast<quint32>(ticks >> 32), 16) +
           QByteArray::number(static_cast<quint32>(ticks), 16).rightJustified(8, '0');
}

// A changed key gets its new modification time, as Wine stamps it.
void stamp(const Locator::Section& section, qint64 fileTime, std::vector<Edit>& edits) {
    edits.push_back({section.afterBracket, section.headerEnd, " " + secondsText(fileTime)});
    if (section.timeBegin >= 0)
        edits.push_back({section.timeBegin, section.timeEnd, timeText(fileTime)});
}

// Wine's escaping of names and string data: C escapes and octal for control characters, \x for
// everything beyond ASCII, a backslash before '\' and the two given characters.
void appendEscaped(QByteArray& out, const QString& text, char escape1, char escape2) {
    static constexpr char escapes[] = ".......abtnvfr.............e....";
    const qsizetype length = text.size();
    for (qsizetype i = 0; i < length; ++i) {
        const char16_t c = text[i].unicode();
        const bool more = i + 1 < length;
        if (c > 127) {
            const char16_t next = more ? text[i + 1].unicode() : 0;
            const bool hexFollows = more && next < 128 && hexDigit(char(next)) >= 0;
            out += "\\x" + (hexFollows ? QByteArray::number(c, 16).rightJustified(4, '0')
                                       : QByteArray::number(c, 16));
        } else if (c < 32) {
            if (c == 0 && !more)
                continue; // the terminating NUL
            if (escapes[c] != '.') {
                out += '\\';
                out += escapes[c];
            } else if (more && text[i + 1] >= QLatin1Char('0') && text[i + 1] <= QLatin1Char('7')) {
                out += '\\' + QByteArray::number(c, 8).rightJustified(3, '0');
            } else {
                out += '\\' + QByteArray::number(c, 8);
            }
        } else {
            if (c == '\\' || c == char16_t(escape1) || c == char16_t(escape2))
                out += '\\';
            out += static_cast<char>(c);
        }
    }
}

// A value set again keeps the name as first spelled, as Wine does.
void replaceData(HiveValue& existing, HiveValue&& value) {
    existing.type = value.type;
    existing.data = std::move(value.data);
}

} // namespace

QByteArray utf16Data(const QString& text) {
    QByteArray data(text.size() * 2, Qt::Uninitialized);
    char* out = data.data();
    for (const QChar c : text) {
        *out++ = static_cast<char>(c.unicode() & 0xFF);
        *out++ = static_cast<char>(c.unicode() >> 8);
    }
    return data;
}

QString utf16Text(const QByteArray& data) {
    QString text;
    text.reserve(data.size() / 2);
    for (qsizetype i = 0; i + 1 < data.size(); i += 2)
        text += QChar(static_cast<char16_t>(static_cast<unsigned char>(data[i]) |
                                            (static_cast<unsigned char>(data[i + 1]) << 8)));
    return text;
}

Hive::Hive() {
    keys_.emplace_back();
}

int Hive::child(int parent, const QString& name) const {
    const HiveKey& key = keys_[std::size_t(parent)];
    if (!key.childIndex.isEmpty())
        return key.childIndex.value(fold(name), -1);
    for (const int index : key.children)
        if (keys_[std::size_t(index)].name.compare(name, Qt::CaseInsensitive) == 0)
            return index;
    return -1;
}

int Hive::addKey(int parent, const QString& name) {
    if (const int existing = child(parent, name); existing >= 0)
        return existing;
    const int index = keyCount();
    HiveKey key;
    key.name = name;
    key.folded = fold(name);
    key.parent = parent;
    keys_.push_back(std::move(key));
    HiveKey& owner = keys_[std::size_t(parent)];
    owner.children.push_back(index);
    if (!owner.childIndex.isEmpty()) {
        owner.childIndex.insert(keys_.back().folded, index);
    } else if (owner.children.size() >= indexAt) {
        for (const int c : owner.children)
            owner.childIndex.insert(keys_[std::size_t(c)].folded, c);
    }
    return index;
}

const HiveValue* Hive::value(int key, const QString& name) const {
    const HiveKey& owner = keys_[std::size_t(key)];
    if (!owner.valueIndex.isEmpty()) {
        const int index = owner.valueIndex.value(fold(name), -1);
        return index < 0 ? nullptr : &owner.values[std::size_t(index)];
    }
    for (const HiveValue& value : owner.values)
        if (value.name.compare(name, Qt::CaseInsensitive) == 0)
            return &value;
    return nullptr;
}

void Hive::setValue(int key, HiveValue value) {
    HiveKey& owner = keys_[std::size_t(key)];
    if (!owner.valueIndex.isEmpty()) {
        const QString folded = fold(value.name);
        const auto it = owner.valueIndex.constFind(folded);
        if (it != owner.valueIndex.constEnd()) {
            replaceData(owner.values[std::size_t(*it)], std::move(value));
            return;
        }
    } else {
        for (HiveValue& existing : owner.values) {
            if (existing.name.compare(value.name, Qt::CaseInsensitive) == 0) {
                replaceData(existing, std::move(value));
                return;
            }
        }
    }
    owner.values.push_back(std::move(value));
    if (!owner.valueIndex.isEmpty()) {
        owner.valueIndex.insert(fold(owner.values.back().name), int(owner.values.size() - 1));
    } else if (owner.values.size() >= indexAt) {
        for (std::size_t i = 0; i < owner.values.size(); ++i)
            owner.valueIndex.insert(fold(owner.values[i].name), int(i));
    }
}

std::optional<QStringList> Hive::linkTarget(int key) const {
    if (!keys_[std::size_t(key)].link || relativeTo.isEmpty())
        return std::nullopt;
    const HiveValue* target = value(key, QStringLiteral("SymbolicLinkValue"));
    if (!target || target->type != 6)
        return std::nullopt;
    QStringList parts = utf16Text(target->data).split(QLatin1Char('\\'), Qt::SkipEmptyParts);
    const QStringList base = relativeTo.split(QLatin1Char('\\'), Qt::SkipEmptyParts);
    if (parts.size() < base.size() || !samePath(parts.mid(0, base.size()), base))
        return std::nullopt; // a link into another hive
    return parts.mid(base.size());
}

std::pair<int, QStringList> Hive::openDeepest(const QStringList& path) const {
    QStringList todo = path;
    int key = root;
    int hops = 0;
    qsizetype i = 0;
    while (i < todo.size()) {
        const int next = child(key, todo[i]);
        if (next < 0)
            break;
        key = next;
        ++i;
        if (const auto target = linkTarget(key)) {
            // A loop or an endless chain leads nowhere; a write below it would be lost.
            if (++hops > maxLinkHops)
                return {-1, todo.mid(i)};
            todo = *target + todo.mid(i);
            key = root;
            i = 0;
        }
    }
    return {key, todo.mid(i)};
}

int Hive::open(const QStringList& path) const {
    const auto [key, rest] = openDeepest(path);
    return rest.isEmpty() ? key : -1;
}

QStringList Hive::pathOf(int key) const {
    QStringList path;
    for (; key > root; key = keys_[std::size_t(key)].parent)
        path.prepend(keys_[std::size_t(key)].name);
    return path;
}

Hive parseHive(QByteArrayView text) {
    Hive hive;
    TreeBuilder builder(hive);
    if (!scanHive(text, builder))
        return Hive();
    for (const int key : builder.links_)
        hive.markLink(key);
    return hive;
}

std::optional<Hive> parseHivePart(QByteArrayView text, const std::vector<QStringList>& paths) {
    Hive hive;
    TreeBuilder builder(hive, &paths);
    if (!scanHive(text, builder))
        return Hive();
    if (!builder.links_.empty()) // all of them lie on the way
        return std::nullopt;
    return hive;
}

QByteArray formatHiveValue(const HiveValue& value) {
    QByteArray out;
    qsizetype count;
    if (!value.name.isEmpty()) {
        out += '"';
        appendEscaped(out, value.name, '"', '"');
        out += "\"=";
        count = out.size();
    } else {
        out += "@=";
        count = 2;
    }
    const QByteArray& data = value.data;
    switch (value.type) {
    case 1:
    case 2:
    case 7:
        // Only a properly terminated string is written as text.
        if (data.size() >= 2 && data.size() % 2 == 0 && data.endsWith(QByteArray(2, '\0'))) {
            if (value.type != 1)
                out += "str(" + QByteArray::number(value.type, 16) + "):";
            out += '"';
            appendEscaped(out, utf16Text(data), '"', '"');
            out += "\"\n";
            return out;
        }
        break;
    case 4:
        if (data.size() == 4) {
            quint32 word = 0;
            for (int i = 3; i >= 0; --i)
                word = (word << 8) | static_cast<unsigned char>(data[i]);
            out += "dword:" + QByteArray::number(word, 16).rightJustified(8, '0') + '\n';
            return out;
        }
        break;
    default:
        break;
    }
    const QByteArray tag =
        value.type == 3 ? QByteArray("hex:") : "hex(" + QByteArray::number(value.type, 16) + "):";
    out += tag;
    count += tag.size();
    for (qsizetype i = 0; i < data.size(); ++i) {
        out += QByteArray::number(static_cast<unsigned char>(data[i]), 16).rightJustified(2, '0');
        count += 2;
        if (i < data.size() - 1) {
            out += ',';
            if (++count > 76) {
                out += "\\\n  ";
                count = 2;
            }
        }
    }
    out += '\n';
    return out;
}

QByteArray formatHiveKeyPath(const QStringList& path) {
    QByteArray out;
    for (qsizetype i = 0; i < path.size(); ++i) {
        if (i > 0)
            out += "\\\\";
        appendEscaped(out, path[i], '[', ']');
    }
    return out;
}

qint64 currentFileTime() {
    return (QDateTime::currentMSecsSinceEpoch() + epochDifference * 1000) * 10000;
}

namespace {

// What must follow the text before lines are appended to it: the end of its last line, and for a
// damaged last hex value that waits for a continuation, a comment line that it takes and still
// fails on. (An empty line would end it and make it a value, as Wine reads it too.)
QByteArray closing(QByteArrayView text, const ScanSink& scan) {
    QByteArray out;
    if (!text.isEmpty() && !text.endsWith('\n'))
        out += '\n';
    if (scan.endsInContinuation)
        out += ";\n";
    return out;
}

} // namespace

QByteArray hiveWithValue(QByteArrayView text, const QStringList& path, const HiveValue& value,
                         qint64 fileTime) {
    Locator locator(path, value.name);
    scanHive(text, locator);
    const QByteArray line = formatHiveValue(value);
    std::vector<Edit> edits;
    if (!locator.matches.empty()) {
        // The last copy is the one a reader keeps; its name keeps its spelling.
        const Locator::Range& last = locator.matches.back();
        edits.push_back(
            {last.begin, last.end, formatHiveValue(HiveValue{last.name, value.type, value.data})});
        stamp(locator.sections[last.section], fileTime, edits);
    } else if (!locator.sections.empty()) {
        const Locator::Section& section = locator.sections.back();
        const QByteArray prefix = section.contentEnd == text.size() ? closing(text, locator) : "";
        edits.push_back({section.contentEnd, section.contentEnd, prefix + line});
        stamp(section, fileTime, edits);
    } else {
        // A new section, where Wine would have written it: keys in order, each after a blank
        // line.
        const QByteArray section = '[' + formatHiveKeyPath(path) + "] " + secondsText(fileTime) +
                                   '\n' + timeText(fileTime) + '\n' + line;
        if (locator.insertBefore >= 0) {
            edits.push_back({locator.insertBefore, locator.insertBefore, section + '\n'});
        } else {
            edits.push_back({text.size(), text.size(), closing(text, locator) + '\n' + section});
        }
    }
    return applyEdits(text, std::move(edits));
}

std::optional<QByteArray> hiveWithoutValue(QByteArrayView text, const QStringList& path,
                                           const QString& name, qint64 fileTime) {
    Locator locator(path, name);
    scanHive(text, locator);
    if (locator.matches.empty())
        return std::nullopt;
    std::vector<Edit> edits;
    for (const Locator::Range& match : locator.matches) {
        edits.push_back({match.begin, match.end, {}});
        Locator::Section& section = locator.sections[match.section];
        if (!section.touched)
            stamp(section, fileTime, edits);
        section.touched = true;
    }
    return applyEdits(text, std::move(edits));
}

} // namespace platform::wine
