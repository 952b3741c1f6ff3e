// What the adapter check tells a person, translated, and its diagnosis's name for scripts.
// scripts.

#include "adapter_check.h"

#include "adapter.h"
#include "messages.h"
#include "port_access.h"

#include <QCoreApplication>

namespace kestrel::link {

namespace {

QString hexBytes(const QByteArray& bytes)
{
    return QString::fromLatin1(bytes.toHex(' ').toUpper());
}

QString replyText(const CheckReply& r, int waitMs)
{
    const QString delay = QString::number(r.delayMs, 'f', 1);
    if (r.bytes.isEmpty())
        return QCoreApplication::translate("link", "brak odpowiedzi w %1 ms").arg(waitMs);
    if (r.bytes.size() < 2)
        return QCoreApplication::translate("link", "%1 (1 z 2 bajtów) po %2 ms")
            .arg(hexBytes(r.bytes), delay);
    return QStringLiteral("%1 po %2 ms").arg(hexBytes(r.bytes), delay);
}

QString address(int a)
{
    return QStringLiteral("%1").arg(a, 4, 16, QLatin1Char('0')).toUpper();
}

double longestDelay(const AdapterCheckReport& report)
{
    double longest = 0.0;
    for (const auto* replies : {&report.statusReplies, &report.words})
        for (const CheckReply& r : *replies)
            if (!r.bytes.isEmpty())
                longest = std::max(longest, r.delayMs);
    return longest;
}

} // namespace

const char* diagnosisName(CheckDiagnosis diagnosis)
{
    static const char* const names[] = {"ready",       "port_failed", "no_permission",
                                        "speed_refused", "no_bytes",  "echo",
                                        "not_ready",   "late_replies", "unreliable",
                                        "line_broken", "cancelled"};
    return names[static_cast<int>(diagnosis)];
}

QString diagnosisText(const AdapterCheckReport& report)
{
    switch (report.diagnosis) {
    case CheckDiagnosis::Ready:
        return QCoreApplication::translate("link", "Adapter odpowiada, układ jest gotowy.");
    case CheckDiagnosis::PortFailed:
        return portFailedMessage();
    case CheckDiagnosis::NoPermission:
        return permissionDeniedMessageFor(report.device);
    case CheckDiagnosis::SpeedRefused:
        return speedUnsupportedMessage(report.speed.value_or(0));
    case CheckDiagnosis::NoBytes:
        return QCoreApplication::translate(
            "link", "Nie wrócił żaden bajt: adapter jest bez zasilania, nie jest "
                    "podłączony albo jest podłączony do innego portu.");
    case CheckDiagnosis::Echo:
        return QCoreApplication::translate(
            "link", "Wracają bajty właśnie wysłane: linia je zawraca (wtyczka pętli "
                    "zwrotnej albo kabel ze zwartymi TX i RX); żaden adapter nie "
                    "odpowiada.");
    case CheckDiagnosis::NotReady:
        return QCoreApplication::translate(
            "link", "Adapter odpowiada, ale układ nie jest gotowy (stan inny niż C0): "
                    "sprawdź zasilanie układu i jego połączenie z adapterem.");
    case CheckDiagnosis::LateReplies:
        return QCoreApplication::translate(
                   "link", "Odpowiedzi przychodzą później, niż transmisja na nie czeka "
                           "(%1 ms). Przejściówka USB przetrzymuje krótkie odpowiedzi: ustaw "
                           "1 w pliku latency_timer urządzenia "
                           "(/sys/bus/usb-serial/devices/ttyUSB0/latency_timer), na stałe "
                           "regułą udev.")
            .arg(replyDeadlineMs(ReadReadTimeoutMs));
    case CheckDiagnosis::Unreliable:
        return QCoreApplication::translate(
            "link", "Linia jest zakłócona albo zawodna: odpowiedzi niepełne albo dwa "
                    "odczyty tego samego słowa różne. Sprawdź kabel, jego długość i "
                    "przejściówkę.");
    case CheckDiagnosis::LineBroken:
        return lineBrokenMessage();
    case CheckDiagnosis::Cancelled:
        break;
    }
    return QCoreApplication::translate("link", "Przerwano");
}

QStringList reportLines(const AdapterCheckReport& report)
{
    QStringList out;
    if (report.open != OpenStatus::Opened) {
        out << QCoreApplication::translate("link", "Port %1 nie został otwarty.")
                   .arg(report.device);
    } else {
        const QString speed = report.speed ? QString::number(*report.speed)
                                           : QCoreApplication::translate("link", "nie podał");
        out << QCoreApplication::translate("link",
                                           "Port %1 otwarty: 12800 bodów, 8N1 (sterownik: %2).")
                   .arg(report.device, speed);
    }
    const int statusWait = statusReplyDeadlineMs(ReadReadTimeoutMs);
    for (std::size_t k = 0; k < report.statusReplies.size(); ++k)
        out << QCoreApplication::translate("link", "Zapytanie o stan %1: %2")
                   .arg(k + 1)
                   .arg(replyText(report.statusReplies[k], statusWait));
    if (report.open == OpenStatus::Opened)
        out << (report.ready ? QCoreApplication::translate("link", "Układ gotowy.")
                             : QCoreApplication::translate("link", "Układ nie zgłosił gotowości."));
    for (std::size_t k = 0; k < report.words.size(); ++k)
        out << QCoreApplication::translate("link", "Słowo %1, odczyt %2: %3")
                   .arg(address(report.wordAddress))
                   .arg(k + 1)
                   .arg(replyText(report.words[k], CheckWordWaitMs));
    if (report.words.size() == 2)
        out << (report.words[0].bytes == report.words[1].bytes
                    ? QCoreApplication::translate("link", "Oba odczyty zgodne.")
                    : QCoreApplication::translate("link", "Odczyty różne."));
    if (report.open == OpenStatus::Opened)
        out << QCoreApplication::translate(
                   "link", "Wysłano %1 bajtów, odebrano %2; najpóźniejsza odpowiedź po %3 ms.")
                   .arg(report.bytesSent)
                   .arg(report.bytesReceived)
                   .arg(QString::number(longestDelay(report), 'f', 1));
    out << QCoreApplication::translate("link", "Diagnoza: ") + diagnosisText(report);
    return out;
}

} // namespace kestrel::link
