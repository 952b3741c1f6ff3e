#pragma once

#include "board_images.h"
#include "cli_options.h"
#include "port_job.h"
#include "progress.h"
#include "run_log.h"
#include "serial_reservations.h"

#include <QByteArray>
#include <QString>

#include <memory>
#include <vector>

namespace kestrel::cli {

// What a run adds for a production line: each board's own image (patches, serial number) and
// the log of what each port did.
class ProductionRun
{
public:
    // fileBytes: the image loaded from the file (erased for a read), the chip's EEPROM size.
    ProductionRun(const CliRequest& request, QByteArray fileBytes);

    // Opens the log when one is asked for, before any chip is touched. False, with the message
    // given, when it cannot be opened.
    [[nodiscard]] bool openLog(Console& console);

    // With --registry: reserves one serial number per port, before any chip is touched, and
    // gives the boards those numbers. False, with the message given, when the registry cannot
    // be opened or written.
    [[nodiscard]] bool reserveSerials(Console& console);
    // With --registry: records how each board ended. Gives exitCode, or ExitFile at least when
    // the registry could not be written.
    [[nodiscard]] int recordEndings(const std::vector<PortOutcome>& outcomes, int exitCode,
                                    Console& console);

    // The image the port's board is programmed with or compared to: the chip's EEPROM bytes.
    [[nodiscard]] QByteArray image(int port) const;
    // Fills in what the outcome shows of the run: the port's serial number and the CRC-32 of
    // its image.
    void describe(int port, PortOutcome& outcome) const;

    // Appends one line per port to the log. Gives the run's exit code: exitCode, or ExitFile when
    // the log could not be written.
    [[nodiscard]] int writeLog(const std::vector<PortOutcome>& outcomes, const QString& operation,
                               int exitCode, Console& console);

private:
    const CliRequest& request_;
    BoardImages boards_;
    std::unique_ptr<RunLog> log_;
    std::unique_ptr<SerialReservations> reservations_;
};

} // namespace kestrel::cli
