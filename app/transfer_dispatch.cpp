#include "transfer_dispatch.h"

#include "buffer_history.h"
#include "chip_table.h"
#include "main_window.h"
#include "messages.h"
#include "real_clock.h"
#include "transports.h"

#include <QComboBox>
#include <QCoreApplication>

namespace kestrel {

TransferDispatch::TransferDispatch(TForm1& form)
    : QObject(&form), m_form(form),
      m_traceSink([this](const QStringList& lines) { m_form.tracePanel().append(lines); }),
      m_runner(this, *this)
{
    m_runner.setTraceSink(&m_traceSink);
    connect(&m_runner, &TransferRunner::transferFinished, this,
            &TransferDispatch::transferFinished);
    m_message = [this](const QString& text) { m_form.dialogs().showMessage(text); };
    setFactories({}, {});
}

TransferDispatch::~TransferDispatch() = default;

void TransferDispatch::setFactories(TransferRunner::ClockFactory clock,
                                    TransferRunner::LineFactory line)
{
    m_makeClock =
        clock ? std::move(clock) : [] { return std::unique_ptr<link::Clock>(new link::RealClock); };
    if (line) {
        m_makeLine = std::move(line);
        return;
    }
    // The program's transports choose the line by the port name when the transfer starts (see
    // start()).
    m_makeLine = nullptr;
}

bool TransferDispatch::startProgram()
{
    return start(link::Operation::Program);
}

bool TransferDispatch::startRead()
{
    return start(link::Operation::Read);
}

bool TransferDispatch::startVerify()
{
    return start(link::Operation::Verify);
}

bool TransferDispatch::startProgramVerify()
{
    return start(link::Operation::ProgramVerify);
}

bool TransferDispatch::startBackupProgramVerify()
{
    const ChipRow* selected = idleChip();
    if (selected == nullptr)
        return false;
    const ChipRow& chip = *selected;
    if (!link::chipSupported(chip))
        return start(link::Operation::BackupProgramVerify);
    const std::optional<QString> file = m_backupFiles.choose(
        m_form.dialogs(), QString::fromLatin1(chip.name), QDateTime::currentDateTime());
    if (!file)
        return false;
    return start(link::Operation::BackupProgramVerify, *file);
}

bool TransferDispatch::startCheck()
{
    return start(link::Operation::Check);
}

namespace {

QString operationTitle(link::Operation operation)
{
    // In the order of link::Operation.
    static const char* const titles[] = {
        QT_TRANSLATE_NOOP("app", "odczyt"),
        QT_TRANSLATE_NOOP("app", "programowanie"),
        QT_TRANSLATE_NOOP("app", "weryfikacja"),
        QT_TRANSLATE_NOOP("app", "programowanie i weryfikacja"),
        QT_TRANSLATE_NOOP("app", "kopia i programowanie"),
        QT_TRANSLATE_NOOP("app", "kopia, programowanie i weryfikacja"),
        QT_TRANSLATE_NOOP("app", "test adaptera")};
    return QCoreApplication::translate("app", titles[static_cast<int>(operation)]);
}

} // namespace

const link::ChipRow* TransferDispatch::idleChip() const
{
    const int index = m_form.ChipIndex();
    if (m_runner.running() || index < 0 || index >= ChipCount)
        return nullptr;
    return &ChipTable[static_cast<std::size_t>(index)];
}

bool TransferDispatch::start(link::Operation operation, const QString& backupPath)
{
    const ChipRow* selected = idleChip();
    if (selected == nullptr)
        return false;
    const ChipRow& chip = *selected;
    const link::WorkerRoutine routine = link::workerFor(chip, operation);
    const QString portName = m_form.ComboBox1->currentText().trimmed();

    TransferRunner::LineFactory makeLine = m_makeLine;
    if (!makeLine) {
        const std::string_view chipName = chip.name;
        makeLine = [portName, chipName](link::Clock& clock) {
            return link::Transports::program().makeLine({portName, chipName}, clock);
        };
    }

    // The marks tell where the chip differed; programming changes the chip.
    if (operation != link::Operation::Read && operation != link::Operation::Check)
        m_form.model().clearMarks();
    m_form.setTransferActive(true);
    m_operation = operation;
    m_programming = false;
    m_form.tracePanel().beginTransfer(
        QStringLiteral("%1  %2  %3  %4")
            .arg(QDateTime::currentDateTime().toString(QStringLiteral("yyyy-MM-dd HH:mm:ss")),
                 operationTitle(operation), QString::fromLatin1(chip.name), portName));
    const QByteArray image = bufferBytes(m_form.image().EepromBuffer, chip.EepromSize);
    if (!m_runner.start(routine, chip, m_makeClock, makeLine, portName, image, backupPath)) {
        m_form.setTransferActive(false);
        return false;
    }
    return true;
}

QString TransferDispatch::stopQuestion() const
{
    const QString question = QCoreApplication::translate(
        "app", "Trwa operacja na EEPROM. Przerwać ją i zamknąć program ?");
    if (!m_programming)
        return question;
    return question + QCoreApplication::translate(
                          "app", "\n\nProgramowanie zostanie przerwane; EEPROM układu będzie "
                                 "zapisana tylko częściowo.");
}

bool TransferDispatch::stopAndWait(int timeoutMs)
{
    if (!m_runner.running())
        return true;
    m_runner.requestCancel();
    return m_runner.waitFinished(timeoutMs);
}

void TransferDispatch::setStatus(const QString& text)
{
    m_form.setStatusText(text);
}

namespace {

// The gauge's colour of each phase (0x00BBGGRR): yellow, green, red, and blue for reading and
// verifying alike.
std::uint32_t phaseColor(link::Phase phase)
{
    switch (phase) {
    case link::Phase::Loading:
        return 0x00FFFF;
    case link::Phase::Sending:
        return 0x00FF00;
    case link::Phase::Writing:
        return 0x0000FF;
    case link::Phase::Reading:
    case link::Phase::Verifying:
        break;
    }
    return 0xFF0000;
}

} // namespace

void TransferDispatch::startPhase(link::Phase phase)
{
    m_programming = phase == link::Phase::Loading || phase == link::Phase::Sending ||
                    phase == link::Phase::Writing;
    const std::uint32_t bgr = phaseColor(phase);
    // A new colour starts a phase, whose next call sets the progress to 0: the bar empties first,
    // so that no frame shows the new colour at the old phase's percentage.
    TCGauge& gauge = *m_form.CGauge1;
    if (bgr != gauge.ForeColor())
        gauge.SetProgress(gauge.MinValue());
    gauge.SetForeColor(bgr);
}

void TransferDispatch::setProgressMax(int max)
{
    m_form.CGauge1->SetMaxValue(max);
}

void TransferDispatch::setProgress(int progress)
{
    m_form.CGauge1->SetProgress(progress);
}

void TransferDispatch::showMessage(const QString& text)
{
    if (m_message)
        m_message(text);
}

void TransferDispatch::imageRead(const QByteArray& bytes)
{
    EepromBufferType read = m_form.image().EepromBuffer;
    storeBufferBytes(read, bytes);
    BufferHistory& history = m_form.history();
    history.change(1, std::span(read).subspan(1), readStep());
    history.markSaved();
}

void TransferDispatch::verified(const QByteArray& chipBytes,
                                const std::vector<int>& differingOffsets)
{
    (void)chipBytes;
    m_form.markDifferences(differingOffsets);
}

void TransferDispatch::finished(const link::TransferOutcome& outcome)
{
    // Programming ended "Gotowe": the chip holds the buffer, which could not change meanwhile.
    if (outcome.programmed)
        m_form.history().markSaved();
    // The panel tells how the transfer ended; the check's last text is its own verdict.
    const QString ended = link::statusEnded(outcome.result);
    if (!ended.isNull() && m_operation != link::Operation::Check)
        m_form.setStatusText(ended);
    const bool verified = m_operation == link::Operation::Verify ||
                          m_operation == link::Operation::ProgramVerify ||
                          m_operation == link::Operation::BackupProgramVerify;
    if (verified && (outcome.result == link::TransferResult::Done ||
                     outcome.result == link::TransferResult::Mismatch))
        m_form.holdStatusAsVerdict();
    m_form.setTransferActive(false);
}

} // namespace kestrel
