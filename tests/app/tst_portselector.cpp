#include "port_selector.h"
#include "sim_transport.h"

#include <QAbstractItemView>
#include <QtTest>

using namespace kestrel;
using link::SerialPortEntry;

class TestPortSelector : public QObject
{
    Q_OBJECT
private slots:
    void initTestCase();
    void machinePortsBetweenEmptyItemAndSimulator();
    void listLooksAgainEachTimeItOpens();
    void choiceAndTypedNameSurviveARefresh_data();
    void choiceAndTypedNameSurviveARefresh();
    void describesPorts_data();
    void describesPorts();

private:
    static QStringList items(const QComboBox& box)
    {
        QStringList out;
        for (int i = 0; i < box.count(); ++i)
            out << box.itemText(i);
        return out;
    }
};

void TestPortSelector::initTestCase()
{
    // As the program's start-up: "SYMULATOR" in the port list.
    sim::registerSimulatorTransport();
}

void TestPortSelector::machinePortsBetweenEmptyItemAndSimulator()
{
    PortSelector box;
    box.setPortSource([] {
        return std::vector<SerialPortEntry>{
            {QStringLiteral("/dev/ttyACM0"), QStringLiteral("Mega 2560"),
             QStringLiteral("Arduino")},
            {QStringLiteral("/dev/ttyUSB0"), QStringLiteral("FT232R USB UART"), QString()},
            {QStringLiteral("/dev/ttyUSB1"), QString(), QString()}};
    });
    QCOMPARE(items(box), (QStringList{"COM1", "COM2", "", "SYMULATOR"}));
    QCOMPARE(box.currentText(), QStringLiteral("COM1"));
    box.refreshPorts();
    QCOMPARE(items(box), (QStringList{"COM1", "COM2", "", "/dev/ttyACM0", "/dev/ttyUSB0",
                                      "/dev/ttyUSB1", "SYMULATOR"}));
    QCOMPARE(box.itemData(3, Qt::ToolTipRole).toString(), QStringLiteral("Mega 2560, Arduino"));
    QCOMPARE(box.itemData(4, Qt::ToolTipRole).toString(), QStringLiteral("FT232R USB UART"));
    QVERIFY(!box.itemData(5, Qt::ToolTipRole).isValid());
    QCOMPARE(box.currentText(), QStringLiteral("COM1"));
}

void TestPortSelector::listLooksAgainEachTimeItOpens()
{
    // An adapter plugged in while the program runs shows up the next time the list opens.
    std::vector<SerialPortEntry> ports;
    int lookups = 0;
    PortSelector box;
    box.setPortSource([&] {
        ++lookups;
        return ports;
    });
    box.show();
    QVERIFY(QTest::qWaitForWindowExposed(&box));
    box.showPopup();
    QCOMPARE(lookups, 1);
    QCOMPARE(box.count(), 4);
    box.hidePopup();
    ports.push_back(
        {QStringLiteral("/dev/ttyUSB0"), QStringLiteral("CP2102"), QStringLiteral("Silicon Labs")});
    box.showPopup();
    QCOMPARE(lookups, 2);
    QCOMPARE(items(box), (QStringList{"COM1", "COM2", "", "/dev/ttyUSB0", "SYMULATOR"}));
    // The list is wide enough for the longest name.
    QVERIFY(box.view()->minimumWidth() >=
            box.view()->fontMetrics().horizontalAdvance(QStringLiteral("/dev/ttyUSB0")));
    box.hidePopup();
    ports.clear();
    box.showPopup();
    box.hidePopup();
    QCOMPARE(box.count(), 4);
}

void TestPortSelector::choiceAndTypedNameSurviveARefresh_data()
{
    QTest::addColumn<QString>("choice"); // an item's text, or a typed name
    QTest::addColumn<bool>("typed");
    QTest::addColumn<bool>("portStays");
    QTest::newRow("SYMULATOR") << "SYMULATOR" << false << true;
    QTest::newRow("COM2") << "COM2" << false << true;
    QTest::newRow("a machine port that stays") << "/dev/ttyUSB0" << false << true;
    QTest::newRow("a machine port that went away") << "/dev/ttyUSB0" << false << false;
    QTest::newRow("a typed name") << "/dev/ttyS7" << true << true;
}

void TestPortSelector::choiceAndTypedNameSurviveARefresh()
{
    QFETCH(QString, choice);
    QFETCH(bool, typed);
    QFETCH(bool, portStays);
    std::vector<SerialPortEntry> ports{{QStringLiteral("/dev/ttyUSB0"), {}, {}}};
    PortSelector box;
    box.setPortSource([&] { return ports; });
    box.refreshPorts();
    if (typed)
        box.setEditText(choice);
    else
        box.setCurrentIndex(box.findText(choice));
    QCOMPARE(box.currentText(), choice);
    QSignalSpy changes(&box, &QComboBox::currentTextChanged);
    if (!portStays)
        ports.clear();
    ports.insert(ports.begin(), {QStringLiteral("/dev/ttyACM0"), {}, {}});
    box.refreshPorts();
    QCOMPARE(box.currentText(), choice);
    if (!typed && portStays)
        QCOMPARE(box.itemText(box.currentIndex()), choice);
    // Whatever signals the refresh sent, the last one shows the same text.
    if (!changes.isEmpty())
        QCOMPARE(changes.last().at(0).toString(), choice);
}

void TestPortSelector::describesPorts_data()
{
    QTest::addColumn<QString>("description");
    QTest::addColumn<QString>("maker");
    QTest::addColumn<QString>("text");
    QTest::newRow("both") << "USB-Serial Controller"
                          << "Prolific"
                          << "USB-Serial Controller, Prolific";
    QTest::newRow("maker only") << ""
                                << "FTDI"
                                << "FTDI";
    QTest::newRow("blank description") << "  "
                                       << "FTDI"
                                       << "FTDI";
    QTest::newRow("neither") << ""
                             << ""
                             << "";
}

void TestPortSelector::describesPorts()
{
    QFETCH(QString, description);
    QFETCH(QString, maker);
    QTEST(link::describePort({QStringLiteral("/dev/ttyUSB0"), description, maker}), "text");
}

QTEST_MAIN(TestPortSelector)
#include "tst_portselector.moc"
