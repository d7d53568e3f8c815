#pragma once
// The sitemaps of a help file: its contents (.hhc) and its index (.hhk). Both are loose HTML:
// nested <UL> lists whose <LI> items hold <OBJECT type="text/sitemap"> with <param> pairs.
// Closing tags are often missing, so the parser only follows <UL>, </UL> and the objects.

#include <QByteArrayView>
#include <QString>
#include <cstdint>
#include <utility>
#include <vector>

namespace helpfile {

struct SitemapItem {
    std::vector<std::pair<QString, QString>> params; // name, value; in order
    std::vector<SitemapItem> children;
};

// Nesting deeper than this is read as if it were at this depth.
constexpr int MaxSitemapDepth = 32;

std::vector<SitemapItem> parseSitemap(QByteArrayView html);

// "&amp;", "&lt;", "&gt;", "&quot;", "&apos;", "&nbsp;" and numeric references decoded; any
// other "&" stays as written.
QString decodeHtmlEntities(const QString& text);

struct ContentsEntry {
    QString name;
    QString local; // topic path inside the help file, may carry "#anchor"; empty for a heading
    std::vector<ContentsEntry> children;
};
std::vector<ContentsEntry> contentsFromSitemap(const std::vector<SitemapItem>& items);

struct IndexTarget {
    QString title;
    QString local;
};
struct IndexEntry {
    QString keyword; // sub-keywords carry their parent's keyword: "parent, sub"
    std::vector<IndexTarget> targets;
    QString seeAlso;
};
// The index flattened in sitemap order.
std::vector<IndexEntry> indexFromSitemap(const std::vector<SitemapItem>& items);

// The text numbered `id` in a popup text file: ".topic <number>" lines, each followed by its
// text; empty when the number is not there.
QString popupTextFromFile(QByteArrayView file, std::uint32_t id);

} // namespace helpfile
