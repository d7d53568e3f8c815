#pragma once
// Full-text search over a help file's topics. The compiled full-text index of a .chm is not
// readable with Qt, so the viewer builds this small word index of the topics on first use.

#include <QByteArrayView>
#include <QHash>
#include <QString>
#include <QStringList>
#include <vector>

namespace helpfile {

struct SearchHit {
    QString path;  // topic inside the help file
    QString title; // its <title>, else its path
};

class HelpSearchIndex {
public:
    void addTopic(const QString& path, QByteArrayView html);
    // Topics holding every word of the query, those with more occurrences first; none for a
    // query without words.
    std::vector<SearchHit> find(const QString& query) const;
    qsizetype topicCount() const { return static_cast<qsizetype>(topics_.size()); }

    // The lower-case words (letters and digits) of a text.
    static QStringList wordsOf(const QString& text);
    // The text of an HTML page without its tags, scripts and styles, entities decoded.
    static QString plainText(QByteArrayView html);
    // The text of the page's <title>, empty without one.
    static QString titleOf(QByteArrayView html);

private:
    std::vector<SearchHit> topics_;
    QHash<QString, QHash<int, int>> postings_; // word -> topic -> occurrences
};

} // namespace helpfile
