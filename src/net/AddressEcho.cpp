#include "net/AddressEcho.h"

#include "buildconfig.h"
#include "platform/platform.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>

namespace addressecho {

QString pageUrl() {
    return QStringLiteral(VELKOR_ADDRESS_ECHO_URL);
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
    answer.text = QString::fromLatin1(file.readAll());
    answer.read = true;
    file.close();
    answer.outcome = file.remove() ? Outcome::Ok : Outcome::Failed;
    return answer;
}

} // namespace addressecho
