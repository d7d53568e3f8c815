#include "core/helpfile/chm_file.h"

#include <QFile>
#include <QtEndian>
#include <chm_lib.h>

namespace helpfile {

namespace {

std::optional<quint32> dwordAt(QByteArrayView data, qsizetype offset) {
    if (offset < 0 || offset > data.size() - 4)
        return std::nullopt;
    return qFromLittleEndian<quint32>(data.data() + offset);
}

QString textOf(QByteArrayView data) {
    const qsizetype nul = data.indexOf('\0');
    return QString::fromUtf8(nul < 0 ? data : data.first(nul));
}

} // namespace

ChmSystem parseChmSystem(QByteArrayView data) {
    ChmSystem system;
    qsizetype at = 4; // after the version
    while (at <= data.size() - 4) {
        const quint16 code = qFromLittleEndian<quint16>(data.data() + at);
        const quint16 length = qFromLittleEndian<quint16>(data.data() + at + 2);
        at += 4;
        if (length > data.size() - at)
            break;
        const QByteArrayView record = data.sliced(at, length);
        at += length;
        switch (code) {
        case 0:
            system.contentsFile = textOf(record);
            break;
        case 1:
            system.indexFile = textOf(record);
            break;
        case 2:
            system.defaultTopic = textOf(record);
            break;
        case 3:
            system.title = textOf(record);
            break;
        case 5:
            system.defaultWindow = textOf(record);
            break;
        default:
            break;
        }
    }
    return system;
}

std::optional<quint32> ivbStringOffset(QByteArrayView ivb, quint32 contextNumber) {
    const auto declared = dwordAt(ivb, 0);
    if (!declared)
        return std::nullopt;
    // Only the pairs that are really there, whatever the count claims.
    const qsizetype available = (ivb.size() - 4) / 8;
    const qsizetype pairs = std::min<qsizetype>(available, *declared / 8);
    for (qsizetype i = 0; i < pairs; ++i) {
        if (*dwordAt(ivb, 4 + i * 8) == contextNumber)
            return dwordAt(ivb, 8 + i * 8);
    }
    return std::nullopt;
}

std::optional<QString> stringAt(QByteArrayView strings, quint32 offset) {
    if (offset >= static_cast<quint64>(strings.size()))
        return std::nullopt;
    const QByteArrayView rest = strings.sliced(offset);
    const qsizetype nul = rest.indexOf('\0');
    if (nul < 0)
        return std::nullopt;
    return QString::fromUtf8(rest.first(nul));
}

std::unique_ptr<ChmFile> ChmFile::open(const QString& nativePath, const QString& openAs) {
    chmFile* handle =
        chm_open(QFile::encodeName(openAs.isEmpty() ? nativePath : openAs).constData());
    if (!handle)
        return nullptr;
    std::unique_ptr<ChmFile> opened(new ChmFile(handle, nativePath));
    // Every compiled help file has its system table; a file without one is damaged.
    if (!opened->hasSystem_)
        return nullptr;
    return opened;
}

ChmFile::ChmFile(chmFile* handle, const QString& path) : handle_(handle), path_(path) {
    if (const auto data = object(QStringLiteral("/#SYSTEM"))) {
        system_ = parseChmSystem(*data);
        hasSystem_ = true;
    }
}

ChmFile::~ChmFile() {
    chm_close(handle_);
}

std::optional<QByteArray> ChmFile::objectPath(const QString& path) {
    QByteArray bytes = path.toUtf8();
    if (!bytes.startsWith('/'))
        bytes.prepend('/');
    if (bytes.size() > CHM_MAX_PATHLEN || bytes.contains('\0'))
        return std::nullopt;
    return bytes;
}

std::optional<QByteArray> ChmFile::object(const QString& path) const {
    const auto name = objectPath(path);
    if (!name)
        return std::nullopt;
    chmUnitInfo info{};
    if (chm_resolve_object(handle_, name->constData(), &info) != CHM_RESOLVE_SUCCESS)
        return std::nullopt;
    if (info.length > static_cast<LONGUINT64>(MaxObjectSize))
        return std::nullopt;
    const auto length = static_cast<qsizetype>(info.length);
    QByteArray data(length, Qt::Uninitialized);
    if (length == 0)
        return data;
    // Short reads happen on damaged files; a partial object is no object.
    const LONGINT64 read = chm_retrieve_object(
        handle_, &info, reinterpret_cast<unsigned char*>(data.data()), 0, length);
    if (read != length)
        return std::nullopt;
    return data;
}

bool ChmFile::contains(const QString& path) const {
    const auto name = objectPath(path);
    chmUnitInfo info{};
    return name && chm_resolve_object(handle_, name->constData(), &info) == CHM_RESOLVE_SUCCESS;
}

std::optional<QString> ChmFile::topicForContext(quint32 contextNumber) const {
    const auto ivb = object(QStringLiteral("/#IVB"));
    const auto strings = object(QStringLiteral("/#STRINGS"));
    if (!ivb || !strings)
        return std::nullopt;
    const auto offset = ivbStringOffset(*ivb, contextNumber);
    if (!offset)
        return std::nullopt;
    const auto name = stringAt(*strings, *offset);
    if (!name || name->isEmpty())
        return std::nullopt;
    // Some compilers store the path the topic had on the build machine: drop leading folders
    // until what is left names an object of this file.
    QString path = *name;
    path.replace(QLatin1Char('\\'), QLatin1Char('/'));
    QString anchor;
    if (const qsizetype hash = path.indexOf(QLatin1Char('#')); hash >= 0) {
        anchor = path.mid(hash);
        path.truncate(hash);
    }
    QStringList parts = path.split(QLatin1Char('/'), Qt::SkipEmptyParts);
    while (!parts.isEmpty()) {
        const QString candidate = QLatin1Char('/') + parts.join(QLatin1Char('/'));
        if (contains(candidate))
            return candidate + anchor;
        parts.removeFirst();
    }
    return std::nullopt;
}

namespace {
int collectFile(chmFile*, chmUnitInfo* info, void* context) {
    auto* files = static_cast<QStringList*>(context);
    const QByteArray path(info->path,
                          static_cast<qsizetype>(qstrnlen(info->path, CHM_MAX_PATHLEN)));
    if (path.startsWith('/') && !path.endsWith('/'))
        files->append(QString::fromUtf8(path));
    return CHM_ENUMERATOR_CONTINUE;
}
} // namespace

QStringList ChmFile::files() const {
    QStringList files;
    chm_enumerate(handle_, CHM_ENUMERATE_NORMAL | CHM_ENUMERATE_FILES, collectFile, &files);
    return files;
}

HelpPath parseHelpPath(const QString& path) {
    HelpPath parts;
    QString rest = path.trimmed();
    for (const char* prefix : {"mk:@MSITStore:", "ms-its:", "its:"}) {
        if (rest.startsWith(QLatin1String(prefix), Qt::CaseInsensitive)) {
            rest = rest.mid(qstrlen(prefix));
            break;
        }
    }
    // Neither ">" nor "::" can be part of a Windows file name.
    if (const qsizetype window = rest.indexOf(QLatin1Char('>')); window >= 0) {
        parts.window = rest.mid(window + 1).trimmed();
        rest.truncate(window);
    }
    if (const qsizetype inner = rest.indexOf(QLatin1String("::")); inner >= 0) {
        parts.topic = rest.mid(inner + 2);
        rest.truncate(inner);
    }
    parts.file = rest;
    return parts;
}

} // namespace helpfile
