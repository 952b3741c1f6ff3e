#pragma once

#include "cli_options.h"

#include <QCommandLineOption>
#include <QCommandLineParser>
#include <QString>

namespace kestrel::cli {

// The options of a production run: --set and --serial (program), --log (read, program, verify).
class ProductionOptions
{
public:
    // Adds the options to the parser.
    explicit ProductionOptions(QCommandLineParser& parser);

    [[nodiscard]] const QCommandLineOption& set() const { return set_; }
    [[nodiscard]] const QCommandLineOption& serial() const { return serial_; }
    [[nodiscard]] const QCommandLineOption& log() const { return log_; }
    // Takes them into the request, whose command, chip and ports are known; gives the usage
    // error, or a null string.
    [[nodiscard]] QString take(const QCommandLineParser& parser, CliRequest& request) const;

private:
    QCommandLineOption set_;
    QCommandLineOption serial_;
    QCommandLineOption log_;
};

} // namespace kestrel::cli
