#pragma once

// kestrel-cli's core run in process, for the tests: simulated adapters on a virtual clock,
// buffers for the standard streams, and the helpers the tests of its commands share.

#include "cli_app.h"
#include "sim_line.h"
#include "virtual_clock.h"

#include <QBuffer>
#include <QFile>
#include <QtTest>

#include <random>

namespace kestrel::clitest {

using kestrel::cli::CliApp;
using kestrel::cli::CliEnvironment;
using kestrel::cli::PortOutcome;
using kestrel::testsupport::VirtualClock;

inline QByteArray randomBytes(int size, unsigned seed)
{
    std::mt19937 random(seed);
    QByteArray out(size, '\0');
    for (char& b : out)
        b = static_cast<char>(random());
    return out;
}

inline QByteArray eepromOf(const sim::Simulator& s)
{
    const auto bytes = s.eeprom();
    return QByteArray(reinterpret_cast<const char*>(bytes.data()),
                      static_cast<qsizetype>(bytes.size()));
}

inline void writeFile(const QString& path, const QByteArray& bytes)
{
    QFile f(path);
    QVERIFY(f.open(QIODevice::WriteOnly));
    QCOMPARE(f.write(bytes), bytes.size());
}

inline QByteArray readFile(const QString& path)
{
    QFile f(path);
    return f.open(QIODevice::ReadOnly) ? f.readAll() : QByteArray();
}

// One kestrel-cli run in process: simulated adapters (one per --port), buffers for the
// standard streams, a virtual clock on every port's thread.
struct Harness
{
    std::vector<std::unique_ptr<sim::Simulator>> sims;
    // Replaces the simulator line of a port.
    std::function<std::unique_ptr<link::SerialLine>(int port, VirtualClock&)> line;
    QByteArray in;
    QByteArray out;
    QByteArray err;
    std::atomic<bool> cancel{false};
    std::vector<PortOutcome> outcomes;
    std::vector<link::SerialPortEntry> machinePorts;

    void addSimulators(sim::ChipKind kind, int count, sim::Faults faults = {})
    {
        for (int i = 0; i < count; ++i)
            sims.push_back(std::make_unique<sim::Simulator>(kind, faults));
    }

    int run(const QStringList& args)
    {
        QBuffer inBuffer(&in);
        QBuffer outBuffer(&out);
        QBuffer errBuffer(&err);
        inBuffer.open(QIODevice::ReadOnly);
        outBuffer.open(QIODevice::WriteOnly);
        errBuffer.open(QIODevice::WriteOnly);
        CliEnvironment env;
        env.in = &inBuffer;
        env.out = &outBuffer;
        env.err = &errBuffer;
        env.cancel = &cancel;
        env.makeClock = [] { return std::unique_ptr<link::Clock>(new VirtualClock); };
        env.makeLine = [this](int port, const QString&,
                              link::Clock& clock) -> std::unique_ptr<link::SerialLine> {
            auto& virtualClock = static_cast<VirtualClock&>(clock);
            if (line)
                return line(port, virtualClock);
            return std::make_unique<sim::SimLine>(*sims.at(static_cast<std::size_t>(port)), clock);
        };
        env.machinePorts = [this] { return machinePorts; };
        CliApp app(std::move(env));
        const int code = app.run(QStringList{QStringLiteral("kestrel-cli")} + args);
        outcomes = app.outcomes();
        return code;
    }
    [[nodiscard]] QString errText() const { return QString::fromUtf8(err); }
    [[nodiscard]] std::size_t framesSent() const
    {
        std::size_t n = 0;
        for (const auto& s : sims)
            n += s->frameCount();
        return n;
    }
};

} // namespace kestrel::clitest
