// Lutris's game database. Only where the build has SQLite (Lutris is a Linux launcher).
#include "core/launchers/launcher_prefixes.h"

#ifdef VELKOR_WITH_SQLITE
#include <QUrl>
#include <sqlite3.h>
#endif

namespace launchers {

#ifdef VELKOR_WITH_SQLITE

namespace {

// A player's Lutris holds hundreds of games at most.
constexpr int RowLimit = 4096;
constexpr qint64 DatabaseLimit = qint64(256) << 20;

QString column(sqlite3_stmt* statement, int index) {
    const auto* text = reinterpret_cast<const char*>(sqlite3_column_text(statement, index));
    return text ? QString::fromUtf8(text) : QString();
}

} // namespace

std::vector<LutrisRecord> readLutrisDatabase(HostFiles& host, const QString& path) {
    // Only a regular file, held open: the URI below names the very file checked here.
    const std::unique_ptr<platform::HeldFile> file = host.hold(path, DatabaseLimit);
    if (!file)
        return {};
    // immutable: no lock is taken or waited for, and no journal or -wal file is made beside it.
    const QByteArray uri = QUrl::fromLocalFile(file->name()).toEncoded() + "?immutable=1";
    sqlite3* database = nullptr;
    std::vector<LutrisRecord> records;
    if (sqlite3_open_v2(uri.constData(), &database, SQLITE_OPEN_READONLY | SQLITE_OPEN_URI,
                        nullptr) == SQLITE_OK) {
        sqlite3_stmt* statement = nullptr;
        const char* query =
            "SELECT directory, configpath FROM games WHERE runner = 'wine' LIMIT 4096";
        if (sqlite3_prepare_v2(database, query, -1, &statement, nullptr) == SQLITE_OK) {
            while (records.size() < RowLimit && sqlite3_step(statement) == SQLITE_ROW)
                records.push_back({column(statement, 0), column(statement, 1)});
        }
        sqlite3_finalize(statement);
    }
    sqlite3_close(database);
    return records;
}

#else

std::vector<LutrisRecord> readLutrisDatabase(HostFiles&, const QString&) {
    return {};
}

#endif

} // namespace launchers
