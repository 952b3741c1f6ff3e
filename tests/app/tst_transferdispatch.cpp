#include "buffer_history.h"
#include "chip_table.h"
#include "main_window.h"
#include "messages.h"
#include "real_clock.h"
#include "sim_line.h"
#include "sim_transport.h"
#include "tcgauge.h"
#include "transfer_dispatch.h"
#include "virtual_clock.h"

#include <QAction>
#include <QComboBox>
#include <QFrame>
#include <QToolButton>
#include "trace_panel.h"

#include <QtTest>

#include <algorithm>
#include <random>

using namespace kestrel;

namespace {

constexpr int ChipB32 = 8;
constexpr int ChipD60 = 9;

// A line that refuses to open and counts how often a transfer asked for one.
class CountingLine final : public link::SerialLine
{
public:
    explicit CountingLine(int& opens) : m_opens(opens) {}
    link::OpenStatus open(const QString&, int) override
    {
        ++m_opens;
        return link::OpenStatus::Failed;
    }
    bool sendByte(std::uint8_t) override { return false; }
    link::ReadResult read(std::uint8_t*, int, int) override { return {}; }
    void close() override {}
    bool broken() const override { return false; }

private:
    int& m_opens;
};

// A line whose open throws, as a fault of the program would.
class ThrowingLine final : public link::SerialLine
{
public:
    link::OpenStatus open(const QString&, int) override { throw std::runtime_error("line"); }
    bool sendByte(std::uint8_t) override { return false; }
    link::ReadResult read(std::uint8_t*, int, int) override { return {}; }
    void close() override {}
    bool broken() const override { return false; }
};

// Answers the close question as told and records every question and message.
class AnsweringDialogs final : public UserDialogs
{
public:
    bool answer = false;
    QStringList questions;
    std::optional<QString> savePath; // the save dialog's answer
    std::optional<QString> askOpenFile() override { return std::nullopt; }
    std::optional<QString> askSaveFile(const QString&) override { return savePath; }
    void showMessage(const QString& text) override { questions << text; }
    bool askOkCancel(const QString& text) override
    {
        questions << text;
        return answer;
    }
};

sim::Simulator& simulatorOf(int chipIndex)
{
    sim::Simulator* s = sim::SimulatorRegistry::instance().chip(ChipTable[chipIndex].name);
    Q_ASSERT(s != nullptr);
    return *s;
}

} // namespace

class TestTransferDispatch : public QObject
{
    Q_OBJECT
private slots:
    void initTestCase();
    void init();
    void cleanup();
    void unsupportedChipAnswersWithoutPort_data();
    void unsupportedChipAnswersWithoutPort();
    void windowLockedWhileTransferRuns();
    void errorEndsTheTransfer_data();
    void errorEndsTheTransfer();
    void emptyPortName();
    void readThroughSimulator();
    void adapterCheckAndTraceBound();
    void programThenReadBack_data();
    void programThenReadBack();
    void cancelStopsAtFrameBoundary();
    void closingDuringTransfer_data();
    void closingDuringTransfer();
    void phaseChangeShowsNoNewColourAtOldPercentage();
    void panelTellsHowItEnded_data();
    void panelTellsHowItEnded();
    void commandKeys_data();
    void commandKeys();

private:
    void selectChip(int index);
    void waitEnd();
    // Clicks the toolbar button or triggers the menu item of this object name.
    void clickCommand(const QString& name);

    std::unique_ptr<TForm1> m_form;
    QStringList m_messages;
};

void TestTransferDispatch::initTestCase()
{
    // As the program's start-up: the window's "SYMULATOR".
    sim::registerSimulatorTransport();
}

void TestTransferDispatch::init()
{
    m_form = std::make_unique<TForm1>();
    m_messages.clear();
    m_form->transfers().setMessageSink([this](const QString& text) { m_messages << text; });
    // Virtual time: a whole run checks in milliseconds; the built-in simulator stays the line.
    m_form->transfers().setFactories(
        [] { return std::unique_ptr<link::Clock>(new testsupport::VirtualClock); }, {});
    m_form->ComboBox1->setCurrentText(QString::fromLatin1(sim::SimulatorPortName));
}

void TestTransferDispatch::cleanup()
{
    QVERIFY(m_form->transfers().waitFinished(90000));
    m_form.reset();
}

void TestTransferDispatch::clickCommand(const QString& name)
{
    if (auto* button = m_form->findChild<QToolButton*>(name))
        button->click();
    else if (auto* item = m_form->findChild<QAction*>(name))
        item->trigger();
    else
        QFAIL(qPrintable(QStringLiteral("no command ") + name));
}

void TestTransferDispatch::selectChip(int index)
{
    m_form->ComboBox2->setCurrentIndex(index);
    QCOMPARE(m_form->ChipIndex(), index);
}

void TestTransferDispatch::waitEnd()
{
    QVERIFY(m_form->transfers().waitFinished(90000));
    QVERIFY(m_form->Panel1->isEnabled());
    QVERIFY(!m_form->transferActive());
}

void TestTransferDispatch::unsupportedChipAnswersWithoutPort_data()
{
    QTest::addColumn<int>("chip");
    QTest::addColumn<QString>("command"); // the toolbar button or menu item clicked
    for (int chip = 0; chip < 8; ++chip) {
        const QByteArray name = ChipTable[chip].name;
        QTest::newRow(name + " read toolbar") << chip << "SpeedButton4";
        QTest::newRow(name + " program menu") << chip << "Zapisz1";
        QTest::newRow(name + " verify toolbar") << chip << "SpeedButton6";
        QTest::newRow(name + " verify menu") << chip << "Weryfikuj1";
        QTest::newRow(name + " program and verify menu") << chip << "ZapiszWeryfikuj1";
    }
}

void TestTransferDispatch::unsupportedChipAnswersWithoutPort()
{
    QFETCH(int, chip);
    QFETCH(QString, command);
    int opens = 0;
    m_form->transfers().setFactories(
        [] { return std::unique_ptr<link::Clock>(new testsupport::VirtualClock); },
        [&opens](link::Clock&) {
            return std::unique_ptr<link::SerialLine>(new CountingLine(opens));
        });
    selectChip(chip);
    clickCommand(command);
    waitEnd();
    QCOMPARE(m_messages, QStringList{QStringLiteral("W wersji 1.0 układ nie jest obsługiwany")});
    QCOMPARE(opens, 0);
    QCOMPARE(m_form->transfers().lastResult(), link::TransferResult::NotSupported);
    QCOMPARE(m_form->statusText(), QStringLiteral("-----Oczekiwanie-----"));
}

// A worker or a call on the window's side that throws: the transfer still ends, the window is
// unlocked and the error is shown.
void TestTransferDispatch::errorEndsTheTransfer_data()
{
    QTest::addColumn<bool>("workerThrows"); // else the window's first message throws
    QTest::addColumn<QString>("error");
    QTest::addColumn<link::TransferResult>("result");
    QTest::newRow("the worker throws") << true << "line" << link::TransferResult::Failed;
    QTest::newRow("showing a message throws")
        << false << "message" << link::TransferResult::PortFailed;
}

void TestTransferDispatch::errorEndsTheTransfer()
{
    QFETCH(bool, workerThrows);
    QFETCH(QString, error);
    int opens = 0;
    m_form->transfers().setFactories(
        [] { return std::unique_ptr<link::Clock>(new testsupport::VirtualClock); },
        [workerThrows, &opens](link::Clock&) -> std::unique_ptr<link::SerialLine> {
            if (workerThrows)
                return std::make_unique<ThrowingLine>();
            return std::make_unique<CountingLine>(opens);
        });
    bool thrown = false;
    m_form->transfers().setMessageSink([this, &thrown, workerThrows](const QString& text) {
        if (!workerThrows && !std::exchange(thrown, true))
            throw std::runtime_error("message");
        m_messages << text;
    });
    selectChip(ChipB32);
    clickCommand(QStringLiteral("SpeedButton4"));
    waitEnd();
    QCOMPARE(m_messages,
             QStringList{
                 QStringLiteral("Operacja przerwana: błąd wewnętrzny programu (%1)").arg(error)});
    QTEST(m_form->transfers().lastResult(), "result");
}

void TestTransferDispatch::windowLockedWhileTransferRuns()
{
    // While the worker waits for its message to be closed, the transfer is still running.
    selectChip(0);
    bool checked = false;
    m_form->transfers().setMessageSink([this, &checked](const QString&) {
        QVERIFY(!m_form->Panel1->isEnabled());
        QVERIFY(m_form->transferActive());
        for (QAction* a : {m_form->Czytaj1, m_form->Zapisz1, m_form->Wype1, m_form->Wczytajzdysku2})
            QVERIFY2(!a->isEnabled(), qPrintable(a->objectName()));
        QVERIFY(m_form->Zapissznadysk1->isEnabled());
        QVERIFY(!m_form->transfers().startRead());
        QVERIFY(!m_form->transfers().startProgram());
        checked = true;
    });
    QVERIFY(m_form->transfers().startRead());
    waitEnd();
    QVERIFY(checked);
    for (QAction* a : {m_form->Czytaj1, m_form->Zapisz1, m_form->Wype1, m_form->Wczytajzdysku2})
        QVERIFY(a->isEnabled());
}

void TestTransferDispatch::emptyPortName()
{
    selectChip(ChipB32);
    m_form->ComboBox1->setCurrentIndex(2);
    QVERIFY(m_form->ComboBox1->currentText().isEmpty());
    m_form->SpeedButton4->click();
    waitEnd();
    QCOMPARE(m_messages,
             QStringList{QStringLiteral("Niewłaściwa nazwa portu lub port jest aktywny !!")});
    QCOMPARE(m_form->transfers().lastResult(), link::TransferResult::PortFailed);
}

void TestTransferDispatch::readThroughSimulator()
{
    selectChip(ChipB32);
    sim::Simulator& s = simulatorOf(ChipB32);
    std::vector<std::uint8_t> pattern(768);
    for (std::size_t i = 0; i < pattern.size(); ++i)
        pattern[i] = static_cast<std::uint8_t>(0xFF - i * 7);
    QVERIFY(s.modify([&](sim::Target& t) { return t.loadEeprom(pattern); }));

    m_form->Czytaj1->trigger();
    QVERIFY(!m_form->Panel1->isEnabled());
    waitEnd();
    QVERIFY2(m_messages.isEmpty(), qPrintable(m_messages.join('|')));
    QCOMPARE(m_form->transfers().lastResult(), link::TransferResult::Done);
    QCOMPARE(m_form->statusText(), QStringLiteral("Gotowe"));
    QCOMPARE(m_form->CGauge1->MaxValue(), 768);
    QCOMPARE(m_form->CGauge1->Progress(), 768);
    QCOMPARE(m_form->CGauge1->ForeColor(), 0xFF0000u);
    for (int e = 1; e <= 768; ++e)
        QCOMPARE(m_form->image().EepromBuffer[e], int(pattern[e - 1]));
    // Both grids show the new image.
    const QModelIndex last = m_form->model().index(47, 15);
    QCOMPARE(last.data().toString(), hexText(pattern[767]));
    QCOMPARE(last.data(EepromModel::CharTextRole).toString(), charText(pattern[767]));
    // The trace reaches the panel by queued calls: every request, the open and the close.
    const TracePanel& panel = m_form->tracePanel();
    QTRY_VERIFY(panel.text().contains(QStringLiteral(" close")));
    QCOMPARE(panel.transfers(), 1);
    QVERIFY(panel.text().contains(QStringLiteral("odczyt  68HC12B32  SYMULATOR")));
    QCOMPARE(panel.text().count(QStringLiteral("> 16 ")), 769);
}

// "Test adaptera" reports what it saw and changes nothing; the panel keeps the last 20
// transfers.
void TestTransferDispatch::adapterCheckAndTraceBound()
{
    selectChip(ChipB32);
    const auto before = m_form->image().EepromBuffer;
    m_form->TestAdaptera1->trigger();
    waitEnd();
    QCOMPARE(m_form->transfers().lastResult(), link::TransferResult::Done);
    QCOMPARE(m_messages.size(), 1);
    QVERIFY2(m_messages[0].endsWith(QStringLiteral("Diagnoza: Adapter odpowiada, układ jest "
                                                   "gotowy.")),
             qPrintable(m_messages[0]));
    QVERIFY(m_form->image().EepromBuffer == before);
    TracePanel& panel = m_form->tracePanel();
    for (int k = 0; k < 25; ++k) {
        panel.beginTransfer(QStringLiteral("t%1 ").arg(k));
        panel.append({QStringLiteral("line of t%1 ").arg(k)});
    }
    QCOMPARE(panel.transfers(), TracePanel::MaxTransfers);
    QVERIFY(!panel.text().contains(QStringLiteral("t4 ")));
    QVERIFY(panel.text().startsWith(QStringLiteral("== t5 \nline of t5 ")));
    panel.clear();
    QCOMPARE(panel.transfers(), 0);
}

void TestTransferDispatch::programThenReadBack_data()
{
    QTest::addColumn<int>("chip");
    QTest::newRow("68HC12B32") << ChipB32;
    QTest::newRow("68HC12D60") << ChipD60;
}

void TestTransferDispatch::programThenReadBack()
{
    QFETCH(int, chip);
    selectChip(chip);
    const int size = ChipTable[chip].EepromSize;
    std::mt19937 random(static_cast<unsigned>(chip));
    std::vector<int> image(static_cast<std::size_t>(size));
    for (int e = 1; e <= size; ++e) {
        image[static_cast<std::size_t>(e - 1)] = static_cast<int>(random() & 0xFF);
        m_form->image().EepromBuffer[e] = image[static_cast<std::size_t>(e - 1)];
    }
    m_form->refreshGrids();

    m_form->SpeedButton5->click();
    waitEnd();
    QVERIFY2(m_messages.isEmpty(), qPrintable(m_messages.join('|')));
    QCOMPARE(m_form->statusText(), QStringLiteral("Gotowe"));
    QCOMPARE(m_form->CGauge1->ForeColor(), 0x0000FFu);
    QCOMPARE(m_form->CGauge1->Progress(), 999);
    const std::vector<std::uint8_t> chipBytes = simulatorOf(chip).eeprom();
    QCOMPARE(int(chipBytes.size()), size);
    for (int i = 0; i < size; ++i)
        QCOMPARE(int(chipBytes[i]), image[i]);

    // Read it back into a cleared image.
    m_form->SpeedButton3->click();
    QCOMPARE(m_form->image().EepromBuffer[1], 0xFF);
    AnsweringDialogs dialogs; // the read replaces the fill
    dialogs.answer = true;
    m_form->setDialogs(&dialogs);
    m_form->SpeedButton4->click();
    waitEnd();
    m_form->setDialogs(nullptr);
    QVERIFY(m_messages.isEmpty());
    for (int e = 1; e <= size; ++e)
        QCOMPARE(m_form->image().EepromBuffer[e], image[static_cast<std::size_t>(e - 1)]);
}

void TestTransferDispatch::cancelStopsAtFrameBoundary()
{
    // Real time: a programming run takes about 25 s; asking it to stop ends it at the next frame
    // boundary, which the adapter's closed session shows. The time allowed only guards against
    // a hang: stopping takes well under a second, a busy machine may stretch that.
    m_form->transfers().setFactories(
        [] { return std::unique_ptr<link::Clock>(new link::RealClock); }, {});
    selectChip(ChipB32);
    sim::Simulator& s = simulatorOf(ChipB32);
    const std::size_t framesBefore = s.frameCount();
    QVERIFY(m_form->transfers().startProgram());
    QTest::qWait(300);
    QElapsedTimer timer;
    timer.start();
    QVERIFY(m_form->transfers().stopAndWait(10000));
    QVERIFY(timer.elapsed() < 10000);
    QVERIFY(m_form->Panel1->isEnabled());
    QCOMPARE(m_form->transfers().lastResult(), link::TransferResult::Cancelled);
    QVERIFY(m_messages.isEmpty());
    QVERIFY(s.frameCount() > framesBefore);
    // The session was closed: the adapter's last frame is CMD_END and no rule was broken.
    const bool endedClean = s.inspect([](const sim::Target&, const sim::Adapter& a) {
        return !a.inSession() && a.frames().back().bytes[0] == 0x5C;
    });
    QVERIFY(endedClean);
    QVERIFY(s.violations().empty());
    QCOMPARE(m_form->statusText(), QStringLiteral("Przerwano"));
}

void TestTransferDispatch::closingDuringTransfer_data()
{
    QTest::addColumn<bool>("answer");
    QTest::addColumn<QString>("command");
    QTest::addColumn<bool>("changed"); // a byte typed before: its question comes second
    QTest::newRow("Cancel keeps the transfer") << false << "Czytaj1" << false;
    QTest::newRow("OK stops it and closes") << true << "Czytaj1" << false;
    QTest::newRow("Cancel keeps the verify") << false << "Weryfikuj1" << false;
    QTest::newRow("OK stops the verify") << true << "Weryfikuj1" << false;
    // Stopped while programming: no verify follows.
    QTest::newRow("OK stops program and verify") << true << "ZapiszWeryfikuj1" << false;
    QTest::newRow("changed, OK to both") << true << "Weryfikuj1" << true;
}

void TestTransferDispatch::closingDuringTransfer()
{
    QFETCH(bool, answer);
    QFETCH(QString, command);
    QFETCH(bool, changed);
    m_form->transfers().setFactories(
        [] { return std::unique_ptr<link::Clock>(new link::RealClock); }, {});
    AnsweringDialogs dialogs;
    dialogs.answer = answer;
    m_form->setDialogs(&dialogs);
    m_form->show();
    selectChip(ChipD60);
    if (changed)
        QTest::keyClicks(m_form->StringGrid1, QStringLiteral("12"));
    const std::size_t framesBefore = simulatorOf(ChipD60).frameCount();
    clickCommand(command);
    QVERIFY(m_form->transfers().running());
    QTest::qWait(200);

    QElapsedTimer timer;
    timer.start();
    const bool closed = m_form->close();
    QString stop = QStringLiteral("Trwa operacja na EEPROM. Przerwać ją i zamknąć program ?");
    // Stopping while programming leaves the chip half written, and the question says so.
    if (command == QLatin1String("ZapiszWeryfikuj1"))
        stop += QStringLiteral("\n\nProgramowanie zostanie przerwane; EEPROM układu będzie "
                               "zapisana tylko częściowo.");
    QStringList questions{stop};
    if (changed)
        questions << closeWithChangesQuestion();
    QCOMPARE(dialogs.questions, questions);
    QCOMPARE(closed, answer);
    if (answer) {
        QVERIFY(timer.elapsed() < 10000); // a guard against a hang, not a figure
        QVERIFY(!m_form->transfers().running());
        QCOMPARE(m_form->transfers().lastResult(), link::TransferResult::Cancelled);
        const bool endedClean =
            simulatorOf(ChipD60).inspect([](const sim::Target&, const sim::Adapter& a) {
                return !a.inSession() && a.frames().back().bytes[0] == 0x5C;
            });
        QVERIFY(endedClean);
        // One session only: nothing followed the stopped transfer.
        const auto sessions =
            simulatorOf(ChipD60).inspect([framesBefore](const sim::Target&, const sim::Adapter& a) {
                return std::count_if(a.frames().begin() + static_cast<std::ptrdiff_t>(framesBefore),
                                     a.frames().end(),
                                     [](const sim::FrameRecord& f) { return f.bytes[0] == 0x5B; });
            });
        QCOMPARE(int(sessions), 1);
    } else {
        QVERIFY(m_form->transfers().running());
        QVERIFY(m_form->isVisible());
        QVERIFY(m_form->transfers().stopAndWait(1000));
    }
    m_form->setDialogs(nullptr);
}

void TestTransferDispatch::phaseChangeShowsNoNewColourAtOldPercentage()
{
    // The observer calls of two phases as a programming run makes them, each given its chance
    // to paint; after every call of the phase change the gauge is grabbed.
    m_form->show();
    QVERIFY(QTest::qWaitForWindowExposed(m_form.get()));
    TransferDispatch& observer = m_form->transfers();
    TCGauge& gauge = *m_form->CGauge1;
    auto settle = [] {
        QCoreApplication::sendPostedEvents();
        QCoreApplication::processEvents();
    };
    int grabs = 0; // a grab paints too
    auto pixelsOf = [&gauge, &grabs](std::uint32_t bgr) {
        ++grabs;
        const QImage frame = gauge.grab().toImage().convertToFormat(QImage::Format_RGB32);
        const QRgb colour = toQColor(bgr).rgb();
        int n = 0;
        for (int y = 0; y < frame.height(); ++y)
            for (int x = 0; x < frame.width(); ++x)
                n += (frame.pixel(x, y) | 0xFF000000u) == colour;
        return n;
    };
    constexpr std::uint32_t Yellow = 0x00FFFF;
    constexpr std::uint32_t Green = 0x00FF00;
    observer.startPhase(link::Phase::Loading);
    observer.setProgress(0);
    observer.setProgressMax(60);
    for (int p = 0; p <= 60; ++p)
        observer.setProgress(p);
    settle();
    QVERIFY(pixelsOf(Yellow) > gauge.width() * (gauge.height() - 4) / 2);

    const int paintsBefore = gauge.paintCount();
    grabs = 0;
    observer.startPhase(link::Phase::Sending);
    settle();
    QCOMPARE(pixelsOf(Green), 0);
    observer.setProgress(0);
    settle();
    QCOMPARE(pixelsOf(Green), 0);
    observer.setProgressMax(999);
    settle();
    QCOMPARE(pixelsOf(Green), 0);
    for (int p = 0; p <= 999; ++p) {
        observer.setProgress(p);
        settle();
    }
    // One paint for the phase change, one per whole percent.
    const int paints = gauge.paintCount() - paintsBefore - grabs;
    QVERIFY2(paints <= 101, qPrintable(QString::number(paints)));
    QVERIFY(pixelsOf(Green) > gauge.width() * (gauge.height() - 4) / 2);
    QCOMPARE(pixelsOf(Yellow), 0);
}

void TestTransferDispatch::panelTellsHowItEnded_data()
{
    QTest::addColumn<QString>("command");
    QTest::addColumn<QString>("fault");
    QTest::addColumn<QString>("panel");
    QTest::newRow("read") << "SpeedButton4" << "none" << "Gotowe";
    QTest::newRow("read, no adapter") << "SpeedButton4" << "silent" << "Błąd komunikacji";
    QTest::newRow("program, no adapter") << "SpeedButton5" << "silent" << "Błąd komunikacji";
    QTest::newRow("verify, no port") << "Weryfikuj1" << "no port" << "Błąd portu";
    QTest::newRow("read, line lost") << "Czytaj1" << "hang up" << "Utracono połączenie";
    QTest::newRow("program, line lost") << "SpeedButton5" << "hang up" << "Utracono połączenie";
    QTest::newRow("read, no replies") << "SpeedButton4" << "no replies" << "Odczyt przerwany";
    QTest::newRow("check, no adapter")
        << "TestAdaptera1" << "silent" << "Test adaptera nie powiódł się";
}

// Whatever the phase was, the panel ends with how the transfer ended.
void TestTransferDispatch::panelTellsHowItEnded()
{
    QFETCH(QString, command);
    QFETCH(QString, fault);
    sim::Faults faults;
    faults.silent = fault == QLatin1String("silent");
    faults.hangUpAfterFrames = fault == QLatin1String("hang up") ? 100 : 0;
    faults.missingEvery = fault == QLatin1String("no replies") ? 1 : 0;
    sim::Simulator own(sim::ChipKind::B32, faults);
    m_form->transfers().setFactories(
        [] { return std::unique_ptr<link::Clock>(new testsupport::VirtualClock); },
        [&own](link::Clock& clock) { return std::make_unique<sim::SimLine>(own, clock); });
    if (fault == QLatin1String("no port"))
        m_form->ComboBox1->setCurrentIndex(2);
    selectChip(ChipB32);
    clickCommand(command);
    waitEnd();
    QTEST(m_form->statusText(), "panel");
}

void TestTransferDispatch::commandKeys_data()
{
    QTest::addColumn<QKeySequence>("key");
    QTest::addColumn<QString>("operation"); // as the trace panel titles the transfer
    QTest::newRow("F5 reads") << QKeySequence(Qt::Key_F5) << "odczyt";
    QTest::newRow("F6 programs") << QKeySequence(Qt::Key_F6) << "programowanie";
    QTest::newRow("F7 verifies") << QKeySequence(Qt::Key_F7) << "weryfikacja";
    QTest::newRow("F9 programs and verifies")
        << QKeySequence(Qt::Key_F9) << "programowanie i weryfikacja";
    QTest::newRow("Shift+F9 backs up, programs and verifies")
        << QKeySequence(Qt::SHIFT | Qt::Key_F9) << "kopia, programowanie i weryfikacja";
}

// Each transfer starts from its key, wherever the keyboard focus is in the window.
void TestTransferDispatch::commandKeys()
{
    QFETCH(QKeySequence, key);
    QTemporaryDir dir;
    AnsweringDialogs dialogs;
    dialogs.savePath = dir.filePath(QStringLiteral("kopia.bin"));
    m_form->setDialogs(&dialogs);
    m_form->show();
    QVERIFY(QTest::qWaitForWindowExposed(m_form.get()));
    selectChip(ChipB32);
    m_form->StringGrid1->setFocus();
    QTest::keySequence(m_form->StringGrid1, key);
    QVERIFY(m_form->transfers().running());
    waitEnd();
    m_form->setDialogs(nullptr);
    QCOMPARE(m_form->transfers().lastResult(), link::TransferResult::Done);
    QFETCH(QString, operation);
    QTRY_VERIFY(m_form->tracePanel().text().contains(
        QStringLiteral("  %1  68HC12B32  SYMULATOR").arg(operation)));
    QCOMPARE(m_form->tracePanel().transfers(), 1);
}

QTEST_MAIN(TestTransferDispatch)
#include "tst_transferdispatch.moc"
