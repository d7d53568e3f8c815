#include "core/help/helpversions.h"

#include <QStringList>
#include <QtEndian>
#include <array>
#include <utility>

namespace helpversions {

namespace {

using Row = std::pair<const char*, const char*>;

constexpr std::array hhNames{
    Row{"4.72.7290.00", "1.0"},
    Row{"4.72.7323.00", "1.1"},
    Row{"4.72.7325.00", "1.1a"},
    Row{"4.72.8164.00", "1.1b"},
    Row{"4.73.8252.00", "1.2"},
    Row{"4.73.8412.00", "1.21"},
    Row{"4.73.8474.00", "1.21a"},
    Row{"4.73.8561.00", "1.22"},
    Row{"4.74.8566.00", "1.3 Windows 2000 Beta"},
    Row{"4.74.8637.00", "1.3 IE 5.5 Platform Preview Beta"},
    Row{"4.74.8702.00", "1.3"},
};

constexpr std::array ieNames{
    Row{"4.70.1155.0000", "3.0"},
    Row{"4.70.1158.0000", "3.0 OSR2"},
    Row{"4.70.1215.0000", "3.02"},
    Row{"4.70.1300.0000", "3.02"},
    Row{"4.71.1008.3000", "4.0 PP2"},
    Row{"4.71.1712.5000", "4.0"},
    Row{"4.72.2106.7000", "4.01"},
    Row{"4.72.3110.0300", "4.0 SP1"},
    Row{"4.72.3612.1707", "4.0 SP2"},
    Row{"5.00.0518.5000", "5.0 beta 1"},
    Row{"5.00.0910.1308", "5.0 beta 2"},
    Row{"5.00.2014.2130", "5.0"},
    Row{"5.00.2314.1000", "5.0a (Office 2000)"},
    Row{"5.00.2614.3500", "5.0b (Windows 98 SE)"},
    Row{"5.00.2717.2000", "5.0c (Icon Security Issue Update)"},
    Row{"5.00.2721.1400", "5.0d (ImportExport Favorites Issue Update)"},
    Row{"5.00.2919.800", "5.x (Windows 2000 RC1, build 5.00.2072)"},
    Row{"5.00.2919.3800", "5.x (Windows 2000 RC2, build 5.00.2128)"},
    Row{"5.00.2919.6307", "5.01"},
    Row{"5.50.3825.1300", "5.5 Platform Preview"},
};

constexpr std::array hhMinimums{"4.72.7290", "4.72.7323", "4.72.7325", "4.72.8164.0",
                                "4.73.8252", "4.73.8412", "4.73.8474", "4.73.8561",
                                "4.74.8566", "4.74.8637", "4.74.8702"};
constexpr int hhFirstCode = 16;

constexpr std::array ieMinimums{
    "4.70.1155",      "4.70.1158",     "4.70.1215",      "4.70.1300",      "4.71.1008.3",
    "4.71.1712.5",    "4.72.2106.7",   "4.72.3110.03",   "4.72.3612.1707", "5.00.0518.5",
    "5.00.0910.1308", "5.00.2014.213", "5.00.2314.1000", "5.00.2614.3500", "5.0.2717.2000",
    "5.00.2721.1400", "5.00.2919.800", "5.00.2919.3800"};
constexpr int ieFirstCode = 256;

template <std::size_t N>
QString lookUp(const std::array<Row, N>& table, const QString& versionText) {
    for (const auto& [version, name] : table) {
        if (versionText.compare(QLatin1String(version), Qt::CaseInsensitive) == 0)
            return QString::fromLatin1(name);
    }
    return QStringLiteral("unknown");
}

template <std::size_t N>
std::optional<QString> minimum(const std::array<const char*, N>& table, int first, int code) {
    if (code < first || code >= first + static_cast<int>(N))
        return std::nullopt;
    return QString::fromLatin1(table[static_cast<std::size_t>(code - first)]);
}

// A number written with at least `width` digits, the sign in front of the padding.
QString padded(int number, int width) {
    const QString digits = QString::number(number < 0 ? -number : number);
    return (number < 0 ? QStringLiteral("-") : QString()) +
           digits.rightJustified(width, QLatin1Char('0'));
}

} // namespace

std::optional<FileVersion> fromFixedFileInfo(const QByteArray& record) {
    if (record.size() < 52)
        return std::nullopt;
    const auto* bytes = reinterpret_cast<const uchar*>(record.constData());
    if (qFromLittleEndian<quint32>(bytes) != 0xFEEF04BDu)
        return std::nullopt;
    const quint32 ms = qFromLittleEndian<quint32>(bytes + 8);
    const quint32 ls = qFromLittleEndian<quint32>(bytes + 12);
    return FileVersion{static_cast<std::int16_t>(ms >> 16), static_cast<std::int16_t>(ms & 0xFFFF),
                       static_cast<std::int16_t>(ls >> 16), static_cast<std::int16_t>(ls & 0xFFFF)};
}

QString versionText(const FileVersion& v) {
    if (v.build > 0) {
        return QString::number(v.major) + QLatin1Char('.') + padded(v.minor, 2) + QLatin1Char('.') +
               padded(v.build, 2) + QLatin1Char('.') + padded(v.revision, 2);
    }
    return QString::number(v.major) + QLatin1Char('.') + padded(v.minor, 2) + QLatin1Char('.') +
           padded(v.revision, 4);
}

QString hhReleaseName(const QString& versionText) {
    return lookUp(hhNames, versionText);
}
QString ieReleaseName(const QString& versionText) {
    return lookUp(ieNames, versionText);
}

std::optional<QString> hhMinimum(int code) {
    return minimum(hhMinimums, hhFirstCode, code);
}
std::optional<QString> ieMinimum(int code) {
    return minimum(ieMinimums, ieFirstCode, code);
}

bool versionReaches(const QString& installed, const QString& minimum) {
    const QStringList have = installed.split(QLatin1Char('.'));
    const QStringList need = minimum.split(QLatin1Char('.'));
    const qsizetype parts = std::max(have.size(), need.size());
    for (qsizetype i = 0; i < parts; ++i) {
        bool haveOk = true, needOk = true;
        const qulonglong h = i < have.size() ? have[i].toULongLong(&haveOk) : 0;
        const qulonglong n = i < need.size() ? need[i].toULongLong(&needOk) : 0;
        if (!haveOk || !needOk)
            return false;
        if (h != n)
            return h > n;
    }
    return true;
}

QString popupFontText(const QString& face, const QString& size, bool bold, bool italic,
                      bool underline) {
    QString text = (face.isEmpty() ? QStringLiteral("Arial") : face) + QStringLiteral(", ") +
                   (size.isEmpty() ? QStringLiteral("10") : size) + QStringLiteral(", ascii, ");
    if (bold)
        text += QStringLiteral("Bold ");
    if (italic)
        text += QStringLiteral("Italic ");
    if (underline)
        text += QStringLiteral("Underline");
    return text;
}

} // namespace helpversions
