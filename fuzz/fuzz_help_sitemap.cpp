// The help file's sitemaps (.hhc contents, .hhk index): any bytes as loose HTML, through the
// parser and both readings of its tree, and the entity decoder.

#include "core/helpfile/help_sitemap.h"

#include <cstdio>
#include <cstdlib>

using namespace helpfile;

namespace {

void require(bool condition, const char* what) {
    if (!condition) {
        std::fprintf(stderr, "fuzz_help_sitemap: %s\n", what);
        std::abort();
    }
}

int depth(const std::vector<SitemapItem>& items) {
    int deepest = 0;
    for (const SitemapItem& item : items)
        deepest = std::max(deepest, 1 + depth(item.children));
    return deepest;
}

int depth(const std::vector<ContentsEntry>& entries) {
    int deepest = 0;
    for (const ContentsEntry& entry : entries)
        deepest = std::max(deepest, 1 + depth(entry.children));
    return deepest;
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    const QByteArrayView html(reinterpret_cast<const char*>(data), static_cast<qsizetype>(size));
    const std::vector<SitemapItem> items = parseSitemap(html);
    require(depth(items) <= MaxSitemapDepth + 1, "nesting beyond the cap");
    require(depth(contentsFromSitemap(items)) <= MaxSitemapDepth + 1, "contents beyond the cap");
    indexFromSitemap(items);

    const QString text = QString::fromUtf8(html);
    const QString decoded = decodeHtmlEntities(text);
    require(decoded.size() <= text.size(), "decoding made the text longer");
    if (!text.contains(QLatin1Char('&')))
        require(decoded == text, "text without entities changed");
    return 0;
}
