#pragma once

// A registry of its own for each test row: a SQLite file in a temporary folder, or a database
// created for it in the PostgreSQL that KESTREL_TEST_PG_URL names (scripts/pg-test-cluster.sh),
// dropped afterwards.

#include <QSqlDatabase>
#include <QSqlError>
#include <QSqlQuery>
#include <QTemporaryDir>
#include <QUrl>
#include <QtTest>

#include <atomic>

namespace kestrel::testsupport {

// The rows of a test that runs against both databases.
inline void addRegistryRows()
{
    QTest::addColumn<QString>("database");
    QTest::newRow("sqlite") << QStringLiteral("sqlite");
    QTest::newRow("postgresql") << QStringLiteral("postgresql");
}

class RegistryScratch
{
public:
    // Empty url() when it could not be made: reason() tells why (the test skips with it).
    explicit RegistryScratch(const QString& database)
    {
        if (database == QLatin1String("sqlite")) {
            url_ = dir_.filePath(QStringLiteral("registry.db"));
            return;
        }
        const QString base = qEnvironmentVariable("KESTREL_TEST_PG_URL");
        if (base.isEmpty()) {
            reason_ = QStringLiteral("KESTREL_TEST_PG_URL not set: no PostgreSQL to test against "
                                     "(see scripts/pg-test-cluster.sh)");
            return;
        }
        if (!QSqlDatabase::isDriverAvailable(QStringLiteral("QPSQL"))) {
            reason_ = QStringLiteral("Qt's QPSQL driver is not installed");
            return;
        }
        static std::atomic<int> counter{0};
        name_ = QStringLiteral("kestrel_t%1_%2")
                    .arg(QCoreApplication::applicationPid())
                    .arg(counter.fetch_add(1));
        QString error;
        if (!admin(QStringLiteral("CREATE DATABASE %1").arg(name_), error)) {
            reason_ = QStringLiteral("cannot create a database in %1: %2").arg(base, error);
            name_.clear();
            return;
        }
        url_ = base.left(base.lastIndexOf(u'/') + 1) + name_;
    }
    ~RegistryScratch()
    {
        QString error;
        if (!name_.isEmpty())
            (void)admin(QStringLiteral("DROP DATABASE %1 WITH (FORCE)").arg(name_), error);
    }
    RegistryScratch(const RegistryScratch&) = delete;
    RegistryScratch& operator=(const RegistryScratch&) = delete;

    [[nodiscard]] QString url() const { return url_; }
    [[nodiscard]] QString reason() const { return reason_; }
    [[nodiscard]] QString folder() const { return dir_.path(); }

private:
    // A statement on the database KESTREL_TEST_PG_URL names.
    static bool admin(const QString& sql, QString& error)
    {
        const QUrl url(qEnvironmentVariable("KESTREL_TEST_PG_URL"));
        const QString name = QStringLiteral("scratch-admin");
        bool ok = false;
        {
            QSqlDatabase db = QSqlDatabase::addDatabase(QStringLiteral("QPSQL"), name);
            db.setHostName(url.host());
            db.setPort(url.port(5432));
            db.setUserName(url.userName());
            db.setDatabaseName(url.path().mid(1));
            QSqlQuery q(db);
            ok = db.open() && q.exec(sql);
            error = db.lastError().text() + q.lastError().text();
        }
        QSqlDatabase::removeDatabase(name);
        return ok;
    }

    QTemporaryDir dir_;
    QString url_;
    QString reason_;
    QString name_;
};

} // namespace kestrel::testsupport

// Skips the row when its database cannot be had, with the reason.
#define KESTREL_REGISTRY_OR_SKIP(scratch)                                                        \
    do {                                                                                         \
        if ((scratch).url().isEmpty())                                                           \
            QSKIP(qPrintable((scratch).reason()));                                               \
    } while (false)
