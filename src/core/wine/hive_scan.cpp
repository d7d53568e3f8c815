#include "core/wine/hive_scan.h"

#include <algorithm>
#include <cstring>

namespace wine::scan {

namespace {

// Windows limits: 255 characters to a key name, 512 levels. Keeping to them also keeps a hostile
// file from building paths that grow with the square of its size.
constexpr qsizetype maxKeyName = 255;
constexpr qsizetype maxDepth = 512;

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

} // namespace

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

namespace {

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

} // namespace

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

} // namespace wine::scan
