#include "sim_options.h"

#include <QCommandLineParser>

namespace kestrel::sim {

namespace {

bool parseInt(const QString& text, int base, int minimum, int maximum, int& out)
{
    bool ok = false;
    const int v = text.toInt(&ok, base);
    if (!ok || v < minimum || v > maximum)
        return false;
    out = v;
    return true;
}

// A probability: a number from 0 to 1 (NaN and infinities refused).
bool parseRate(const QString& text, double& out)
{
    bool ok = false;
    const double v = text.toDouble(&ok);
    if (!ok || !(v >= 0.0 && v <= 1.0))
        return false;
    out = v;
    return true;
}

// "ADDR=VALUE", both hexadecimal.
bool parseStuck(const QString& text, std::pair<std::uint16_t, std::uint8_t>& out)
{
    const auto parts = text.split(QLatin1Char('='));
    if (parts.size() != 2)
        return false;
    bool ok1 = false;
    bool ok2 = false;
    const uint address = parts[0].toUInt(&ok1, 16);
    const uint value = parts[1].toUInt(&ok2, 16);
    if (!ok1 || !ok2 || address > 0xFFFF || value > 0xFF)
        return false;
    out = {static_cast<std::uint16_t>(address), static_cast<std::uint8_t>(value)};
    return true;
}

// kestrel-sim's options after --help, in the order of the help: name, description, and for an
// option with a value its name and default.
struct OptionRow
{
    const char* name;
    const char* description;
    const char* valueName = "";
    const char* defaultValue = "";
};
constexpr OptionRow kOptions[] = {
    {"chip", "The target chip: 68HC12B32 or 68HC12D60.", "NAME"},
    {"eeprom",
     "Load the EEPROM from a raw binary file (at most the EEPROM's size; the rest reads FF). "
     "Without it the EEPROM starts erased.",
     "FILE"},
    {"save-eeprom", "Write the EEPROM to a raw binary file at the end.", "FILE"},
    {"log", "Write a transcript of every frame with its time, reply and violations at the end.",
     "FILE"},
    {"judge",
     "Judge a line trace (kestrel-cli --trace) instead of serving: run its frames at their "
     "recorded times through the adapter, print the summary; exit 2 when it found "
     "violations. Takes only --chip besides.",
     "TRACE"},
    {"link", "Also make a symbolic link PATH to the device (removed at the end).", "PATH"},
    {"silent", "Fault: the adapter never answers."},
    {"echo", "Fault: the line sends back every byte it receives (a loop-back plug, TX tied to "
             "RX); no adapter answers."},
    {"usb-latency-ms",
     "Fault: the adapter's replies are handed over together every N ms, as a USB-serial chip's "
     "latency timer does (16 by default under Linux for FTDI chips).",
     "N"},
    {"ready-on-try", "Fault: report ready (C0) only from status query N of a session on.", "N"},
    {"status-byte", "Fault: answer every status query with this first byte (hex).", "HH"},
    {"short-word", "Fault: every reply to EEPROM word K (from 0) is one byte short.", "K"},
    {"missing-word", "Fault: EEPROM word K (from 0) is never answered.", "K"},
    {"short-every", "Fault: every N-th word-read reply of a session is one byte short.", "N"},
    {"missing-every", "Fault: every N-th word-read reply of a session is missing.", "N"},
    {"late-ms", "Fault: every reply comes M ms late.", "M"},
    {"split-every",
     "Fault: every N-th word-read reply of a session comes split, its second byte --split-ms late.",
     "N"},
    {"split-ms", "How late the second byte of a split reply comes (default 50).", "M", "50"},
    {"held-every",
     "Fault: the second byte of every N-th word-read reply of a session is held until the next "
     "frame's last byte, then sent before that frame's own reply.",
     "N"},
    {"extra-every", "Fault: every N-th word-read reply of a session is followed by a byte more.",
     "N"},
    {"dropped-every", "Fault: every N-th word-read reply of a session loses its second byte.", "N"},
    {"hang-up-after",
     "Fault: after N frames the pseudo-terminal is closed, as a pulled USB cable; the simulator "
     "then ends.",
     "N"},
    {"stuck",
     "Fault: EEPROM cell ADDR always reads VALUE (both hex, e.g. 0D10=5A); may be repeated.",
     "ADDR=VALUE"},
    {"random-stuck", "Fault: COUNT random EEPROM cells stuck at random values (see --seed).",
     "COUNT"},
    {"missing-rate", "Fault: each word-read reply is missing with probability P (see --seed).",
     "P"},
    {"late-every",
     "Fault: every N-th word-read reply of a session comes --late-by-ms late, past the host's "
     "deadline.",
     "N"},
    {"late-rate",
     "Fault: each word-read reply comes --late-by-ms late with probability P (see --seed).", "P"},
    {"late-by-ms", "How late a reply of --late-every or --late-rate comes (default 40).", "M",
     "40"},
    {"seed", "Seed of the random faults (default 1).", "S", "1"},
};

ParsedSimOptions fail(const QString& text)
{
    ParsedSimOptions out;
    out.action = ParsedSimOptions::Action::Fail;
    out.text = text;
    return out;
}

// Reads the fault options into faults; the error's text, or empty.
QString parseFaults(const QCommandLineParser& parser, ChipKind kind, Faults& faults)
{
    faults.silent = parser.isSet(QStringLiteral("silent"));
    faults.echo = parser.isSet(QStringLiteral("echo"));
    // Times up to a minute; counts up to what a session can reach.
    constexpr int MaxMs = 60000;
    constexpr int MaxCount = 1 << 30;
    const int eepromSize = chipModel(kind).eepromSize();
    const int words = eepromSize / 2;
    struct IntOption
    {
        const char* name;
        int& target;
        int minimum;
        int maximum;
    };
    const IntOption ints[] = {{"ready-on-try", faults.readyOnTry, 1, MaxCount},
                              {"short-word", faults.shortWord, 0, words - 1},
                              {"missing-word", faults.missingWord, 0, words - 1},
                              {"short-every", faults.shortEvery, 1, MaxCount},
                              {"missing-every", faults.missingEvery, 1, MaxCount},
                              {"late-ms", faults.lateMs, 0, MaxMs},
                              {"hang-up-after", faults.hangUpAfterFrames, 1, MaxCount},
                              {"random-stuck", faults.randomStuck, 0, eepromSize},
                              {"split-every", faults.splitEvery, 1, MaxCount},
                              {"split-ms", faults.splitMs, 0, MaxMs},
                              {"held-every", faults.heldEvery, 1, MaxCount},
                              {"extra-every", faults.extraEvery, 1, MaxCount},
                              {"dropped-every", faults.droppedEvery, 1, MaxCount},
                              {"late-every", faults.lateEvery, 1, MaxCount},
                              {"late-by-ms", faults.lateByMs, 0, MaxMs},
                              {"usb-latency-ms", faults.usbLatencyMs, 0, 255}};
    faults.splitMs = 50;
    for (const IntOption& o : ints) {
        const QString name = QString::fromLatin1(o.name);
        if (parser.isSet(name) &&
            !parseInt(parser.value(name), 10, o.minimum, o.maximum, o.target))
            return QStringLiteral("bad value for --%1").arg(name);
    }
    if (parser.isSet(QStringLiteral("status-byte"))) {
        int v = 0;
        if (!parseInt(parser.value(QStringLiteral("status-byte")), 16, 0, 0xFF, v))
            return QStringLiteral("bad value for --status-byte");
        faults.statusByte = static_cast<std::uint8_t>(v);
    }
    for (const QString& s : parser.values(QStringLiteral("stuck"))) {
        std::pair<std::uint16_t, std::uint8_t> cell;
        const ChipModel& model = chipModel(kind);
        if (!parseStuck(s, cell) || cell.first < model.eeprom.first ||
            cell.first > model.eeprom.last)
            return QStringLiteral("bad value for --stuck: %1").arg(s);
        faults.stuck.push_back(cell);
    }
    for (const auto& [name, target] : {std::pair{"missing-rate", &faults.missingRate},
                                       std::pair{"late-rate", &faults.lateRate}}) {
        const QString option = QString::fromLatin1(name);
        if (parser.isSet(option) && !parseRate(parser.value(option), *target))
            return QStringLiteral("bad value for --%1").arg(option);
    }
    {
        bool ok = false;
        faults.seed = parser.value(QStringLiteral("seed")).toUInt(&ok);
        if (!ok)
            return QStringLiteral("bad value for --seed");
    }
    return {};
}

} // namespace

ParsedSimOptions parseSimOptions(const QStringList& arguments)
{
    QCommandLineParser parser;
    parser.setApplicationDescription(QStringLiteral(
        "Simulated programming adapter with a 68HC12B32 or 68HC12D60 on a pseudo-terminal.\n"
        "Prints the device path to open instead of a serial port, serves until interrupted\n"
        "(Ctrl+C), then prints a summary: frames, protocol violations, EEPROM operations.\n"
        "A tool for testers and scripts: it speaks English only, whatever the system's\n"
        "language.\n"
        "\n"
        "Pacing: a frame is early when one of its bytes came sooner than the host's pauses\n"
        "allow (1.5 ms after the byte before it, and less than the pauses owed since, less\n"
        "0.5 ms, after every earlier byte of the last 10 s). A pseudo-terminal hands bytes\n"
        "over late now and then, and late bytes come together, so an early frame alone proves\n"
        "nothing here: the host is flagged only when 8 frames in a row came early (a host\n"
        "that sends each frame in one go between its pauses, or bytes too close, always\n"
        "does), and then on each of them. Limits: a host early only now and then is not\n"
        "flagged (the summary counts such frames as not judged), nor a frame whose bytes\n"
        "came together after a pause long enough to have held them all. Bytes are read at\n"
        "real-time priority where allowed (root or CAP_SYS_NICE); the summary says whether\n"
        "it was."));
    const QCommandLineOption help = parser.addHelpOption();
    for (const OptionRow& row : kOptions)
        parser.addOption(QCommandLineOption(
            QString::fromUtf8(row.name), QString::fromUtf8(row.description),
            QString::fromUtf8(row.valueName), QString::fromUtf8(row.defaultValue)));

    if (!parser.parse(arguments))
        return fail(parser.errorText());
    if (parser.isSet(QStringLiteral("help-all")))
        parser.process(arguments); // prints Qt's help and exits
    if (parser.isSet(help)) {
        ParsedSimOptions out;
        out.action = ParsedSimOptions::Action::ShowText;
        out.text = parser.helpText();
        return out;
    }

    ParsedSimOptions out;
    const auto kind = chipByName(parser.value(QStringLiteral("chip")).toStdString());
    if (!kind)
        return fail(QStringLiteral("--chip must be 68HC12B32 or 68HC12D60"));

    if (const QString error = parseFaults(parser, *kind, out.options.faults); !error.isEmpty())
        return fail(error);

    out.options.chip = *kind;
    if (parser.isSet(QStringLiteral("eeprom")))
        out.options.eepromFile = parser.value(QStringLiteral("eeprom"));
    if (parser.isSet(QStringLiteral("save-eeprom")))
        out.options.saveEepromFile = parser.value(QStringLiteral("save-eeprom"));
    if (parser.isSet(QStringLiteral("log")))
        out.options.logFile = parser.value(QStringLiteral("log"));
    out.options.linkPath = parser.value(QStringLiteral("link"));
    if (parser.isSet(QStringLiteral("judge"))) {
        for (const QString& name : parser.optionNames())
            if (name != QLatin1String("judge") && name != QLatin1String("chip"))
                return fail(QStringLiteral("--judge takes no --%1").arg(name));
        out.options.judgeFile = parser.value(QStringLiteral("judge"));
    }
    out.action = ParsedSimOptions::Action::Run;
    return out;
}

} // namespace kestrel::sim
