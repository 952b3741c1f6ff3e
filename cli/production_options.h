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

    // The usage error when one of them is given to a command that takes none of them.
    [[nodiscard]] QString refuseAll(const QCommandLineParser& parser, const QString& command) const;
    // Takes them into the request, whose command, chip and ports are known; gives the usage
    // error, or a null string.
    [[nodiscard]] QString take(const QCommandLineParser& parser, CliRequest& request) const;

private:
    QCommandLineOption set_;
    QCommandLineOption serial_;
    QCommandLineOption log_;
};

} // namespace kestrel::cli
