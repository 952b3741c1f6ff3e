#pragma once

#include <QString>

class QSqlDatabase;

namespace kestrel::registry {

// The schema's version this program writes. A database at an older version is migrated step by
// step; one at a newer version is left alone.
inline constexpr int SchemaVersion = 2;

struct SchemaResult
{
    bool ok = false;
    int version = 0;  // the database's version afterwards (0: no schema)
    QString reason;   // the database's error when not ok and version is not newer
};

// The database's schema version; 0 when it has none yet.
[[nodiscard]] int readSchemaVersion(QSqlDatabase& db);
// Creates or migrates the schema up to `target` in transactions, one at a time across
// processes and stations (a run that loses the race sees the winner's schema and goes on).
[[nodiscard]] SchemaResult migrateSchema(QSqlDatabase& db, int target = SchemaVersion);

} // namespace kestrel::registry
