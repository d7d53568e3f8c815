#include "core/net/WinSockReport.h"

#include "platform/platform.h"

namespace winsock {

bool goOnAfter(const Status& status) {
    if (status.ok())
        return true;
    platform::Services& os = platform::current();
    os.ui->messageBox(status.message, QStringLiteral("Velkor"), platform::mbstyle::Plain);
    if (!status.endsProgram)
        return true;
    os.system->endProgram();
    return false;
}

} // namespace winsock
