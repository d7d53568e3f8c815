#include "net/AddressEcho.h"

#include "net/RouterFacts.h"
#include "platform/platform.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>

namespace addressecho {

QString addressIn(const QString& body) {
    // White space as the page's own text would have it: blanks, tabs and line ends.
    const auto blank = [](QChar c) { return c == u' ' || (c >= u'\t' && c <= u'\r'); };
    qsizetype begin = 0, end = body.size();
    while (begin < end && blank(body[begin]))
        ++begin;
    while (end > begin && blank(body[end - 1]))
        --end;
    const QStringView address = QStringView(body).mid(begin, end - begin);
    return net::isPublicIpv4(address) ? address.toString() : QString();
}

Answer fetch(const QString& url, const QString& windowsTempFile) {
    platform::Services& os = platform::current();
    os.downloads->downloadToFile(url, windowsTempFile);

    Answer answer;
    const QString native = os.files->toNative(windowsTempFile);
    if (native.isEmpty()) {
        answer.outcome = Outcome::PathNotFound;
        return answer;
    }
    QFile file(native);
    if (!file.open(QIODevice::ReadOnly)) {
        if (!QFileInfo(native).absoluteDir().exists())
            answer.outcome = Outcome::PathNotFound;
        else if (!file.exists())
            answer.outcome = Outcome::FileNotFound;
        else
            answer.outcome = Outcome::Failed;
        return answer;
    }
    answer.text = addressIn(QString::fromLatin1(file.readAll()));
    file.close();
    const bool removed = file.remove();
    // Anything but an address counts as no answer at all.
    answer.read = !answer.text.isEmpty();
    answer.outcome = !answer.read ? Outcome::FileNotFound : removed ? Outcome::Ok : Outcome::Failed;
    return answer;
}

} // namespace addressecho
