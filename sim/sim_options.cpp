#include "sim_options.h"

#include <QCommandLineParser>

namespace kestrel::sim {

namespace {

bool parseInt(const QString& text, int base, int minimum, int& out)
{
    bool ok = false;
    const int v = text.toInt(&ok, base);
    if (!ok || v < minimum)
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

ParsedSimOptions fail(const QString& text)
{
    ParsedSimOptions out;
    out.action = ParsedSimOptions::Action::Fail;
    out.text = text;
    return out;
}

} // namespace

ParsedSimOptions parseSimOptions(const QStringList& arguments)
{
    QCommandLineParser parser;
    parser.setApplicationDescription(QStringLiteral(
        "Simulated programming adapter with a 68HC12B32 or 68HC12D60 on a pseudo-terminal.\n"
        "Prints the device path to open instead of a serial port, serves until interrupted\n"
        "(Ctrl+C), then prints a summary: frames, protocol violations, EEPROM operations.\n"
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
    const QCommandLineOption chip(QStringLiteral("chip"),
                                  QStringLiteral("The target chip: 68HC12B32 or 68HC12D60."),
                                  QStringLiteral("NAME"));
    const QCommandLineOption eeprom(QStringLiteral("eeprom"),
                                    QStringLiteral("Load the EEPROM from a raw binary file (at "
                                                   "most the EEPROM's size; the rest reads FF). "
                                                   "Without it the EEPROM starts erased."),
                                    QStringLiteral("FILE"));
    const QCommandLineOption saveEeprom(QStringLiteral("save-eeprom"),
                                        QStringLiteral("Write the EEPROM to a raw binary file at "
                                                       "the end."),
                                        QStringLiteral("FILE"));
    const QCommandLineOption log(QStringLiteral("log"),
                                 QStringLiteral("Write a transcript of every frame with its "
                                                "time, reply and violations at the end."),
                                 QStringLiteral("FILE"));
    const QCommandLineOption linkPath(QStringLiteral("link"),
                                      QStringLiteral("Also make a symbolic link PATH to the "
                                                     "device (removed at the end)."),
                                      QStringLiteral("PATH"));
    const QCommandLineOption silent(QStringLiteral("silent"),
                                    QStringLiteral("Fault: the adapter never answers."));
    const QCommandLineOption readyOnTry(QStringLiteral("ready-on-try"),
                                        QStringLiteral("Fault: report ready (C0) only from "
                                                       "status query N of a session on."),
                                        QStringLiteral("N"));
    const QCommandLineOption statusByte(QStringLiteral("status-byte"),
                                        QStringLiteral("Fault: answer every status query with "
                                                       "this first byte (hex)."),
                                        QStringLiteral("HH"));
    const QCommandLineOption shortWord(QStringLiteral("short-word"),
                                       QStringLiteral("Fault: every reply to EEPROM word K "
                                                      "(from 0) is one byte short."),
                                       QStringLiteral("K"));
    const QCommandLineOption missingWord(QStringLiteral("missing-word"),
                                         QStringLiteral("Fault: EEPROM word K (from 0) is never "
                                                        "answered."),
                                         QStringLiteral("K"));
    const QCommandLineOption shortEvery(QStringLiteral("short-every"),
                                        QStringLiteral("Fault: every N-th word-read reply of a "
                                                       "session is one byte short."),
                                        QStringLiteral("N"));
    const QCommandLineOption missingEvery(QStringLiteral("missing-every"),
                                          QStringLiteral("Fault: every N-th word-read reply of "
                                                         "a session is missing."),
                                          QStringLiteral("N"));
    const QCommandLineOption lateMs(QStringLiteral("late-ms"),
                                    QStringLiteral("Fault: every reply comes M ms late."),
                                    QStringLiteral("M"));
    const QCommandLineOption splitEvery(
        QStringLiteral("split-every"),
        QStringLiteral("Fault: every N-th word-read reply of a session comes split, its second "
                       "byte --split-ms late."),
        QStringLiteral("N"));
    const QCommandLineOption splitMs(QStringLiteral("split-ms"),
                                     QStringLiteral("How late the second byte of a split reply "
                                                    "comes (default 50)."),
                                     QStringLiteral("M"), QStringLiteral("50"));
    const QCommandLineOption heldEvery(
        QStringLiteral("held-every"),
        QStringLiteral("Fault: the second byte of every N-th word-read reply of a session is "
                       "held until the next frame's last byte, then sent before that frame's "
                       "own reply."),
        QStringLiteral("N"));
    const QCommandLineOption extraEvery(QStringLiteral("extra-every"),
                                        QStringLiteral("Fault: every N-th word-read reply of a "
                                                       "session is followed by a byte more."),
                                        QStringLiteral("N"));
    const QCommandLineOption droppedEvery(QStringLiteral("dropped-every"),
                                          QStringLiteral("Fault: every N-th word-read reply of "
                                                         "a session loses its second byte."),
                                          QStringLiteral("N"));
    const QCommandLineOption hangUp(QStringLiteral("hang-up-after"),
                                    QStringLiteral("Fault: after N frames the pseudo-terminal "
                                                   "is closed, as a pulled USB cable; the "
                                                   "simulator then ends."),
                                    QStringLiteral("N"));
    const QCommandLineOption stuck(QStringLiteral("stuck"),
                                   QStringLiteral("Fault: EEPROM cell ADDR always reads VALUE "
                                                  "(both hex, e.g. 0D10=5A); may be repeated."),
                                   QStringLiteral("ADDR=VALUE"));
    const QCommandLineOption randomStuck(QStringLiteral("random-stuck"),
                                         QStringLiteral("Fault: COUNT random EEPROM cells stuck "
                                                        "at random values (see --seed)."),
                                         QStringLiteral("COUNT"));
    const QCommandLineOption missingRate(QStringLiteral("missing-rate"),
                                         QStringLiteral("Fault: each word-read reply is missing "
                                                        "with probability P (see --seed)."),
                                         QStringLiteral("P"));
    const QCommandLineOption seed(QStringLiteral("seed"),
                                  QStringLiteral("Seed of the random faults (default 1)."),
                                  QStringLiteral("S"), QStringLiteral("1"));
    parser.addOptions({chip,       eeprom,     saveEeprom,  log,         linkPath,   silent,
                       readyOnTry, statusByte, shortWord,   missingWord, shortEvery, missingEvery,
                       lateMs,     splitEvery, splitMs,     heldEvery,   extraEvery, droppedEvery,
                       hangUp,     stuck,      randomStuck, missingRate, seed});

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
    const auto kind = chipByName(parser.value(chip).toStdString());
    if (!kind)
        return fail(QStringLiteral("--chip must be 68HC12B32 or 68HC12D60"));

    Faults& faults = out.options.faults;
    faults.silent = parser.isSet(silent);
    struct IntOption
    {
        const QCommandLineOption& option;
        int& target;
        int minimum;
    };
    const IntOption ints[] = {
        {readyOnTry, faults.readyOnTry, 1},     {shortWord, faults.shortWord, 0},
        {missingWord, faults.missingWord, 0},   {shortEvery, faults.shortEvery, 1},
        {missingEvery, faults.missingEvery, 1}, {lateMs, faults.lateMs, 0},
        {hangUp, faults.hangUpAfterFrames, 1},  {randomStuck, faults.randomStuck, 0},
        {splitEvery, faults.splitEvery, 1},     {splitMs, faults.splitMs, 0},
        {heldEvery, faults.heldEvery, 1},       {extraEvery, faults.extraEvery, 1},
        {droppedEvery, faults.droppedEvery, 1}};
    faults.splitMs = 50;
    for (const IntOption& o : ints) {
        if (parser.isSet(o.option) && !parseInt(parser.value(o.option), 10, o.minimum, o.target))
            return fail(QStringLiteral("bad value for --%1").arg(o.option.names().first()));
    }
    // A word the chip does not have would never show its fault.
    const int words = chipModel(*kind).eepromSize() / 2;
    if (faults.shortWord >= words)
        return fail(QStringLiteral("bad value for --short-word"));
    if (faults.missingWord >= words)
        return fail(QStringLiteral("bad value for --missing-word"));
    if (parser.isSet(statusByte)) {
        int v = 0;
        if (!parseInt(parser.value(statusByte), 16, 0, v) || v > 0xFF)
            return fail(QStringLiteral("bad value for --status-byte"));
        faults.statusByte = static_cast<std::uint8_t>(v);
    }
    for (const QString& s : parser.values(stuck)) {
        std::pair<std::uint16_t, std::uint8_t> cell;
        const ChipModel& model = chipModel(*kind);
        if (!parseStuck(s, cell) || cell.first < model.eepromFirst || cell.first > model.eepromLast)
            return fail(QStringLiteral("bad value for --stuck: %1").arg(s));
        faults.stuck.push_back(cell);
    }
    if (parser.isSet(missingRate)) {
        bool ok = false;
        faults.missingRate = parser.value(missingRate).toDouble(&ok);
        if (!ok || faults.missingRate < 0.0 || faults.missingRate > 1.0)
            return fail(QStringLiteral("bad value for --missing-rate"));
    }
    {
        bool ok = false;
        faults.seed = parser.value(seed).toUInt(&ok);
        if (!ok)
            return fail(QStringLiteral("bad value for --seed"));
    }

    out.options.chip = *kind;
    if (parser.isSet(eeprom))
        out.options.eepromFile = parser.value(eeprom);
    if (parser.isSet(saveEeprom))
        out.options.saveEepromFile = parser.value(saveEeprom);
    if (parser.isSet(log))
        out.options.logFile = parser.value(log);
    out.options.linkPath = parser.value(linkPath);
    out.action = ParsedSimOptions::Action::Run;
    return out;
}

} // namespace kestrel::sim
