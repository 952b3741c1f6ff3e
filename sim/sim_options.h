#pragma once

#include "sim_chip.h"
#include "sim_faults.h"

#include <QString>
#include <QStringList>

#include <optional>

namespace kestrel::sim {

// What kestrel-sim serves, as its command line asks for it.
struct SimOptions
{
    ChipKind chip = ChipKind::B32;
    Faults faults;
    std::optional<QString> eepromFile;     // --eeprom: loaded at the start, else erased
    std::optional<QString> saveEepromFile; // --save-eeprom: written at the end
    std::optional<QString> logFile;        // --log: the transcript, written at the end
    QString linkPath;                      // --link: a symbolic link to the device; may be empty
    std::optional<QString> judgeFile;      // --judge: judge this line trace instead of serving
};

struct ParsedSimOptions
{
    enum class Action
    {
        Run,      // options hold what to serve
        ShowText, // print text on standard output, exit 0 (--help)
        Fail,     // print "kestrel-sim: " and text on standard error, exit 1
    };
    Action action = Action::Fail;
    SimOptions options;
    QString text;
};

// Parses kestrel-sim's arguments (the first is the program's name). The first bad option is the
// one told. --help-all is Qt's own and prints Qt's options too: it prints and exits at once.
[[nodiscard]] ParsedSimOptions parseSimOptions(const QStringList& arguments);

} // namespace kestrel::sim
