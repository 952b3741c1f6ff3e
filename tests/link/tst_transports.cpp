// The line for a port name: a registered transport by its name or its matcher, the serial port
// for any other name; the ports the transports offer to port lists.

#include "qserialport_line.h"
#include "transports.h"
#include "virtual_clock.h"

#include <QtTest>

using namespace kestrel;

namespace {

// A line that tells which transport made it and for what.
class TaggedLine final : public link::SerialLine
{
public:
    TaggedLine(QString tag, const link::LineRequest& request)
        : tag(std::move(tag)), chip(request.chipName), portIndex(request.portIndex)
    {
    }
    link::OpenStatus open(const QString&, int) override { return link::OpenStatus::Failed; }
    bool sendByte(std::uint8_t) override { return false; }
    link::ReadResult read(std::uint8_t*, int, int) override { return {}; }
    void close() override {}
    bool broken() const override { return false; }

    const QString tag;
    const std::string chip;
    const int portIndex;
};

link::Transport tagged(const QString& name, const QString& tag,
                       std::function<bool(const QString&)> matches = {})
{
    return {name, tag + QStringLiteral(" adapter"), std::move(matches),
            [tag](const link::LineRequest& request, link::Clock&) {
                return std::unique_ptr<link::SerialLine>(new TaggedLine(tag, request));
            }};
}

} // namespace

class TestTransports : public QObject
{
    Q_OBJECT
private slots:
    void lineForPortName_data();
    void lineForPortName();
    void namedPortsInOrderAdded();
};

void TestTransports::lineForPortName_data()
{
    QTest::addColumn<QString>("port");
    QTest::addColumn<QString>("tag"); // "serial": the serial port
    QTest::newRow("by name") << "SYMULATOR"
                             << "sim";
    QTest::newRow("name trimmed") << " SYMULATOR\t"
                                  << "sim";
    QTest::newRow("names are exact") << "symulator"
                                     << "serial";
    QTest::newRow("by matcher") << "tcp:10.0.0.2:4000"
                                << "net";
    QTest::newRow("matcher's transport by name") << "NET"
                                                 << "net";
    QTest::newRow("device") << "/dev/ttyUSB0"
                            << "serial";
    QTest::newRow("COM1") << "COM1"
                          << "serial";
    QTest::newRow("no name") << ""
                             << "serial";
}

void TestTransports::lineForPortName()
{
    QFETCH(QString, port);
    QFETCH(QString, tag);
    link::Transports transports;
    transports.add(tagged(QStringLiteral("SYMULATOR"), QStringLiteral("sim")));
    transports.add(tagged(QStringLiteral("NET"), QStringLiteral("net"), [](const QString& name) {
        return name.startsWith(QLatin1String("tcp:"));
    }));
    testsupport::VirtualClock clock;
    const auto line = transports.makeLine({port, "68HC12D60", 3}, clock);
    QVERIFY(line != nullptr);
    if (tag == QLatin1String("serial")) {
        QVERIFY(dynamic_cast<link::QSerialPortLine*>(line.get()) != nullptr);
        return;
    }
    const auto* made = dynamic_cast<const TaggedLine*>(line.get());
    QVERIFY(made != nullptr);
    QCOMPARE(made->tag, tag);
    QCOMPARE(made->chip, std::string("68HC12D60"));
    QCOMPARE(made->portIndex, 3);
}

// Port lists offer the named transports; one registered again keeps its place and takes the new
// line maker; a transport known only by its matcher is not offered.
void TestTransports::namedPortsInOrderAdded()
{
    link::Transports transports;
    QVERIFY(transports.namedPorts().empty());
    transports.add(tagged(QStringLiteral("SYMULATOR"), QStringLiteral("window")));
    transports.add(tagged(QStringLiteral("BENCH"), QStringLiteral("bench")));
    transports.add(tagged({}, QStringLiteral("net"), [](const QString& name) {
        return name.startsWith(QLatin1String("tcp:"));
    }));
    transports.add(tagged(QStringLiteral("SYMULATOR"), QStringLiteral("cli")));
    const auto ports = transports.namedPorts();
    QCOMPARE(ports.size(), std::size_t{2});
    QCOMPARE(ports[0].name, QStringLiteral("SYMULATOR"));
    QCOMPARE(ports[0].description, QStringLiteral("cli adapter"));
    QCOMPARE(ports[1].name, QStringLiteral("BENCH"));
    testsupport::VirtualClock clock;
    const auto line = transports.makeLine({QStringLiteral("SYMULATOR"), "68HC12B32", 0}, clock);
    QCOMPARE(dynamic_cast<const TaggedLine&>(*line).tag, QStringLiteral("cli"));
}

QTEST_GUILESS_MAIN(TestTransports)
#include "tst_transports.moc"
