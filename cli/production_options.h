#pragma once

#include "cli_options.h"

#include <QCommandLineOption>
#include <QCommandLineParser>
#include <QString>

namespace kestrel::cli {

// The options of a production run: --set, --serial, --registry and --series (program), --log
// (read, program, verify).
class ProductionOptions
{
public:
    // Adds the options to the parser.
    explicit ProductionOptions(QCommandLineParser& parser);

    [[nodiscard]] const QCommandLineOption& set() const { return set_; }
    [[nodiscard]] const QCommandLineOption& serial() const { return serial_; }
    [[nodiscard]] const QCommandLineOption& log() const { return log_; }
    [[nodiscard]] const QCommandLineOption& registry() const { return registry_; }
    [[nodiscard]] const QCommandLineOption& series() const { return series_; }
    // Takes them into the request, whose command, chip and ports are known; gives the usage
    // error, or a null string.
    [[nodiscard]] QString take(const QCommandLineParser& parser, CliRequest& request) const;

private:
    QCommandLineOption set_;
    QCommandLineOption serial_;
    QCommandLineOption log_;
    QCommandLineOption registry_;
    QCommandLineOption series_;

    [[nodiscard]] QString takeRegistry(const QCommandLineParser& parser,
                                       CliRequest& request) const;
};

// --registry and --series, once each; the usage error, or a null string. Also the registry
// command's.
[[nodiscard]] QString takeRegistryOptions(const QCommandLineParser& parser,
                                          const QCommandLineOption& registry,
                                          const QCommandLineOption& series, CliRequest& request);

} // namespace kestrel::cli
