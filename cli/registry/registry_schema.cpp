#include "registry_schema.h"

#include <QSqlDatabase>
#include <QSqlError>
#include <QSqlQuery>
#include <QStringList>
#include <QThread>

namespace kestrel::registry {

namespace {

// Each version's statements, the same for SQLite and PostgreSQL. Times are UTC ISO 8601 text.
const QStringList& stepStatements(int version)
{
    static const QStringList v1{
        QStringLiteral("CREATE TABLE schema_version (version INTEGER NOT NULL)"),
        QStringLiteral("INSERT INTO schema_version (version) VALUES (0)"),
        QStringLiteral("CREATE TABLE series (name VARCHAR(200) PRIMARY KEY, "
                       "next_serial BIGINT NOT NULL, created_at VARCHAR(32) NOT NULL)"),
        QStringLiteral("CREATE TABLE reservations ("
                       "series VARCHAR(200) NOT NULL REFERENCES series (name), "
                       "serial BIGINT NOT NULL, station VARCHAR(255) NOT NULL, "
                       "port VARCHAR(1024) NOT NULL, chip VARCHAR(64) NOT NULL, "
                       "state VARCHAR(16) NOT NULL, crc32 VARCHAR(8), "
                       "reserved_at VARCHAR(32) NOT NULL, ended_at VARCHAR(32), "
                       "PRIMARY KEY (series, serial))"),
    };
    // Tracing a board by its number alone, whatever its series.
    static const QStringList v2{
        QStringLiteral("CREATE INDEX reservations_by_serial ON reservations (serial)"),
    };
    static const QStringList none;
    switch (version) {
    case 1:
        return v1;
    case 2:
        return v2;
    default:
        return none;
    }
}

constexpr int Attempts = 8;

// One transaction from `from` to `target`; the database's error, or an empty string.
QString runSteps(QSqlDatabase& db, int from, int target)
{
    if (!db.transaction())
        return db.lastError().text();
    for (int v = from + 1; v <= target; ++v) {
        QStringList statements = stepStatements(v);
        statements << QStringLiteral("UPDATE schema_version SET version = %1").arg(v);
        for (const QString& sql : statements) {
            QSqlQuery q(db);
            if (!q.exec(sql)) {
                const QString reason = q.lastError().text();
                q.finish();
                db.rollback();
                return reason;
            }
        }
    }
    if (!db.commit()) {
        const QString reason = db.lastError().text();
        db.rollback();
        return reason;
    }
    return {};
}

} // namespace

int readSchemaVersion(QSqlDatabase& db)
{
    if (!db.tables().contains(QStringLiteral("schema_version")))
        return 0;
    QSqlQuery q(db);
    if (!q.exec(QStringLiteral("SELECT version FROM schema_version")) || !q.next())
        return 0;
    return q.value(0).toInt();
}

SchemaResult migrateSchema(QSqlDatabase& db, int target)
{
    SchemaResult result;
    for (int attempt = 0; attempt < Attempts; ++attempt) {
        result.version = readSchemaVersion(db);
        if (result.version > SchemaVersion) {
            result.reason.clear();
            return result;
        }
        if (result.version >= target) {
            result.ok = true;
            return result;
        }
        result.reason = runSteps(db, result.version, target);
        if (result.reason.isEmpty())
            continue; // read back what was committed
        // Another run migrating at the same moment: its schema is there once it commits.
        QThread::msleep(20 + 10 * attempt);
    }
    return result;
}

} // namespace kestrel::registry
