#include "platform/common/download_body.h"

#include "buildconfig.h"
#include "platform/downloads.h"

#include <QSaveFile>

#include <algorithm>

namespace platform::common {

namespace {

// The value of a header line "Name: value", blanks around it dropped; nullopt for another name.
std::optional<QByteArrayView> headerValue(QByteArrayView line, QByteArrayView name) {
    if (line.size() <= name.size() || line[name.size()] != ':' ||
        line.first(name.size()).compare(name, Qt::CaseInsensitive) != 0)
        return std::nullopt;
    return line.sliced(name.size() + 1).trimmed();
}

} // namespace

QString userAgent() {
    return QStringLiteral("Velkor/%1.%2.%3")
        .arg(VELKOR_VERSION_MAJOR)
        .arg(VELKOR_VERSION_MINOR)
        .arg(VELKOR_VERSION_PATCH);
}

qsizetype DownloadBody::wanted(qsizetype chunk) const {
    return std::min(chunk, Downloads::MaxBody - bytes_.size() + 1);
}

bool DownloadBody::append(const char* data, qsizetype length) {
    const qsizetype kept = std::min(length, Downloads::MaxBody - bytes_.size());
    bytes_.append(data, kept);
    cut_ = cut_ || kept < length;
    return !cut_;
}

void DownloadBody::headerLine(QByteArrayView line) {
    if (line.startsWith("HTTP/")) {
        chunked_ = lengthUnclear_ = false;
        length_.reset();
    } else if (const auto coding = headerValue(line, "Transfer-Encoding")) {
        chunked_ =
            chunked_ || QByteArray(coding->data(), coding->size()).toLower().contains("chunked");
    } else if (const auto value = headerValue(line, "Content-Length")) {
        bool number = !value->isEmpty() && std::all_of(value->begin(), value->end(),
                                                       [](char c) { return c >= '0' && c <= '9'; });
        const qint64 length = number ? value->toLongLong(&number) : -1;
        lengthUnclear_ = lengthUnclear_ || !number || (length_ && *length_ != length);
        length_ = length;
    }
}

bool DownloadBody::whole() const {
    if (cut_)
        return false;
    if (chunked_)
        return true;
    return !lengthUnclear_ && (!length_ || *length_ == bytes_.size());
}

bool DownloadBody::commitTo(const QString& nativePath) const {
    QSaveFile file(nativePath);
    return file.open(QIODevice::WriteOnly) && file.write(bytes_) == bytes_.size() && file.commit();
}

} // namespace platform::common
