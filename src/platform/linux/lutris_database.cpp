#include "platform/linux/lutris_database.h"

#include "platform/linux/regular_file.h"

#include <QUrl>
#include <sqlite3.h>

namespace platform::linuxbackend {

namespace {

// A player's Lutris holds hundreds of games at most.
constexpr int RowLimit = 4096;
constexpr qint64 DatabaseLimit = qint64(256) << 20;
// SQLite's steps for the whole read, in thousands (some 10 million a second): a table of
// 100,000 games is read in a few hundred thousand, and anything planted in the file that runs
// longer (a view over an endless recursive query) is stopped within a fifth of a second.
constexpr int StepBudget = 2000;

int stopAtBudget(void* thousands) {
    return ++*static_cast<int*>(thousands) > StepBudget ? 1 : 0;
}

QString column(sqlite3_stmt* statement, int index) {
    const auto* text = reinterpret_cast<const char*>(sqlite3_column_text(statement, index));
    return text ? QString::fromUtf8(text) : QString();
}

bool isTable(sqlite3* database, const char* name) {
    sqlite3_stmt* statement = nullptr;
    const bool table =
        sqlite3_prepare_v2(database,
                           "SELECT 1 FROM sqlite_schema WHERE type = 'table' AND name = ?1", -1,
                           &statement, nullptr) == SQLITE_OK &&
        sqlite3_bind_text(statement, 1, name, -1, SQLITE_STATIC) == SQLITE_OK &&
        sqlite3_step(statement) == SQLITE_ROW;
    sqlite3_finalize(statement);
    return table;
}

} // namespace

std::vector<launchers::LutrisRecord> readLutrisDatabase(const QString& path) {
    // Only a regular file, opened as such: the URI below names the very file checked here.
    const RegularFile file(path);
    if (!file.isOpen() || file.size() > DatabaseLimit)
        return {};
    // immutable: no lock is taken or waited for, and no journal or -wal file is made beside it.
    const QByteArray uri = QUrl::fromLocalFile(file.reopenPath()).toEncoded() + "?immutable=1";
    sqlite3* database = nullptr;
    std::vector<launchers::LutrisRecord> records;
    if (sqlite3_open_v2(uri.constData(), &database, SQLITE_OPEN_READONLY | SQLITE_OPEN_URI,
                        nullptr) == SQLITE_OK) {
        int steps = 0;
        sqlite3_progress_handler(database, 1000, stopAtBudget, &steps);
        // Lutris's own games table, never a view of that name, whose query could be anything.
        const char* query =
            "SELECT directory, configpath FROM games WHERE runner = 'wine' LIMIT 4096";
        sqlite3_stmt* statement = nullptr;
        if (isTable(database, "games") &&
            sqlite3_prepare_v2(database, query, -1, &statement, nullptr) == SQLITE_OK) {
            while (records.size() < RowLimit && sqlite3_step(statement) == SQLITE_ROW)
                records.push_back({column(statement, 0), column(statement, 1)});
        }
        sqlite3_finalize(statement);
    }
    sqlite3_close(database);
    return records;
}

} // namespace platform::linuxbackend
