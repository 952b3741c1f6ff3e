#include "eeprom_model.h"

#include <QSignalSpy>
#include <QtTest>

using namespace kestrel;

class TestEepromModel : public QObject
{
    Q_OBJECT
private slots:
    void cellsMapToEntries_data();
    void cellsMapToEntries();
    void headers();
    void layoutFollowsChip_data();
    void layoutFollowsChip();
    void refreshCoversEveryCell();
    void refreshEntry_data();
    void refreshEntry();
    void marksGoWithEntryChanges_data();
    void marksGoWithEntryChanges();
};

void TestEepromModel::cellsMapToEntries_data()
{
    QTest::addColumn<int>("row");
    QTest::addColumn<int>("column");
    QTest::addColumn<int>("entry");
    QTest::newRow("first") << 0 << 0 << 1;
    QTest::newRow("end of row 1") << 0 << 15 << 16;
    QTest::newRow("start of row 2") << 1 << 0 << 17;
    QTest::newRow("last of 512") << 31 << 15 << 512;
}

void TestEepromModel::cellsMapToEntries()
{
    QFETCH(int, row);
    QFETCH(int, column);
    QFETCH(int, entry);

    ImageState state;
    state.EepromBuffer[static_cast<std::size_t>(entry)] = 0x41;
    state.EepromBuffer[static_cast<std::size_t>(entry) + 1] = 0xA5;
    EepromModel model(state);
    QCOMPARE(model.rowCount(), 32);
    QCOMPARE(model.columnCount(), 16);
    const QModelIndex cell = model.index(row, column);
    QCOMPARE(cell.data().toString(), QStringLiteral("41"));
    QCOMPARE(cell.data(EepromModel::CharTextRole).toString(), QStringLiteral("A"));
    QCOMPARE(cell.data(EepromModel::EntryRole).toInt(), entry);
    // The next entry belongs to the next cell in reading order.
    const int next = entry % 16 == 0 ? 0 : 1;
    const QModelIndex after = model.index(row + 1 - next, next ? column + 1 : 0);
    if (after.isValid()) {
        QCOMPARE(after.data().toString(), QStringLiteral("A5"));
        QCOMPARE(after.data(EepromModel::CharTextRole).toString(), QString(QChar(0x0104)));
    }
    QVERIFY(model.flags(cell).testFlag(Qt::ItemIsSelectable));
    QVERIFY(!model.flags(cell).testFlag(Qt::ItemIsEditable));
}

void TestEepromModel::headers()
{
    ImageState state;
    EepromModel model(state);
    QCOMPARE(model.headerData(0, Qt::Horizontal).toString(), QStringLiteral("00"));
    QCOMPARE(model.headerData(10, Qt::Horizontal).toString(), QStringLiteral("0A"));
    QCOMPARE(model.headerData(15, Qt::Horizontal).toString(), QStringLiteral("0F"));
    QCOMPARE(model.headerData(0, Qt::Vertical).toString(), QStringLiteral("B600"));
    QCOMPARE(model.headerData(31, Qt::Vertical).toString(), QStringLiteral("B7F0"));
    QVERIFY(!model.headerData(32, Qt::Vertical).isValid());
}

void TestEepromModel::layoutFollowsChip_data()
{
    QTest::addColumn<int>("size");
    QTest::addColumn<int>("base");
    QTest::addColumn<QString>("lastLabel");
    QTest::newRow("256 at 0100") << 256 << 0x0100 << "01F0";
    QTest::newRow("1024 at 0C00") << 1024 << 0x0C00 << "0FF0";
    QTest::newRow("640 at 0D80") << 640 << 0x0D80 << "0FF0";
    QTest::newRow("512 unchanged") << 512 << 0xB600 << "B7F0";
}

void TestEepromModel::layoutFollowsChip()
{
    QFETCH(int, size);
    QFETCH(int, base);
    QFETCH(QString, lastLabel);

    ImageState state;
    EepromModel model(state);
    QSignalSpy inserted(&model, &QAbstractItemModel::rowsInserted);
    QSignalSpy removed(&model, &QAbstractItemModel::rowsRemoved);
    state.EepromSize = size;
    state.EepromBase = base;
    model.syncLayout();
    const int rows = size / 16;
    QCOMPARE(model.rowCount(), rows);
    QCOMPARE(inserted.size(), rows > 32 ? 1 : 0);
    QCOMPARE(removed.size(), rows < 32 ? 1 : 0);
    if (rows > 32) {
        QCOMPARE(inserted.at(0).at(1).toInt(), 32);
        QCOMPARE(inserted.at(0).at(2).toInt(), rows - 1);
    }
    if (rows < 32) {
        QCOMPARE(removed.at(0).at(1).toInt(), rows);
        QCOMPARE(removed.at(0).at(2).toInt(), 31);
    }
    QCOMPARE(model.headerData(0, Qt::Vertical).toString(), addressLabel(base));
    QCOMPARE(model.headerData(rows - 1, Qt::Vertical).toString(), lastLabel);
}

void TestEepromModel::refreshCoversEveryCell()
{
    ImageState state;
    EepromModel model(state);
    QSignalSpy data(&model, &QAbstractItemModel::dataChanged);
    QSignalSpy header(&model, &QAbstractItemModel::headerDataChanged);
    model.refresh();
    QCOMPARE(data.size(), 1);
    QCOMPARE(data.at(0).at(0).toModelIndex(), model.index(0, 0));
    QCOMPARE(data.at(0).at(1).toModelIndex(), model.index(31, 15));
    const auto roles = data.at(0).at(2).value<QList<int>>();
    QVERIFY(roles.contains(Qt::DisplayRole));
    QVERIFY(roles.contains(EepromModel::CharTextRole));
    QCOMPARE(header.size(), 1);
    QCOMPARE(header.at(0).at(0).value<Qt::Orientation>(), Qt::Vertical);
}

void TestEepromModel::refreshEntry_data()
{
    QTest::addColumn<int>("entry");
    QTest::addColumn<int>("row");
    QTest::addColumn<int>("column");
    QTest::newRow("1") << 1 << 0 << 0;
    QTest::newRow("16") << 16 << 0 << 15;
    QTest::newRow("17") << 17 << 1 << 0;
    QTest::newRow("512") << 512 << 31 << 15;
    QTest::newRow("beyond the chip") << 513 << -1 << -1;
    QTest::newRow("slot 0") << 0 << -1 << -1;
}

void TestEepromModel::refreshEntry()
{
    QFETCH(int, entry);
    QFETCH(int, row);
    QFETCH(int, column);

    ImageState state;
    EepromModel model(state);
    QSignalSpy data(&model, &QAbstractItemModel::dataChanged);
    model.refreshEntry(entry);
    if (row < 0) {
        QCOMPARE(data.size(), 0);
        return;
    }
    QCOMPARE(data.size(), 1);
    QCOMPARE(data.at(0).at(0).toModelIndex(), model.index(row, column));
    QCOMPARE(data.at(0).at(1).toModelIndex(), model.index(row, column));
}

void TestEepromModel::marksGoWithEntryChanges_data()
{
    QTest::addColumn<QString>("change");
    QTest::addColumn<bool>("kept");
    QTest::newRow("refresh") << "refresh" << false;
    QTest::newRow("one entry") << "entry" << false;
    QTest::newRow("layout") << "layout" << false;
    QTest::newRow("cleared") << "clear" << false;
    QTest::newRow("marked anew") << "mark" << false;
    QTest::newRow("no change") << "" << true;
}

void TestEepromModel::marksGoWithEntryChanges()
{
    QFETCH(QString, change);
    QFETCH(bool, kept);
    ImageState state;
    state.EepromSize = 768;
    EepromModel model(state);
    QSignalSpy changed(&model, &EepromModel::dataChanged);
    model.setMarkedEntries({1, 40, 768, 40, 0, 2048});
    QCOMPARE(model.markedCount(), 3);
    QVERIFY(model.index(2, 7).data(EepromModel::MarkedRole).toBool());
    QVERIFY(!model.index(2, 8).data(EepromModel::MarkedRole).toBool());
    QVERIFY(model.index(47, 15).data(EepromModel::MarkedRole).toBool());

    changed.clear();
    if (change == QLatin1String("refresh"))
        model.refresh();
    else if (change == QLatin1String("entry"))
        model.refreshEntry(300);
    else if (change == QLatin1String("layout"))
        model.syncLayout();
    else if (change == QLatin1String("clear"))
        model.clearMarks();
    else if (change == QLatin1String("mark"))
        model.setMarkedEntries({2});
    const bool marked = change == QLatin1String("mark");
    QCOMPARE(model.markedCount(), kept ? 3 : marked ? 1 : 0);
    QCOMPARE(model.index(2, 7).data(EepromModel::MarkedRole).toBool(), kept);
    QCOMPARE(model.index(0, 1).data(EepromModel::MarkedRole).toBool(), marked);
    if (kept) {
        QCOMPARE(changed.count(), 0);
        return;
    }
    // The views hear of it: a change of the mark role over the cell that lost its mark.
    bool told = false;
    for (const QList<QVariant>& signal : changed) {
        const auto from = signal.at(0).value<QModelIndex>();
        const auto to = signal.at(1).value<QModelIndex>();
        const auto roles = signal.at(2).value<QList<int>>();
        told = told || (roles.contains(EepromModel::MarkedRole) && from.row() <= 2 &&
                        to.row() >= 2 && from.column() <= 7 && to.column() >= 7);
    }
    QVERIFY(told);
}

QTEST_MAIN(TestEepromModel)
#include "tst_eeprommodel.moc"
