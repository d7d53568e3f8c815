// Edits of Wine's registry text that keep every line they do not concern byte for byte, and
// values and key paths written as Wine writes them.
#include "core/wine/hive_scan.h"

#include <QDateTime>
#include <algorithm>

namespace wine {

using namespace scan;

namespace {

constexpr qint64 ticksPerSecond = 10000000;
constexpr qint64 epochDifference = 11644473600; // seconds from 1601 to 1970

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

} // namespace

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

} // namespace wine
