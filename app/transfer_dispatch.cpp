#include "transfer_dispatch.h"

#include "chip_table.h"
#include "main_window.h"
#include "real_clock.h"
#include "transports.h"

#include <QComboBox>

namespace kestrel {

TransferDispatch::TransferDispatch(TForm1& form)
    : QObject(&form), m_form(form), m_runner(this, *this)
{
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
    return start(Kind::Program);
}

bool TransferDispatch::startRead()
{
    return start(Kind::Read);
}

bool TransferDispatch::startVerify()
{
    return start(Kind::Verify);
}

bool TransferDispatch::startProgramVerify()
{
    return start(Kind::ProgramVerify);
}

bool TransferDispatch::start(Kind kind)
{
    if (m_runner.running())
        return false;
    const int index = m_form.ChipIndex();
    if (index < 0 || index >= ChipCount)
        return false;
    const ChipRow& chip = ChipTable[static_cast<std::size_t>(index)];
    link::WorkerRoutine routine = nullptr;
    switch (kind) {
    case Kind::Read:
        routine = chip.readWorker;
        break;
    case Kind::Program:
        routine = chip.programWorker;
        break;
    case Kind::Verify:
        routine = chip.verifyWorker;
        break;
    case Kind::ProgramVerify:
        routine = chip.programVerifyWorker;
        break;
    }
    const QString portName = m_form.ComboBox1->currentText().trimmed();

    TransferRunner::LineFactory makeLine = m_makeLine;
    if (!makeLine) {
        const std::string_view chipName = chip.name;
        makeLine = [portName, chipName](link::Clock& clock) {
            return link::Transports::program().makeLine({portName, chipName}, clock);
        };
    }

    // The marks tell where the chip differed; programming changes the chip.
    if (kind != Kind::Read)
        m_form.model().clearMarks();
    m_form.setTransferActive(true);
    if (!m_runner.start(routine, m_makeClock, makeLine, portName, m_form.image().EepromBuffer)) {
        m_form.setTransferActive(false);
        return false;
    }
    return true;
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

void TransferDispatch::setGaugeColor(std::uint32_t bgr)
{
    // A new colour starts a phase, whose next call sets the progress to 0: the bar empties first,
    // so that no frame shows the new colour at the old phase's percentage.
    TCGauge& gauge = *m_form.CGauge1;
    if (bgr != gauge.ForeColor())
        gauge.SetProgress(gauge.MinValue());
    gauge.SetForeColor(bgr);
}

void TransferDispatch::setGaugeMax(int max)
{
    m_form.CGauge1->SetMaxValue(max);
}

void TransferDispatch::setGaugeProgress(int progress)
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
    link::storeReadImage(bytes, m_form.image().EepromBuffer);
    m_form.refreshGrids();
}

void TransferDispatch::verified(const QByteArray& chipBytes,
                                const std::vector<int>& differingOffsets)
{
    (void)chipBytes;
    m_form.markDifferences(differingOffsets);
}

void TransferDispatch::finished()
{
    m_form.setTransferActive(false);
}

} // namespace kestrel
