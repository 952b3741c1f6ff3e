#pragma once

#include "serial_line.h"
#include "workers.h"

#include <QString>
#include <QStringList>

#include <optional>
#include <vector>

namespace kestrel::link {

// The adapter check: open the port, CMD_BEGIN, the connection check as every transfer runs it,
// CMD_READ_WORD of the chip's first EEPROM word twice, CMD_END. Nothing else is sent and nothing
// is written to the chip; what came back is told with one diagnosis a person can act on.

// A reply as the host got it.
struct CheckReply
{
    QByteArray bytes;     // what came within the wait (two bytes when whole)
    double delayMs = 0.0; // from the frame's last byte until the host had the bytes
};

enum class CheckDiagnosis
{
    Ready,         // the adapter answers and the chip is ready
    PortFailed,    // the port is missing or busy
    NoPermission,  // the user may not open the port
    SpeedRefused,  // the driver cannot run the line at 12800 baud
    NoBytes,       // not a byte came back
    Echo,          // the bytes that came back are the bytes just sent
    NotReady,      // the adapter answers, the chip is not ready
    LateReplies,   // replies come later than a transfer waits for them
    Unreliable,    // short replies, or two reads of one word that differ
    LineBroken,    // the line broke
    Cancelled,
};

struct AdapterCheckReport
{
    QString device;                       // the port opened
    OpenStatus open = OpenStatus::Failed;
    std::optional<unsigned> speed;         // as the driver reported it
    std::vector<CheckReply> statusReplies; // one per status query
    bool ready = false;
    int wordAddress = 0;
    std::vector<CheckReply> words;        // the two reads of the first EEPROM word
    CheckDiagnosis diagnosis = CheckDiagnosis::PortFailed;
    int bytesSent = 0;
    int bytesReceived = 0;
};

// The check's wait for a word reply: long enough to measure a reply that comes later than the
// transfers wait for it.
inline constexpr int CheckWordWaitMs = 250;

// Runs the check for ctx.chip on ctx.portName into report; the result maps to the transfers'
// exit codes (Done: ready, PortFailed, NoAdapter: adapter or chip not ready, LineBroken).
[[nodiscard]] TransferResult runAdapterCheck(TransferContext& ctx, AdapterCheckReport& report);

// The check as a transfer: its status text, then what it saw as one message.
[[nodiscard]] TransferResult AdapterCheckWorker(TransferContext& ctx);

// The diagnosis in the user's language, one sentence or two with the remedy; a port that did not
// open is told as a transfer tells it.
[[nodiscard]] QString diagnosisText(const AdapterCheckReport& report);
// What the check saw, a line each, in the user's language.
[[nodiscard]] QStringList reportLines(const AdapterCheckReport& report);
// A stable name of the diagnosis for scripts (JSON).
[[nodiscard]] const char* diagnosisName(CheckDiagnosis diagnosis);

} // namespace kestrel::link
