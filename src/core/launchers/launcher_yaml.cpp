#include "core/launchers/launcher_yaml.h"

#include <QList>

namespace launchers {

QString yamlScalar(QString text) {
    text = text.trimmed();
    if (text.startsWith(QLatin1Char('"'))) {
        QString value;
        for (qsizetype i = 1; i < text.size() && text[i] != QLatin1Char('"'); ++i)
            value += text[i] == QLatin1Char('\\') && i + 1 < text.size() ? text[++i] : text[i];
        return value;
    }
    if (text.startsWith(QLatin1Char('\''))) {
        QString value;
        for (qsizetype i = 1; i < text.size(); ++i) {
            if (text[i] == QLatin1Char('\'')) {
                if (i + 1 >= text.size() || text[i + 1] != QLatin1Char('\''))
                    break;
                ++i;
            }
            value += text[i];
        }
        return value;
    }
    if (const qsizetype comment = text.indexOf(QLatin1String(" #")); comment >= 0)
        text.truncate(comment);
    text = text.trimmed();
    return text == QLatin1String("~") || text == QLatin1String("null") ? QString() : text;
}

QString yamlValue(const QByteArray& text, const QString& section, const QString& key) {
    bool inSection = section.isEmpty();
    qsizetype childIndent = section.isEmpty() ? 0 : -1;
    for (const QByteArray& raw : text.split('\n')) {
        const QString line = QString::fromUtf8(raw).remove(QLatin1Char('\r'));
        const QString content = line.trimmed();
        if (content.isEmpty() || content.startsWith(QLatin1Char('#')))
            continue;
        const qsizetype indent = line.indexOf(content.at(0));
        if (indent == 0 && !section.isEmpty()) {
            inSection = content.section(QLatin1Char(':'), 0, 0).trimmed() == section &&
                        yamlScalar(content.section(QLatin1Char(':'), 1)).isEmpty();
            childIndent = -1;
            continue;
        }
        if (!inSection)
            continue;
        if (childIndent < 0)
            childIndent = indent;
        const qsizetype colon = content.indexOf(QLatin1String(": "));
        if (indent == childIndent && colon > 0 && content.left(colon).trimmed() == key)
            return yamlScalar(content.mid(colon + 2));
    }
    return {};
}

} // namespace launchers
