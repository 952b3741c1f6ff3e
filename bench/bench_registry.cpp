// The serial-number registry under load: 1,000 reservations from 8 processes at once, against a
// SQLite file and against PostgreSQL. Each process opens its own connection, then reserves one
// number at a time (as a one-port run does) and records how each board ended; the figures are
// the reservations per second over the whole run and the slowest reservation.
// Prints figures; asserts nothing.
// Usage: bench_registry [--processes N] [--reservations N] [POSTGRESQL-URL]
//   (the URL defaults to KESTREL_TEST_PG_URL; without one only SQLite is measured)

#include "serial_registry.h"

#include <QCoreApplication>
#include <QElapsedTimer>
#include <QProcess>
#include <QTemporaryDir>
#include <QUuid>

#include <algorithm>
#include <cstdio>
#include <vector>

using namespace kestrel;

namespace {

// A worker: `count` reservations in `series`; one line per reservation, its microseconds.
int worker(const QString& url, const QString& series, int count)
{
    QString error;
    const auto address = registry::parseRegistryAddress(url, error);
    registry::SerialRegistry reg;
    if (!address || !reg.open(*address, registry::SerialRegistry::Open::CreateIfMissing, error)) {
        std::fprintf(stderr, "%s\n", qPrintable(error));
        return 2;
    }
    registry::ReservationRequest r;
    r.series = series;
    r.first = 1;
    r.largest = 0xFFFFFFFFu;
    r.station = QStringLiteral("bench");
    r.chip = QStringLiteral("68HC12B32");
    r.ports = {QStringLiteral("SYMULATOR")};
    for (int i = 0; i < count; ++i) {
        QElapsedTimer t;
        t.start();
        const auto numbers = reg.reserve(r, error);
        const qint64 us = t.nsecsElapsed() / 1000;
        if (!numbers) {
            std::fprintf(stderr, "%s\n", qPrintable(error));
            return 2;
        }
        if (!reg.finish(series, {{numbers->first, QStringLiteral("verified"), QStringLiteral("cbf43926")}},
                        error)) {
            std::fprintf(stderr, "%s\n", qPrintable(error));
            return 2;
        }
        std::printf("%lld\n", static_cast<long long>(us));
    }
    return 0;
}

void measure(const QString& label, const QString& url, int processes, int reservations)
{
    const QString series = QStringLiteral("bench-") + QUuid::createUuid().toString(QUuid::WithoutBraces);
    std::vector<std::unique_ptr<QProcess>> workers;
    QElapsedTimer wall;
    wall.start();
    for (int p = 0; p < processes; ++p) {
        const int count = reservations / processes + (p < reservations % processes ? 1 : 0);
        workers.push_back(std::make_unique<QProcess>());
        workers.back()->setProcessChannelMode(QProcess::ForwardedErrorChannel);
        workers.back()->start(QCoreApplication::applicationFilePath(),
                              {QStringLiteral("--worker"), url, series, QString::number(count)});
    }
    std::vector<qint64> us;
    bool failed = false;
    for (auto& w : workers) {
        w->waitForFinished(600000);
        failed |= w->exitCode() != 0;
        for (const QByteArray& line : w->readAllStandardOutput().split('\n'))
            if (!line.isEmpty())
                us.push_back(line.toLongLong());
    }
    const double seconds = double(wall.nsecsElapsed()) / 1e9;
    std::sort(us.begin(), us.end());
    if (failed || us.empty()) {
        std::printf("%-10s  failed (%zu reservations made)\n", qPrintable(label), us.size());
        return;
    }
    const auto at = [&](double q) { return double(us[std::size_t(q * double(us.size() - 1))]) / 1000.0; };
    std::printf("%-10s  %4zu reservations, %d processes, %.2f s: %.0f reservations/s; "
                "median %.2f ms, 99th percentile %.2f ms, slowest %.2f ms\n",
                qPrintable(label), us.size(), processes, seconds, double(us.size()) / seconds,
                at(0.5), at(0.99), double(us.back()) / 1000.0);
    std::fflush(stdout);
}

} // namespace

int main(int argc, char* argv[])
{
    QCoreApplication app(argc, argv);
    QStringList args = app.arguments().mid(1);
    if (args.size() == 4 && args[0] == QLatin1String("--worker"))
        return worker(args[1], args[2], args[3].toInt());
    int processes = 8;
    int reservations = 1000;
    QString pg = qEnvironmentVariable("KESTREL_TEST_PG_URL");
    while (!args.isEmpty()) {
        const QString a = args.takeFirst();
        if (a == QLatin1String("--processes") && !args.isEmpty())
            processes = std::max(1, args.takeFirst().toInt());
        else if (a == QLatin1String("--reservations") && !args.isEmpty())
            reservations = std::max(1, args.takeFirst().toInt());
        else
            pg = a;
    }
    QTemporaryDir dir;
    measure(QStringLiteral("SQLite"), dir.filePath(QStringLiteral("registry.db")), processes,
            reservations);
    if (pg.isEmpty())
        std::printf("PostgreSQL  not measured: give its URL or set KESTREL_TEST_PG_URL\n");
    else
        measure(QStringLiteral("PostgreSQL"), pg, processes, reservations);
    return 0;
}
