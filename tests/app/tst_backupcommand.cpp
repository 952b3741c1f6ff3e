// "Kopia, programowanie i weryfikacja" through the window, against a simulator in virtual time.

#include "chip_table.h"
#include "image_formats.h"
#include "main_window.h"
#include "sim_line.h"
#include "transfer_dispatch.h"
#include "virtual_clock.h"

#include <QAction>
#include <QComboBox>
#include <QFrame>
#include <QRegularExpression>
#include <QTemporaryDir>
#include <QtTest>

#include <deque>
#include <random>

using namespace kestrel;

Q_DECLARE_METATYPE(kestrel::link::TransferResult)

namespace {

constexpr int ChipB32 = 8;
constexpr int ChipD60 = 9;

// Answers the save dialog from a queue (empty: Cancel) and the replace question as told.
class SaveDialogs final : public UserDialogs
{
public:
    std::deque<QString> answers;
    QStringList suggested;
    bool replace = false;
    std::optional<QString> askOpenFile() override { return std::nullopt; }
    std::optional<QString> askSaveFile(const QString& name) override
    {
        suggested << name;
        if (answers.empty())
            return std::nullopt;
        const QString answer = answers.front();
        answers.pop_front();
        return answer;
    }
    void showMessage(const QString&) override {}
    bool askOkCancel(const QString&) override { return replace; }
};

} // namespace

class TestBackupCommand : public QObject
{
    Q_OBJECT
private slots:
    void init();
    void cleanup();
    void backupThenProgramAndVerify_data();
    void backupThenProgramAndVerify();
    void dialogCancelReplaceAndFolder();
    void failedBackupProgramsNothing_data();
    void failedBackupProgramsNothing();

private:
    // The chip holds seeded bytes, the buffer others. Returns the chip's bytes.
    QByteArray prepare(int chipIndex, sim::Faults faults = {});
    void runCommand();
    [[nodiscard]] int frames(std::uint8_t command) const;

    std::unique_ptr<TForm1> m_form;
    std::unique_ptr<sim::Simulator> m_sim;
    std::unique_ptr<QTemporaryDir> m_dir;
    SaveDialogs m_dialogs;
    QStringList m_messages;
    QStringList m_statuses;
};

void TestBackupCommand::init()
{
    m_form = std::make_unique<TForm1>();
    m_dir = std::make_unique<QTemporaryDir>();
    m_dialogs = SaveDialogs();
    m_messages.clear();
    m_statuses.clear();
    m_form->setDialogs(&m_dialogs);
    m_form->transfers().setMessageSink([this](const QString& text) { m_messages << text; });
    connect(m_form.get(), &TForm1::statusTextChanged, this,
            [this](const QString& text) { m_statuses << text; });
}

void TestBackupCommand::cleanup()
{
    QVERIFY(m_form->transfers().waitFinished(90000));
    m_form.reset();
    m_sim.reset();
}

QByteArray TestBackupCommand::prepare(int chipIndex, sim::Faults faults)
{
    m_form->ComboBox2->setCurrentIndex(chipIndex);
    m_sim = std::make_unique<sim::Simulator>(
        chipIndex == ChipB32 ? sim::ChipKind::B32 : sim::ChipKind::D60, std::move(faults));
    sim::Simulator* s = m_sim.get();
    m_form->transfers().setFactories(
        [] { return std::unique_ptr<link::Clock>(new testsupport::VirtualClock); },
        [s](link::Clock& clock) {
            return std::unique_ptr<link::SerialLine>(new sim::SimLine(*s, clock));
        });
    std::mt19937 random(static_cast<unsigned>(chipIndex));
    QByteArray chip(ChipTable[chipIndex].EepromSize, '\0');
    for (int e = 1; e <= chip.size(); ++e) {
        chip[e - 1] = static_cast<char>(random());
        m_form->image().EepromBuffer[e] = static_cast<int>(random() & 0xFF);
    }
    if (!s->modify([&](sim::Target& t) { return t.loadEeprom({chip.begin(), chip.end()}); }))
        qFatal("EEPROM image too large");
    m_form->refreshGrids();
    return chip;
}

void TestBackupCommand::runCommand()
{
    m_form->KopiaProgramujWeryfikuj1->trigger();
    QVERIFY(m_form->transfers().waitFinished(90000));
    QVERIFY(m_form->Panel1->isEnabled());
    QVERIFY(m_form->KopiaProgramujWeryfikuj1->isEnabled());
}

int TestBackupCommand::frames(std::uint8_t command) const
{
    return m_sim->inspect([command](const sim::Target&, const sim::Adapter& a) {
        return int(std::count_if(a.frames().begin(), a.frames().end(),
                                 [command](const auto& f) { return f.bytes[0] == command; }));
    });
}

void TestBackupCommand::backupThenProgramAndVerify_data()
{
    QTest::addColumn<int>("chip");
    QTest::addColumn<QString>("fileName");
    QTest::newRow("68HC12B32 raw") << ChipB32 << "kopia.bin";
    QTest::newRow("68HC12D60 S-records") << ChipD60 << "kopia.s19";
    QTest::newRow("68HC12B32 Intel HEX") << ChipB32 << "kopia.hex";
}

void TestBackupCommand::backupThenProgramAndVerify()
{
    QFETCH(int, chip);
    QFETCH(QString, fileName);
    const QByteArray former = prepare(chip);
    const EepromBufferType buffer = m_form->image().EepromBuffer;
    const QString file = m_dir->filePath(fileName);
    m_dialogs.answers = {file};
    const QDateTime before = QDateTime::currentDateTime().addSecs(-1);
    runCommand();

    // The proposed name: the chip and the time, in the home folder at first.
    QCOMPARE(m_dialogs.suggested.size(), 1);
    const QFileInfo proposed(m_dialogs.suggested.front());
    QCOMPARE(proposed.absolutePath(), QDir::homePath());
    const QRegularExpressionMatch match =
        QRegularExpression(QStringLiteral("^%1-(\\d{8}-\\d{6})\\.bin$").arg(ChipTable[chip].name))
            .match(proposed.fileName());
    QVERIFY2(match.hasMatch(), qPrintable(proposed.fileName()));
    const QDateTime stamp =
        QDateTime::fromString(match.captured(1), QStringLiteral("yyyyMMdd-HHmmss"));
    QVERIFY(stamp >= before && stamp <= QDateTime::currentDateTime());

    // The file holds what the chip held; the chip now holds the buffer, which is unchanged.
    QFile backup(file);
    QVERIFY(backup.open(QIODevice::ReadOnly));
    const ChipWindow window{ChipTable[chip].EepromBase, ChipTable[chip].EepromSize};
    QCOMPARE(decodeImage(backup.readAll(), formatNamedBy(file), window).bytes, former);
    QVERIFY(m_form->image().EepromBuffer == buffer);
    const std::vector<std::uint8_t> programmed = m_sim->eeprom();
    for (int e = 1; e <= window.size; ++e)
        QCOMPARE(int(programmed[e - 1]), buffer[e]);

    // One command, one message; each phase shows as its own command shows it.
    QCOMPARE(m_messages, QStringList{QStringLiteral("Zawartość EEPROM zgodna z buforem")});
    QCOMPARE(m_form->transfers().lastResult(), link::TransferResult::Done);
    QCOMPARE(m_statuses, (QStringList{"Trwa odczyt EEPROM", "Kopia zapisana",
                                      QString::fromUtf8(ChipTable[chip].programming.loadingStatus),
                                      "Trwa przesyłanie danych", "Rozpoczęto zapis EEPROM",
                                      "Gotowe", "Trwa weryfikacja EEPROM", "Zgodne"}));
    QCOMPARE(frames(0x5B), 3); // read, program and verify each a session of their own
    QVERIFY(m_sim->violations().empty());
}

void TestBackupCommand::dialogCancelReplaceAndFolder()
{
    const QByteArray former = prepare(ChipB32);
    runCommand(); // cancelled
    QCOMPARE(m_dialogs.suggested.size(), 1);

    // An existing file is not replaced without OK: the dialog asks again, with its name.
    QVERIFY(QDir(m_dir->path()).mkpath(QStringLiteral("kopie")));
    const QString existing = m_dir->filePath(QStringLiteral("kopie/stara.bin"));
    QFile old(existing);
    QVERIFY(old.open(QIODevice::WriteOnly) && old.write("stara") == 5);
    old.close();
    m_dialogs.answers = {existing};
    runCommand();
    QCOMPARE(m_dialogs.suggested.mid(1), (QStringList{m_dialogs.suggested[1], existing}));
    QCOMPARE(m_sim->frameCount(), std::size_t{0});
    QVERIFY(m_messages.isEmpty());

    m_dialogs.replace = true;
    m_dialogs.answers = {existing};
    runCommand();
    QVERIFY(old.open(QIODevice::ReadOnly));
    QCOMPARE(old.readAll(), former);
    // The next proposal is in the folder of that backup.
    runCommand();
    QCOMPARE(QFileInfo(m_dialogs.suggested.back()).absolutePath(),
             QFileInfo(existing).absolutePath());
}

void TestBackupCommand::failedBackupProgramsNothing_data()
{
    QTest::addColumn<QString>("fileName");
    QTest::addColumn<bool>("silent");
    QTest::addColumn<QString>("message"); // a read failure's whole message, else empty
    QTest::addColumn<link::TransferResult>("result");
    // Tests run as root, who may write into a read-only folder: nobody can write these files,
    // their folder being missing or a regular file.
    QTest::newRow("folder missing")
        << "brak/kopia.bin" << false << "" << link::TransferResult::BackupFailed;
    QTest::newRow("folder is a file")
        << "plik.bin/kopia.bin" << false << "" << link::TransferResult::BackupFailed;
    QTest::newRow("no adapter") << "kopia.bin" << true
                                << "BLAD KOMUUNIKACJI !! Kopia nie została wykonana. Układ nie "
                                   "został zaprogramowany."
                                << link::TransferResult::NoAdapter;
}

void TestBackupCommand::failedBackupProgramsNothing()
{
    QFETCH(QString, fileName);
    QFETCH(bool, silent);
    QFETCH(QString, message);
    QFETCH(link::TransferResult, result);
    sim::Faults faults;
    faults.silent = silent;
    const QByteArray former = prepare(ChipD60, faults);
    QFile regular(m_dir->filePath(QStringLiteral("plik.bin")));
    QVERIFY(regular.open(QIODevice::WriteOnly));
    regular.close();
    const QString file = m_dir->filePath(fileName);
    m_dialogs.answers = {file};
    runCommand();

    QCOMPARE(m_form->transfers().lastResult(), result);
    QCOMPARE(m_messages.size(), 1);
    if (message.isEmpty())
        QVERIFY2(QRegularExpression(QStringLiteral("^Nie można zapisać kopii: %1: .+\\. Układ nie "
                                                   "został zaprogramowany\\.$")
                                        .arg(QRegularExpression::escape(file)))
                     .match(m_messages.front())
                     .hasMatch(),
                 qPrintable(m_messages.front()));
    else
        QCOMPARE(m_messages.front(), message);
    QVERIFY(!QFile::exists(file));
    QVERIFY(!m_statuses.contains(QStringLiteral("Kopia zapisana")));
    QCOMPARE(frames(0x0B), 0); // no word written to the target
    QCOMPARE(frames(0x5B), 1);
    QCOMPARE(QByteArray(reinterpret_cast<const char*>(m_sim->eeprom().data()), former.size()),
             former);
}

QTEST_MAIN(TestBackupCommand)
#include "tst_backupcommand.moc"
