#include "serial_registry.h"

#include "registry_schema.h"
#include "registry_texts.h"
#include "writer_lock.h"

#include <QDateTime>
#include <QFileInfo>
#include <QSqlDatabase>
#include <QSqlError>
#include <QSqlQuery>
#include <QVariant>

#include <algorithm>
#include <atomic>
#include <limits>

namespace kestrel::registry {

namespace {

// Long enough for every other station's reservation to end; one takes milliseconds.
constexpr int SqliteBusyTimeoutMs = 30000;
constexpr int PostgresConnectTimeoutS = 5;

QString newConnectionName()
{
    static std::atomic<int> next{0};
    return QStringLiteral("kestrel-registry-%1").arg(next.fetch_add(1));
}

// The numbers are BIGINT in the database: a series ends at 2^63 - 1 whatever its field holds.
constexpr std::uint64_t LargestStored = std::uint64_t(std::numeric_limits<qint64>::max());

QString errorOf(const QSqlQuery& q)
{
    return q.lastError().text();
}

Reservation reservationOf(const QSqlQuery& q)
{
    Reservation r;
    r.series = q.value(0).toString();
    r.serial = std::uint64_t(q.value(1).toLongLong());
    r.station = q.value(2).toString();
    r.port = q.value(3).toString();
    r.chip = q.value(4).toString();
    r.state = q.value(5).toString();
    r.crc32 = q.value(6).toString();
    r.reservedAt = q.value(7).toString();
    r.endedAt = q.value(8).toString();
    return r;
}

} // namespace

QString registryTime()
{
    return QDateTime::currentDateTimeUtc().toString(Qt::ISODateWithMs);
}

SerialRegistry::SerialRegistry() : connection_(newConnectionName()) {}

SerialRegistry::~SerialRegistry()
{
    if (QSqlDatabase::contains(connection_)) {
        QSqlDatabase::database(connection_, false).close();
        QSqlDatabase::removeDatabase(connection_);
    }
}

bool SerialRegistry::connect(const RegistryAddress& address, Open mode, QString& error)
{
    const bool sqlite = address.kind == RegistryAddress::Kind::Sqlite;
    const QString driver = sqlite ? QStringLiteral("QSQLITE") : QStringLiteral("QPSQL");
    if (!QSqlDatabase::isDriverAvailable(driver)) {
        error = texts::driverMissing(name_, driver);
        return false;
    }
    if (sqlite && mode == Open::ExistingOnly && !QFileInfo(address.path).isFile()) {
        error = texts::missing(name_);
        return false;
    }
    QSqlDatabase db = QSqlDatabase::addDatabase(driver, connection_);
    if (sqlite) {
        db.setDatabaseName(address.path);
        db.setConnectOptions(QStringLiteral("QSQLITE_BUSY_TIMEOUT=%1").arg(SqliteBusyTimeoutMs));
    } else {
        // No password here: libpq takes it from PGPASSWORD or ~/.pgpass.
        db.setHostName(address.host);
        db.setPort(address.port);
        db.setUserName(address.user);
        db.setDatabaseName(address.database);
        db.setConnectOptions(QStringLiteral("connect_timeout=%1").arg(PostgresConnectTimeoutS));
    }
    if (!db.open()) {
        error = texts::cannotOpen(name_, db.lastError().text().trimmed());
        return false;
    }
    if (sqlite) {
        // Write-ahead logging: a commit is one append to the log, so the lock that orders the
        // stations' reservations is held for less time. A file that cannot take it keeps its
        // journal; the transactions order the reservations either way.
        QSqlQuery q(db);
        (void)q.exec(QStringLiteral("PRAGMA journal_mode=WAL"));
    }
    return true;
}

std::unique_ptr<WriterLock> SerialRegistry::writerLock() const
{
    return sqlitePath_.isEmpty() ? nullptr : std::make_unique<WriterLock>(sqlitePath_);
}

bool SerialRegistry::open(const RegistryAddress& address, Open mode, QString& error)
{
    name_ = address.text;
    if (address.kind == RegistryAddress::Kind::Sqlite)
        sqlitePath_ = address.path;
    if (!connect(address, mode, error))
        return false;
    QSqlDatabase db = QSqlDatabase::database(connection_, false);
    if (mode == Open::ExistingOnly && readSchemaVersion(db) == 0) {
        // A listing makes nothing: a registry with no schema has no reservations either.
        version_ = 0;
        return true;
    }
    const SchemaResult schema = migrateSchema(db);
    version_ = schema.version;
    if (schema.ok)
        return true;
    error = schema.version > SchemaVersion
                ? texts::newerSchema(name_, schema.version, SchemaVersion)
                : texts::cannotOpen(name_, schema.reason.trimmed());
    return false;
}

QString SerialRegistry::failWrite(const QString& reason)
{
    QSqlDatabase::database(connection_, false).rollback();
    return texts::cannotWrite(name_, reason.trimmed());
}

std::optional<ReservedNumbers> SerialRegistry::reserve(const ReservationRequest& request,
                                                       QString& error)
{
    QSqlDatabase db = QSqlDatabase::database(connection_, false);
    const qint64 count = request.ports.size();
    const QString now = registryTime();
    const std::unique_ptr<WriterLock> lock = writerLock();
    if (!db.transaction()) {
        error = texts::cannotWrite(name_, db.lastError().text().trimmed());
        return std::nullopt;
    }
    const auto failed = [&](const QString& reason) -> std::optional<ReservedNumbers> {
        error = failWrite(reason);
        return std::nullopt;
    };
    ReservedNumbers out;
    std::uint64_t next = 0;
    {
        // A write first: SQLite takes its write lock here, before anything is read.
        QSqlQuery q(db);
        q.prepare(QStringLiteral("INSERT INTO series (name, next_serial, created_at) "
                                 "VALUES (?, ?, ?) ON CONFLICT (name) DO NOTHING"));
        q.addBindValue(request.series);
        q.addBindValue(qint64(std::min(request.first, LargestStored)));
        q.addBindValue(now);
        if (!q.exec())
            return failed(errorOf(q));
        out.seriesExisted = q.numRowsAffected() == 0;
        q.prepare(QStringLiteral("UPDATE series SET next_serial = next_serial + ? WHERE name = ?"));
        q.addBindValue(count);
        q.addBindValue(request.series);
        if (!q.exec())
            return failed(errorOf(q));
        q.prepare(QStringLiteral("SELECT next_serial FROM series WHERE name = ?"));
        q.addBindValue(request.series);
        if (!q.exec() || !q.next())
            return failed(errorOf(q));
        next = std::uint64_t(q.value(0).toLongLong());
    }
    out.first = next - std::uint64_t(count);
    const std::uint64_t last = next - 1;
    const std::uint64_t largest = std::min(request.largest, LargestStored);
    if (last > largest || next < std::uint64_t(count)) {
        db.rollback();
        error = texts::numberTooLarge(request.series, last, largest);
        return std::nullopt;
    }
    QSqlQuery insert(db);
    insert.prepare(QStringLiteral(
        "INSERT INTO reservations (series, serial, station, port, chip, state, reserved_at) "
        "VALUES (?, ?, ?, ?, ?, ?, ?)"));
    for (qint64 i = 0; i < count; ++i) {
        insert.addBindValue(request.series);
        insert.addBindValue(qint64(out.first) + i);
        insert.addBindValue(request.station);
        insert.addBindValue(request.ports.at(i));
        insert.addBindValue(request.chip);
        insert.addBindValue(QString::fromLatin1(state::Reserved));
        insert.addBindValue(now);
        if (!insert.exec())
            return failed(errorOf(insert));
    }
    insert.finish();
    if (!db.commit())
        return failed(db.lastError().text());
    return out;
}

bool SerialRegistry::finish(const QString& series, const std::vector<Ending>& endings,
                            QString& error)
{
    QSqlDatabase db = QSqlDatabase::database(connection_, false);
    const QString now = registryTime();
    const std::unique_ptr<WriterLock> lock = writerLock();
    if (!db.transaction()) {
        error = texts::cannotWrite(name_, db.lastError().text().trimmed());
        return false;
    }
    QSqlQuery q(db);
    q.prepare(QStringLiteral("UPDATE reservations SET state = ?, crc32 = ?, ended_at = ? "
                             "WHERE series = ? AND serial = ? AND state = ?"));
    for (const Ending& e : endings) {
        q.addBindValue(e.state);
        q.addBindValue(e.crc32.isEmpty() ? QVariant() : QVariant(e.crc32));
        q.addBindValue(now);
        q.addBindValue(series);
        q.addBindValue(qint64(e.serial));
        q.addBindValue(QString::fromLatin1(state::Reserved));
        if (!q.exec()) {
            error = failWrite(errorOf(q));
            return false;
        }
    }
    q.finish();
    if (!db.commit()) {
        error = failWrite(db.lastError().text());
        return false;
    }
    return true;
}

std::optional<std::vector<Reservation>>
SerialRegistry::list(const std::optional<QString>& series, std::optional<std::uint64_t> serial,
                     QString& error)
{
    std::vector<Reservation> out;
    if (version_ == 0)
        return out;
    QSqlDatabase db = QSqlDatabase::database(connection_, false);
    QStringList conditions;
    if (series)
        conditions << QStringLiteral("series = ?");
    if (serial)
        conditions << QStringLiteral("serial = ?");
    QString sql = QStringLiteral("SELECT series, serial, station, port, chip, state, crc32, "
                                 "reserved_at, ended_at FROM reservations");
    if (!conditions.isEmpty())
        sql += QStringLiteral(" WHERE ") + conditions.join(QStringLiteral(" AND "));
    sql += QStringLiteral(" ORDER BY series, serial");
    QSqlQuery q(db);
    q.setForwardOnly(true);
    q.prepare(sql);
    if (series)
        q.addBindValue(*series);
    if (serial)
        q.addBindValue(qint64(std::min(*serial, LargestStored)));
    if (!q.exec()) {
        error = texts::cannotRead(name_, errorOf(q).trimmed());
        return std::nullopt;
    }
    while (q.next())
        out.push_back(reservationOf(q));
    return out;
}

} // namespace kestrel::registry
