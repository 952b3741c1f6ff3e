#include "buffer_history.h"
#include "chip_table.h"
#include "main_window.h"
#include "sim_line.h"
#include "sim_transport.h"
#include "transfer_dispatch.h"
#include "virtual_clock.h"

#include <QAction>
#include <QComboBox>
#include <QScrollBar>
#include <QTemporaryDir>
#include <QToolButton>
#include <QtTest>

#include <algorithm>
#include <numeric>
#include <random>
#include <set>

using namespace kestrel;

Q_DECLARE_METATYPE(std::vector<int>)
Q_DECLARE_METATYPE(kestrel::link::TransferResult)

namespace {

constexpr int ChipB32 = 8;
constexpr int ChipD60 = 9;

// What the window says when the chip differs from the buffer, written out here on its own.
QString mismatchText(int count, int address, int chipByte, int bufferByte)
{
    return QString::asprintf("EEPROM różni się od bufora w %d bajtach. Pierwszy pod adresem %04X: "
                             "w układzie %02X, w buforze %02X",
                             count, address, chipByte, bufferByte);
}

const QString EqualText = QStringLiteral("Zawartość EEPROM zgodna z buforem");
const QString VerifyingStatus = QStringLiteral("Trwa weryfikacja EEPROM");

// Answers the load dialog with one file and the save dialog with another.
class FileDialogs final : public UserDialogs
{
public:
    QString openPath;
    QString savePath;
    std::optional<QString> askOpenFile() override { return openPath; }
    std::optional<QString> askSaveFile(const QString&) override { return savePath; }
    void showMessage(const QString&) override {}
    bool askOkCancel(const QString& text) override
    {
        questions << text;
        return answer;
    }
    bool answer = false;
    QStringList questions;
};

} // namespace

// "Weryfikuj" and "Zapisz i weryfikuj" through the window, against a simulator in virtual time.
class TestVerifyCommands : public QObject
{
    Q_OBJECT
private slots:
    void init();
    void cleanup();
    void verifyAgainstSimulator_data();
    void verifyAgainstSimulator();
    void marksGoWithBufferChange_data();
    void marksGoWithBufferChange();
    void marksDrawnInBothGrids();
    void verifyLocksWindow_data();
    void verifyLocksWindow();
    void programVerifyReportsStuckCell_data();
    void programVerifyReportsStuckCell();
    void failedProgramIsNotVerified_data();
    void failedProgramIsNotVerified();
    void savedStateAfterTransfer_data();
    void savedStateAfterTransfer();

private:
    void selectChip(int index);
    void waitEnd();
    // Transfers go to a simulator of this test's own, in virtual time.
    sim::Simulator& useOwnSimulator(int chipIndex, sim::Faults faults = {});
    // A seeded image in the simulated chip and, with `differing` offsets changed, in the buffer
    // (entries past the chip's EEPROM hold other bytes). Returns the chip's bytes.
    std::vector<std::uint8_t> prepareImages(int chipIndex, const std::vector<int>& differing);
    void verifyAndWait();
    // Clicks the toolbar button or triggers the menu item of this object name.
    void clickCommand(const QString& name);

    std::unique_ptr<TForm1> m_form;
    std::unique_ptr<sim::Simulator> m_sim;
    QStringList m_messages;
    QStringList m_statuses;
};

void TestVerifyCommands::init()
{
    m_form = std::make_unique<TForm1>();
    m_messages.clear();
    m_statuses.clear();
    m_form->transfers().setMessageSink([this](const QString& text) { m_messages << text; });
    m_form->ComboBox1->setCurrentText(QString::fromLatin1(sim::SimulatorPortName));
    connect(m_form.get(), &TForm1::statusTextChanged, this,
            [this](const QString& text) { m_statuses << text; });
}

void TestVerifyCommands::cleanup()
{
    QVERIFY(m_form->transfers().waitFinished(90000));
    m_form.reset();
    m_sim.reset();
}

sim::Simulator& TestVerifyCommands::useOwnSimulator(int chipIndex, sim::Faults faults)
{
    m_sim = std::make_unique<sim::Simulator>(
        chipIndex == ChipB32 ? sim::ChipKind::B32 : sim::ChipKind::D60, std::move(faults));
    sim::Simulator* s = m_sim.get();
    m_form->transfers().setFactories(
        [] { return std::unique_ptr<link::Clock>(new testsupport::VirtualClock); },
        [s](link::Clock& clock) {
            return std::unique_ptr<link::SerialLine>(new sim::SimLine(*s, clock));
        });
    return *s;
}

std::vector<std::uint8_t> TestVerifyCommands::prepareImages(int chipIndex,
                                                            const std::vector<int>& differing)
{
    const int size = ChipTable[chipIndex].EepromSize;
    std::mt19937 random(static_cast<unsigned>(chipIndex * 7919 + differing.size()));
    std::vector<std::uint8_t> chip(static_cast<std::size_t>(size));
    for (auto& b : chip)
        b = static_cast<std::uint8_t>(random());
    const bool loaded = m_sim->modify([&](sim::Target& t) { return t.loadEeprom(chip); });
    if (!loaded)
        qFatal("EEPROM image too large");
    EepromBufferType buffer{};
    for (int e = 1; e <= EepromLastEntry; ++e)
        buffer[e] = e <= size ? chip[e - 1] : static_cast<int>(random() & 0xFF);
    for (const int offset : differing)
        buffer[offset + 1] = chip[offset] ^ 0xA5;
    // As a file loaded: one step of the history, saved.
    m_form->history().change(1, std::span(buffer).subspan(1), loadStep());
    m_form->history().markSaved();
    return chip;
}

void TestVerifyCommands::clickCommand(const QString& name)
{
    if (auto* button = m_form->findChild<QToolButton*>(name))
        button->click();
    else if (auto* item = m_form->findChild<QAction*>(name))
        item->trigger();
    else
        QFAIL(qPrintable(QStringLiteral("no command ") + name));
}

void TestVerifyCommands::verifyAndWait()
{
    m_form->SpeedButton6->click();
    QVERIFY(!m_form->Panel1->isEnabled());
    waitEnd();
}

void TestVerifyCommands::selectChip(int index)
{
    m_form->ComboBox2->setCurrentIndex(index);
    QCOMPARE(m_form->ChipIndex(), index);
}

void TestVerifyCommands::waitEnd()
{
    QVERIFY(m_form->transfers().waitFinished(90000));
    QVERIFY(m_form->Panel1->isEnabled());
    QVERIFY(!m_form->transferActive());
}
void TestVerifyCommands::verifyAgainstSimulator_data()
{
    QTest::addColumn<int>("chip");
    QTest::addColumn<std::vector<int>>("differing");
    QTest::addColumn<bool>("viaMenu");
    for (const int chip : {ChipB32, ChipD60}) {
        const int size = ChipTable[chip].EepromSize;
        const QByteArray name = ChipTable[chip].name;
        const bool menu = chip == ChipD60;
        std::vector<int> every(static_cast<std::size_t>(size));
        std::iota(every.begin(), every.end(), 0);
        QTest::newRow(name + " equal") << chip << std::vector<int>{} << menu;
        QTest::newRow(name + " first byte") << chip << std::vector<int>{0} << menu;
        QTest::newRow(name + " last byte") << chip << std::vector<int>{size - 1} << menu;
        // The second byte of a word: the two bytes of a reply must not be taken swapped.
        QTest::newRow(name + " middle byte") << chip << std::vector<int>{size / 2 - 1} << menu;
        QTest::newRow(name + " every byte") << chip << every << menu;
    }
}

void TestVerifyCommands::verifyAgainstSimulator()
{
    QFETCH(int, chip);
    QFETCH(std::vector<int>, differing);
    QFETCH(bool, viaMenu);
    selectChip(chip);
    sim::Simulator& s = useOwnSimulator(chip);
    const std::vector<std::uint8_t> chipBytes = prepareImages(chip, differing);
    const EepromBufferType before = m_form->image().EepromBuffer;
    const int rows = ChipTable[chip].EepromSize / 16;
    // Start with the grids as far from the first difference as they go.
    const int firstRow = differing.empty() ? 1 : differing.front() / 16 + 1;
    m_form->ScrollBar1->setValue(firstRow <= rows / 2 ? m_form->ScrollBar1->maximum() : 1);

    if (viaMenu)
        m_form->Weryfikuj1->trigger();
    else
        m_form->SpeedButton6->click();
    QVERIFY(m_form->transferActive());
    waitEnd();

    // Neither the buffer nor the chip changed.
    QVERIFY(m_form->image().EepromBuffer == before);
    QVERIFY(s.eeprom() == chipBytes);
    QVERIFY(s.violations().empty());
    QCOMPARE(m_statuses.value(0), VerifyingStatus);
    QCOMPARE(m_form->CGauge1->ForeColor(), 0xFF0000u);
    QCOMPARE(m_form->CGauge1->MaxValue(), rows * 16);
    QCOMPARE(m_form->CGauge1->Progress(), rows * 16);
    const std::set<int> marked(differing.begin(), differing.end());
    for (int e = 1; e <= EepromLastEntry; ++e)
        QVERIFY2(m_form->model().isMarked(e) == (marked.count(e - 1) == 1),
                 qPrintable(QString::number(e)));

    if (differing.empty()) {
        QCOMPARE(m_messages, QStringList{EqualText});
        QCOMPARE(m_form->statusText(), QStringLiteral("Zgodne"));
        QCOMPARE(m_form->transfers().lastResult(), link::TransferResult::Done);
        return;
    }
    const int first = differing.front();
    QCOMPARE(m_messages,
             QStringList{mismatchText(int(differing.size()), ChipTable[chip].EepromBase + first,
                                      chipBytes[first], chipBytes[first] ^ 0xA5)});
    QCOMPARE(m_form->statusText(), QStringLiteral("Niezgodne"));
    QCOMPARE(m_form->transfers().lastResult(), link::TransferResult::Mismatch);
    // The first marked row is on view in both grids.
    const int top = m_form->StringGrid1->topRow();
    QVERIFY2(top <= firstRow && firstRow < top + m_form->StringGrid1->visibleRows(),
             qPrintable(QStringLiteral("top %1, row %2").arg(top).arg(firstRow)));
    QCOMPARE(m_form->StringGrid2->topRow(), top);
    QCOMPARE(m_form->ScrollBar1->value(), top);
}

void TestVerifyCommands::marksGoWithBufferChange_data()
{
    QTest::addColumn<QString>("change");
    QTest::addColumn<bool>("kept");
    QTest::newRow("typed digit") << "typed digit" << false;
    QTest::newRow("toolbar fill") << "toolbar fill" << false;
    QTest::newRow("menu fill") << "menu fill" << false;
    QTest::newRow("load") << "load" << false;
    QTest::newRow("read") << "read" << false;
    QTest::newRow("chip change") << "chip change" << false;
    QTest::newRow("another verify, now equal") << "verify equal" << false;
    QTest::newRow("another verify that finds no port") << "verify no port" << false;
    QTest::newRow("program and verify") << "program verify" << false;
    QTest::newRow("program") << "program" << false;
    QTest::newRow("undo") << "undo" << false;
    QTest::newRow("key that is no hex digit") << "no digit" << true;
    QTest::newRow("save") << "save" << true;
}

void TestVerifyCommands::marksGoWithBufferChange()
{
    QFETCH(QString, change);
    QFETCH(bool, kept);
    selectChip(ChipB32);
    sim::Simulator& s = useOwnSimulator(ChipB32);
    const std::vector<int> differing{5, 300, 700};
    prepareImages(ChipB32, differing);
    verifyAndWait();
    QCOMPARE(m_form->model().markedCount(), 3);

    QTemporaryDir dir;
    FileDialogs files;
    files.openPath = dir.filePath(QStringLiteral("image.bin"));
    files.savePath = dir.filePath(QStringLiteral("saved.bin"));
    {
        QFile image(files.openPath);
        QVERIFY(image.open(QIODevice::WriteOnly));
        image.write(QByteArray(768, '\x42'));
    }
    m_form->setDialogs(&files);
    m_messages.clear();
    if (change == QLatin1String("typed digit")) {
        QTest::keyClick(m_form->StringGrid1, Qt::Key_7);
    } else if (change == QLatin1String("undo")) {
        m_form->Cofnij1->trigger();
        QCOMPARE(m_form->image().EepromBuffer[6], 0xFF);
    } else if (change == QLatin1String("no digit")) {
        QTest::keyClick(m_form->StringGrid1, Qt::Key_X);
    } else if (change == QLatin1String("toolbar fill")) {
        m_form->SpeedButton3->click();
    } else if (change == QLatin1String("menu fill")) {
        m_form->Wype1->trigger();
    } else if (change == QLatin1String("load")) {
        m_form->SpeedButton1->click();
        QCOMPARE(m_form->image().EepromBuffer[1], 0x42);
    } else if (change == QLatin1String("save")) {
        m_form->Zapissznadysk1->trigger();
        QVERIFY(QFile::exists(files.savePath));
    } else if (change == QLatin1String("read")) {
        m_form->SpeedButton4->click();
        waitEnd();
        QCOMPARE(m_form->statusText(), QStringLiteral("Gotowe"));
    } else if (change == QLatin1String("chip change")) {
        selectChip(ChipD60);
    } else if (change == QLatin1String("verify equal")) {
        std::vector<std::uint8_t> now(768);
        for (int e = 1; e <= 768; ++e)
            now[e - 1] = static_cast<std::uint8_t>(m_form->image().EepromBuffer[e]);
        QVERIFY(s.modify([&](sim::Target& t) { return t.loadEeprom(now); }));
        verifyAndWait();
        QCOMPARE(m_messages, QStringList{EqualText});
    } else if (change == QLatin1String("verify no port")) {
        m_form->ComboBox1->setCurrentIndex(2);
        verifyAndWait();
        QCOMPARE(m_form->statusText(), QStringLiteral("Błąd portu"));
    } else if (change == QLatin1String("program")) {
        m_form->SpeedButton5->click();
        waitEnd();
        QCOMPARE(m_form->statusText(), QStringLiteral("Gotowe"));
    } else if (change == QLatin1String("program verify")) {
        m_form->ZapiszWeryfikuj1->trigger();
        waitEnd();
        QCOMPARE(m_messages, QStringList{EqualText});
    }
    m_form->setDialogs(nullptr);
    QCOMPARE(m_form->model().markedCount(), kept ? 3 : 0);
    // The verdict goes with the marks; a transfer's own end replaces it.
    if (!QStringList{"read", "verify equal", "verify no port", "program verify", "program"}
             .contains(change))
        QCOMPARE(m_form->statusText(), kept ? "Niezgodne" : "-----Oczekiwanie-----");
    // What the grids draw from.
    const QModelIndex cell = m_form->model().index(0, 5);
    QCOMPARE(cell.data(EepromModel::MarkedRole).toBool(), kept);
}

void TestVerifyCommands::marksDrawnInBothGrids()
{
    m_form->show();
    QVERIFY(QTest::qWaitForWindowExposed(m_form.get()));
    selectChip(ChipB32);
    useOwnSimulator(ChipB32);
    // Row 3, column 2; its neighbour in column 3 is equal.
    prepareImages(ChipB32, {0x21});
    verifyAndWait();

    const auto background = [](GridView* grid, int row, int column) {
        const QRect rect = grid->visualRect(grid->model()->index(row, column));
        // Below the text, inside the cell.
        const QPoint spot(rect.center().x(), rect.bottom() - 3);
        return grid->viewport()->grab().toImage().pixelColor(spot);
    };
    const QColor markColor(255, 160, 160);
    const QColor cellColor(0, 255, 255);
    for (GridView* grid : {m_form->StringGrid1, m_form->StringGrid2}) {
        QCOMPARE(background(grid, 2, 1), markColor);
        QCOMPARE(background(grid, 2, 2), cellColor);
    }
    m_form->SpeedButton3->click();
    for (GridView* grid : {m_form->StringGrid1, m_form->StringGrid2})
        QCOMPARE(background(grid, 2, 1), cellColor);
}

void TestVerifyCommands::verifyLocksWindow_data()
{
    QTest::addColumn<QString>("command");
    QTest::newRow("toolbar verify") << "SpeedButton6";
    QTest::newRow("menu verify") << "Weryfikuj1";
    QTest::newRow("menu program and verify") << "ZapiszWeryfikuj1";
}

void TestVerifyCommands::verifyLocksWindow()
{
    QFETCH(QString, command);
    selectChip(ChipD60);
    useOwnSimulator(ChipD60);
    prepareImages(ChipD60, {});
    const QList<QAction*> locked{m_form->Czytaj1,          m_form->Zapisz1, m_form->Weryfikuj1,
                                 m_form->ZapiszWeryfikuj1, m_form->Wype1,   m_form->Wczytajzdysku2};
    bool checked = false;
    // The outcome's message comes while the transfer still runs.
    m_form->transfers().setMessageSink([&](const QString& text) {
        m_messages << text;
        QVERIFY(m_form->transferActive());
        QVERIFY(!m_form->Panel1->isEnabled());
        QVERIFY(!m_form->SpeedButton6->isEnabled());
        for (QAction* a : locked)
            QVERIFY2(!a->isEnabled(), qPrintable(a->objectName()));
        QVERIFY(m_form->Zapissznadysk1->isEnabled());
        QVERIFY(!m_form->transfers().startVerify());
        QVERIFY(!m_form->transfers().startProgramVerify());
        QVERIFY(!m_form->transfers().startRead());
        checked = true;
    });
    clickCommand(command);
    waitEnd();
    QVERIFY(checked);
    QCOMPARE(m_messages, QStringList{EqualText});
    QVERIFY(m_form->SpeedButton6->isEnabled());
    for (QAction* a : locked)
        QVERIFY2(a->isEnabled(), qPrintable(a->objectName()));
}

void TestVerifyCommands::programVerifyReportsStuckCell_data()
{
    QTest::addColumn<int>("chip");
    QTest::addColumn<int>("stuckOffset"); // -1: none
    QTest::addColumn<int>("stuckValue");
    QTest::newRow("68HC12B32 no stuck cell") << ChipB32 << -1 << 0;
    QTest::newRow("68HC12B32 stuck in the middle") << ChipB32 << 0x123 << 0x5A;
    QTest::newRow("68HC12D60 stuck at the last byte") << ChipD60 << 1023 << 0x00;
    QTest::newRow("68HC12D60 stuck at the first byte") << ChipD60 << 0 << 0xFF;
}

void TestVerifyCommands::programVerifyReportsStuckCell()
{
    QFETCH(int, chip);
    QFETCH(int, stuckOffset);
    QFETCH(int, stuckValue);
    const int base = ChipTable[chip].EepromBase;
    const int size = ChipTable[chip].EepromSize;
    sim::Faults faults;
    if (stuckOffset >= 0)
        faults.stuck.emplace_back(static_cast<std::uint16_t>(base + stuckOffset),
                                  static_cast<std::uint8_t>(stuckValue));
    selectChip(chip);
    sim::Simulator& s = useOwnSimulator(chip, faults);
    EepromBufferType& buffer = m_form->image().EepromBuffer;
    std::mt19937 random(static_cast<unsigned>(size + stuckOffset));
    for (int e = 1; e <= size; ++e)
        buffer[e] = static_cast<int>(random() & 0xFF);
    if (stuckOffset >= 0)
        buffer[stuckOffset + 1] = stuckValue ^ 0x3C;
    m_form->refreshGrids();
    const EepromBufferType before = buffer;

    m_form->ZapiszWeryfikuj1->trigger();
    waitEnd();

    QVERIFY(buffer == before);
    // Programming ended with "Gotowe", then the port was opened again for the verify.
    const qsizetype done = m_statuses.indexOf(QStringLiteral("Gotowe"));
    QVERIFY2(done >= 0, qPrintable(m_statuses.join('|')));
    QVERIFY(m_statuses.indexOf(VerifyingStatus) > done);
    const auto sessions = s.inspect([](const sim::Target&, const sim::Adapter& a) {
        return std::count_if(a.frames().begin(), a.frames().end(),
                             [](const sim::FrameRecord& f) { return f.bytes[0] == 0x5B; });
    });
    QCOMPARE(int(sessions), 2);
    QVERIFY(s.violations().empty());
    QCOMPARE(m_form->CGauge1->ForeColor(), 0xFF0000u);
    const std::vector<std::uint8_t> chipBytes = s.eeprom();
    for (int e = 1; e <= size; ++e)
        if (e != stuckOffset + 1)
            QCOMPARE(int(chipBytes[e - 1]), buffer[e]);

    if (stuckOffset < 0) {
        QCOMPARE(m_messages, QStringList{EqualText});
        QCOMPARE(m_form->statusText(), QStringLiteral("Zgodne"));
        QCOMPARE(m_form->transfers().lastResult(), link::TransferResult::Done);
        QCOMPARE(m_form->model().markedCount(), 0);
        return;
    }
    QCOMPARE(m_messages,
             QStringList{mismatchText(1, base + stuckOffset, stuckValue, stuckValue ^ 0x3C)});
    QCOMPARE(m_form->statusText(), QStringLiteral("Niezgodne"));
    QCOMPARE(m_form->transfers().lastResult(), link::TransferResult::Mismatch);
    QCOMPARE(m_form->model().markedCount(), 1);
    QVERIFY(m_form->model().isMarked(stuckOffset + 1));
}

void TestVerifyCommands::failedProgramIsNotVerified_data()
{
    QTest::addColumn<QString>("fault");
    QTest::addColumn<QString>("message");
    QTest::addColumn<link::TransferResult>("result");
    QTest::newRow("no adapter") << "silent"
                                << "BRAK KOMUNIKACJI !!" << link::TransferResult::NoAdapter;
    QTest::newRow("line lost while programming")
        << "hang up"
        << "Utracono połączenie z portem – operacja przerwana" << link::TransferResult::LineBroken;
    QTest::newRow("port refused") << "no port"
                                  << "Niewłaściwa nazwa portu lub port jest aktywny !!"
                                  << link::TransferResult::PortFailed;
}

void TestVerifyCommands::failedProgramIsNotVerified()
{
    QFETCH(QString, fault);
    QFETCH(QString, message);
    QFETCH(link::TransferResult, result);
    sim::Faults faults;
    faults.silent = fault == QLatin1String("silent");
    faults.hangUpAfterFrames = fault == QLatin1String("hang up") ? 40 : 0;
    selectChip(ChipB32);
    sim::Simulator& s = useOwnSimulator(ChipB32, faults);
    if (fault == QLatin1String("no port"))
        m_form->ComboBox1->setCurrentIndex(2);

    m_form->ZapiszWeryfikuj1->trigger();
    waitEnd();
    QCOMPARE(m_messages, QStringList{message});
    QCOMPARE(m_form->transfers().lastResult(), result);
    QVERIFY2(!m_statuses.contains(VerifyingStatus), qPrintable(m_statuses.join('|')));
    QVERIFY(!m_statuses.contains(QStringLiteral("Gotowe")));
    const auto sessions = s.inspect([](const sim::Target&, const sim::Adapter& a) {
        return std::count_if(a.frames().begin(), a.frames().end(),
                             [](const sim::FrameRecord& f) { return f.bytes[0] == 0x5B; });
    });
    QVERIFY(sessions <= 1);
}

void TestVerifyCommands::savedStateAfterTransfer_data()
{
    QTest::addColumn<QString>("command");
    QTest::addColumn<bool>("answer"); // to the read's question
    QTest::addColumn<QString>("fault");
    QTest::addColumn<link::TransferResult>("result");
    QTest::addColumn<bool>("changedAfter");
    QTest::addColumn<bool>("read"); // the buffer took the chip's bytes
    using R = link::TransferResult;
    QTest::newRow("program") << "Zapisz1" << false << "none" << R::Done << false << false;
    QTest::newRow("program and verify")
        << "ZapiszWeryfikuj1" << false << "none" << R::Done << false << false;
    // Programming ended "Gotowe"; the verify after it does not count.
    QTest::newRow("program and verify, line lost while verifying")
        << "ZapiszWeryfikuj1" << false << "hang up verifying" << R::LineBroken << false << false;
    QTest::newRow("program, line lost")
        << "SpeedButton5" << false << "hang up" << R::LineBroken << true << false;
    QTest::newRow("verify") << "SpeedButton6" << false << "none" << R::Mismatch << true << false;
    QTest::newRow("read, OK") << "SpeedButton4" << true << "none" << R::Done << false << true;
    QTest::newRow("menu read, Cancel") << "Czytaj1" << false << "none" << R::Done << true << false;
    QTest::newRow("read, OK, no adapter")
        << "Czytaj1" << true << "silent" << R::NoAdapter << true << false;
}

void TestVerifyCommands::savedStateAfterTransfer()
{
    QFETCH(QString, command);
    QFETCH(QString, fault);
    QFETCH(bool, answer);
    QFETCH(bool, changedAfter);
    QFETCH(bool, read);
    selectChip(ChipB32);
    sim::Faults faults;
    faults.silent = fault == QLatin1String("silent");
    faults.hangUpAfterFrames = fault == QLatin1String("hang up") ? 40 : 0;
    if (fault == QLatin1String("hang up verifying")) {
        // 10 frames after as many as a programming run takes.
        useOwnSimulator(ChipB32);
        m_form->Zapisz1->trigger();
        waitEnd();
        faults.hangUpAfterFrames = int(m_sim->frameCount()) + 10;
        m_statuses.clear();
    }
    useOwnSimulator(ChipB32, faults); // erased
    QTest::keyClicks(m_form->StringGrid1, QStringLiteral("a5"));
    const EepromBufferType before = m_form->image().EepromBuffer;
    FileDialogs dialogs;
    dialogs.answer = answer;
    m_form->setDialogs(&dialogs);
    clickCommand(command);
    waitEnd();
    m_form->setDialogs(nullptr);
    const bool reading =
        command == QLatin1String("SpeedButton4") || command == QLatin1String("Czytaj1");
    QCOMPARE(dialogs.questions, reading ? QStringList{readOverChangesQuestion()} : QStringList());
    // Cancel starts nothing.
    QCOMPARE(m_statuses.isEmpty(), reading && !answer);
    if (!m_statuses.isEmpty())
        QTEST(m_form->transfers().lastResult(), "result");
    QCOMPARE(m_form->isWindowModified(), changedAfter);
    QCOMPARE(m_form->image().EepromBuffer[1], read ? 0xFF : 0xA5);
    QCOMPARE(m_form->image().EepromBuffer == before, !read);
    if (!read)
        return;
    // One step: undo brings back the buffer before the read, redo the chip's bytes.
    m_form->Cofnij1->trigger();
    QVERIFY(m_form->image().EepromBuffer == before && m_form->isWindowModified());
    m_form->Ponow1->trigger();
    QVERIFY(m_form->image().EepromBuffer[1] == 0xFF && !m_form->isWindowModified());
}

QTEST_MAIN(TestVerifyCommands)
#include "tst_verifycommands.moc"
