// The line for a port name: a registered transport by its name or its matcher, the serial port
// for any other name; the ports the transports offer to port lists.

#include "fake_line.h"
#include "qserialport_line.h"
#include "transports.h"

#include <QtTest>

using namespace kestrel;

namespace {

// Which transport made the last line, and for what.
struct Made
{
    QString by;
    std::string chip;
    int portIndex = -1;
};

link::Transport recorded(const QString& name, const QString& tag, Made& made,
                         std::function<bool(const QString&)> matches = {})
{
    return {name, tag + QStringLiteral(" adapter"), std::move(matches),
            [tag, &made](const link::LineRequest& request, link::Clock& clock) {
                made = {tag, std::string(request.chipName), request.portIndex};
                return std::unique_ptr<link::SerialLine>(
                    new testsupport::FakeLine(static_cast<testsupport::VirtualClock&>(clock)));
            }};
}

bool isTcp(const QString& name)
{
    return name.startsWith(QLatin1String("tcp:"));
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
    Made made;
    link::Transports transports;
    transports.add(recorded(QStringLiteral("SYMULATOR"), QStringLiteral("sim"), made));
    transports.add(recorded(QStringLiteral("NET"), QStringLiteral("net"), made, isTcp));
    testsupport::VirtualClock clock;
    const auto line = transports.makeLine({port, "68HC12D60", 3}, clock);
    if (tag == QLatin1String("serial")) {
        QVERIFY(dynamic_cast<link::QSerialPortLine*>(line.get()) != nullptr);
        QCOMPARE(made.by, QString());
        return;
    }
    QCOMPARE(made.by, tag);
    QCOMPARE(made.chip, std::string("68HC12D60"));
    QCOMPARE(made.portIndex, 3);
}

// Port lists offer the named transports; one registered again keeps its place and takes the new
// line maker; a transport known only by its matcher is not offered.
void TestTransports::namedPortsInOrderAdded()
{
    Made made;
    link::Transports transports;
    QVERIFY(transports.namedPorts().empty());
    transports.add(recorded(QStringLiteral("SYMULATOR"), QStringLiteral("window"), made));
    transports.add(recorded(QStringLiteral("BENCH"), QStringLiteral("bench"), made));
    transports.add(recorded({}, QStringLiteral("net"), made, isTcp));
    transports.add(recorded(QStringLiteral("SYMULATOR"), QStringLiteral("cli"), made));
    const auto ports = transports.namedPorts();
    QCOMPARE(ports.size(), std::size_t{2});
    QCOMPARE(ports[0].name, QStringLiteral("SYMULATOR"));
    QCOMPARE(ports[0].description, QStringLiteral("cli adapter"));
    QCOMPARE(ports[1].name, QStringLiteral("BENCH"));
    testsupport::VirtualClock clock;
    (void)transports.makeLine({QStringLiteral("SYMULATOR"), "68HC12B32", 0}, clock);
    QCOMPARE(made.by, QStringLiteral("cli"));
}

QTEST_GUILESS_MAIN(TestTransports)
#include "tst_transports.moc"
