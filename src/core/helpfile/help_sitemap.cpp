#include "core/helpfile/help_sitemap.h"

#include <QByteArray>
#include <QStringList>

namespace helpfile {

namespace {

// Attributes of one tag: name="value", name='value' or name=value, names in lower case.
std::vector<std::pair<QString, QString>> attributes(QStringView tag) {
    std::vector<std::pair<QString, QString>> result;
    qsizetype i = 0;
    // Skip the tag's own name.
    while (i < tag.size() && !tag[i].isSpace())
        ++i;
    while (i < tag.size()) {
        while (i < tag.size() && (tag[i].isSpace() || tag[i] == QLatin1Char('/')))
            ++i;
        const qsizetype nameStart = i;
        while (i < tag.size() && !tag[i].isSpace() && tag[i] != QLatin1Char('='))
            ++i;
        const QString name = tag.sliced(nameStart, i - nameStart).toString().toLower();
        while (i < tag.size() && tag[i].isSpace())
            ++i;
        QString value;
        if (i < tag.size() && tag[i] == QLatin1Char('=')) {
            ++i;
            while (i < tag.size() && tag[i].isSpace())
                ++i;
            if (i < tag.size() && (tag[i] == QLatin1Char('"') || tag[i] == QLatin1Char('\''))) {
                const QChar quote = tag[i++];
                const qsizetype end = tag.indexOf(quote, i);
                const qsizetype stop = end < 0 ? tag.size() : end;
                value = tag.sliced(i, stop - i).toString();
                i = end < 0 ? tag.size() : end + 1;
            } else {
                const qsizetype valueStart = i;
                while (i < tag.size() && !tag[i].isSpace())
                    ++i;
                value = tag.sliced(valueStart, i - valueStart).toString();
            }
        }
        if (!name.isEmpty())
            result.emplace_back(name, value);
    }
    return result;
}

QString attribute(const std::vector<std::pair<QString, QString>>& list, const char* name) {
    for (const auto& [key, value] : list) {
        if (key == QLatin1String(name))
            return value;
    }
    return QString();
}

} // namespace

QString decodeHtmlEntities(const QString& text) {
    if (!text.contains(QLatin1Char('&')))
        return text;
    QString out;
    out.reserve(text.size());
    qsizetype i = 0;
    while (i < text.size()) {
        const qsizetype amp = text.indexOf(QLatin1Char('&'), i);
        const qsizetype semi = amp < 0 ? -1 : text.indexOf(QLatin1Char(';'), amp + 1);
        if (amp < 0 || semi < 0 || semi - amp > 10) {
            out += QStringView(text).sliced(i, (amp < 0 ? text.size() : amp + 1) - i);
            i = amp < 0 ? text.size() : amp + 1;
            continue;
        }
        out += QStringView(text).sliced(i, amp - i);
        const QString entity = text.mid(amp + 1, semi - amp - 1);
        char32_t code = 0;
        if (entity.startsWith(QLatin1Char('#'))) {
            bool ok = false;
            const uint value = entity.startsWith(QLatin1String("#x"), Qt::CaseInsensitive)
                                   ? entity.mid(2).toUInt(&ok, 16)
                                   : entity.mid(1).toUInt(&ok, 10);
            if (ok && value > 0 && value <= 0x10FFFF && (value < 0xD800 || value > 0xDFFF))
                code = value;
        } else if (entity == QLatin1String("amp")) {
            code = '&';
        } else if (entity == QLatin1String("lt")) {
            code = '<';
        } else if (entity == QLatin1String("gt")) {
            code = '>';
        } else if (entity == QLatin1String("quot")) {
            code = '"';
        } else if (entity == QLatin1String("apos")) {
            code = '\'';
        } else if (entity == QLatin1String("nbsp")) {
            code = 0xA0;
        }
        if (code == 0) {
            out += QLatin1Char('&'); // not an entity we know: kept as written
            i = amp + 1;
            continue;
        }
        out += QString::fromUcs4(&code, 1);
        i = semi + 1;
    }
    return out;
}

namespace {

QString tagName(QStringView tag) {
    qsizetype end = 0;
    while (end < tag.size() && !tag[end].isSpace() && tag[end] != QLatin1Char('/'))
        ++end;
    if (end == 0 && tag.startsWith(QLatin1Char('/'))) {
        end = 1;
        while (end < tag.size() && !tag[end].isSpace())
            ++end;
    }
    return tag.first(end).toString().toLower();
}

QString param(const SitemapItem& item, const char* name) {
    for (const auto& [key, value] : item.params) {
        if (key.compare(QLatin1String(name), Qt::CaseInsensitive) == 0)
            return value;
    }
    return QString();
}

void addIndexEntries(const std::vector<SitemapItem>& items, const QString& parent,
                     std::vector<IndexEntry>& out, int depth) {
    for (const SitemapItem& item : items) {
        IndexEntry entry;
        QString pendingTitle;
        bool haveKeyword = false;
        for (const auto& [key, value] : item.params) {
            if (key.compare(QLatin1String("Name"), Qt::CaseInsensitive) == 0) {
                if (!haveKeyword) {
                    entry.keyword = value;
                    haveKeyword = true;
                } else {
                    pendingTitle = value;
                }
            } else if (key.compare(QLatin1String("Local"), Qt::CaseInsensitive) == 0) {
                entry.targets.push_back(
                    {pendingTitle.isEmpty() ? entry.keyword : pendingTitle, value});
                pendingTitle.clear();
            } else if (key.compare(QLatin1String("See Also"), Qt::CaseInsensitive) == 0) {
                entry.seeAlso = value;
            }
        }
        if (!parent.isEmpty())
            entry.keyword = parent + QStringLiteral(", ") + entry.keyword;
        const QString keyword = entry.keyword;
        if (haveKeyword)
            out.push_back(std::move(entry));
        if (depth < MaxSitemapDepth)
            addIndexEntries(item.children, haveKeyword ? keyword : parent, out, depth + 1);
    }
}

std::vector<ContentsEntry> contentsOf(const std::vector<SitemapItem>& items, int depth) {
    std::vector<ContentsEntry> entries;
    for (const SitemapItem& item : items) {
        ContentsEntry entry{param(item, "Name"), param(item, "Local"), {}};
        if (depth < MaxSitemapDepth)
            entry.children = contentsOf(item.children, depth + 1);
        entries.push_back(std::move(entry));
    }
    return entries;
}

} // namespace

std::vector<SitemapItem> parseSitemap(QByteArrayView html) {
    const QString text = QString::fromUtf8(html);
    std::vector<SitemapItem> root;
    // The lists being filled, innermost last. Only the innermost one grows, so the pointers to
    // the outer ones stay valid.
    std::vector<std::vector<SitemapItem>*> lists{&root};
    SitemapItem* object = nullptr; // the sitemap object being read
    // For each open <UL>, whether it opened a level: one that is too deep, or that comes before
    // any item, adds its items to the level it is in.
    std::vector<bool> opened;
    qsizetype i = 0;
    while (true) {
        const qsizetype open = text.indexOf(QLatin1Char('<'), i);
        if (open < 0)
            break;
        if (text.mid(open, 4) == QLatin1String("<!--")) {
            const qsizetype end = text.indexOf(QLatin1String("-->"), open + 4);
            if (end < 0)
                break;
            i = end + 3;
            continue;
        }
        const qsizetype close = text.indexOf(QLatin1Char('>'), open + 1);
        if (close < 0)
            break;
        const QStringView tag = QStringView(text).sliced(open + 1, close - open - 1);
        i = close + 1;
        const QString name = tagName(tag);
        if (name == QLatin1String("ul")) {
            object = nullptr;
            auto* current = lists.back();
            const bool level =
                static_cast<int>(lists.size()) <= MaxSitemapDepth && !current->empty();
            if (level)
                lists.push_back(&current->back().children);
            opened.push_back(level);
        } else if (name == QLatin1String("/ul")) {
            object = nullptr;
            if (!opened.empty()) {
                if (opened.back())
                    lists.pop_back();
                opened.pop_back();
            }
        } else if (name == QLatin1String("object")) {
            const auto attrs = attributes(tag);
            if (attribute(attrs, "type")
                    .compare(QLatin1String("text/sitemap"), Qt::CaseInsensitive) == 0) {
                lists.back()->emplace_back();
                object = &lists.back()->back();
            } else {
                object = nullptr;
            }
        } else if (name == QLatin1String("/object")) {
            object = nullptr;
        } else if (name == QLatin1String("param") && object) {
            const auto attrs = attributes(tag);
            object->params.emplace_back(decodeHtmlEntities(attribute(attrs, "name")),
                                        decodeHtmlEntities(attribute(attrs, "value")));
        }
    }
    return root;
}

std::vector<ContentsEntry> contentsFromSitemap(const std::vector<SitemapItem>& items) {
    return contentsOf(items, 0);
}

std::vector<IndexEntry> indexFromSitemap(const std::vector<SitemapItem>& items) {
    std::vector<IndexEntry> entries;
    addIndexEntries(items, QString(), entries, 0);
    return entries;
}

QString popupTextFromFile(QByteArrayView file, std::uint32_t id) {
    const QStringList lines = QString::fromUtf8(file).split(QLatin1Char('\n'));
    QStringList text;
    bool inTopic = false;
    for (QString line : lines) {
        if (line.endsWith(QLatin1Char('\r')))
            line.chop(1);
        if (line.startsWith(QLatin1String(".topic"), Qt::CaseInsensitive)) {
            if (inTopic)
                break;
            bool ok = false;
            inTopic = line.mid(6).trimmed().toUInt(&ok) == id && ok;
            continue;
        }
        if (inTopic)
            text << line;
    }
    return text.join(QLatin1Char('\n')).trimmed();
}

} // namespace helpfile
