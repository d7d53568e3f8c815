#include "core/helpfile/help_search.h"

#include "core/helpfile/help_sitemap.h"

#include <algorithm>

namespace helpfile {

QStringList HelpSearchIndex::wordsOf(const QString& text) {
    QStringList words;
    qsizetype start = -1;
    for (qsizetype i = 0; i <= text.size(); ++i) {
        const bool inWord = i < text.size() && text[i].isLetterOrNumber();
        if (inWord && start < 0)
            start = i;
        if (!inWord && start >= 0) {
            words << text.mid(start, i - start).toLower();
            start = -1;
        }
    }
    return words;
}

QString HelpSearchIndex::plainText(QByteArrayView html) {
    const QString text = QString::fromUtf8(html);
    QString out;
    out.reserve(text.size());
    qsizetype i = 0;
    while (i < text.size()) {
        const qsizetype open = text.indexOf(QLatin1Char('<'), i);
        out += QStringView(text).sliced(i, (open < 0 ? text.size() : open) - i);
        if (open < 0)
            break;
        const qsizetype close = text.indexOf(QLatin1Char('>'), open + 1);
        if (close < 0)
            break;
        const QString tag = text.mid(open + 1, close - open - 1).trimmed().toLower();
        i = close + 1;
        // Scripts and styles hold no words of the topic.
        for (const char* skipped : {"script", "style"}) {
            if (tag == QLatin1String(skipped) || tag.startsWith(QLatin1String(skipped) + u' ')) {
                const qsizetype end = text.indexOf(
                    QStringLiteral("</%1").arg(QLatin1String(skipped)), i, Qt::CaseInsensitive);
                i = end < 0 ? text.size() : end;
            }
        }
        out += QLatin1Char(' ');
    }
    return decodeHtmlEntities(out);
}

QString HelpSearchIndex::titleOf(QByteArrayView html) {
    const QString text = QString::fromUtf8(html);
    const qsizetype open = text.indexOf(QLatin1String("<title"), 0, Qt::CaseInsensitive);
    if (open < 0)
        return QString();
    const qsizetype start = text.indexOf(QLatin1Char('>'), open);
    const qsizetype end = text.indexOf(QLatin1String("</title"), open, Qt::CaseInsensitive);
    if (start < 0 || end < 0 || end < start)
        return QString();
    return decodeHtmlEntities(text.mid(start + 1, end - start - 1).simplified());
}

void HelpSearchIndex::addTopic(const QString& path, QByteArrayView html) {
    const int topic = static_cast<int>(topics_.size());
    const QString title = titleOf(html);
    topics_.push_back({path, title.isEmpty() ? path : title});
    for (const QString& word : wordsOf(plainText(html)))
        ++postings_[word][topic];
}

std::vector<SearchHit> HelpSearchIndex::find(const QString& query) const {
    const QStringList words = wordsOf(query);
    if (words.isEmpty())
        return {};
    QHash<int, int> scores;
    bool first = true;
    for (const QString& word : words) {
        const auto posting = postings_.constFind(word);
        if (posting == postings_.constEnd())
            return {};
        QHash<int, int> kept;
        for (auto it = posting->constBegin(); it != posting->constEnd(); ++it) {
            if (first || scores.contains(it.key()))
                kept.insert(it.key(), scores.value(it.key()) + it.value());
        }
        scores = std::move(kept);
        first = false;
    }
    std::vector<std::pair<int, int>> ranked(scores.constKeyValueBegin(), scores.constKeyValueEnd());
    std::sort(ranked.begin(), ranked.end(), [](const auto& a, const auto& b) {
        return a.second != b.second ? a.second > b.second : a.first < b.first;
    });
    std::vector<SearchHit> hits;
    for (const auto& [topic, score] : ranked)
        hits.push_back(topics_[static_cast<std::size_t>(topic)]);
    return hits;
}

} // namespace helpfile
