#include "image_messages.h"

#include <QCoreApplication>

namespace kestrel {

namespace {

QString address4(qint64 address)
{
    return QString::number(address, 16).toUpper().rightJustified(4, u'0');
}

} // namespace

QString fileTooLargeMessage()
{
    return QCoreApplication::translate("image",
                                       "Rozmiar pliku przekracza pojemnosc pamieci EEPROM !");
}

QString lineErrorMessage(qint64 line, const QString& reason)
{
    return QCoreApplication::translate("image", "Błąd w pliku, wiersz %1: %2")
        .arg(line)
        .arg(reason);
}

QString fileErrorMessage(const QString& reason)
{
    return QCoreApplication::translate("image", "Błąd w pliku: %1").arg(reason);
}

QString offsetBasedMessage()
{
    return QCoreApplication::translate("image", "Adresy w pliku liczone od początku EEPROM");
}

QString loadNotice(const ImageLoadResult& result, ChipWindow window)
{
    if (result.status != ImageReadStatus::Ok)
        return {};
    if (result.offsetBased)
        return offsetBasedMessage();
    if (result.skipped > 0)
        return skippedMessage(result.skipped, window);
    return {};
}

QString emptyImageMessage()
{
    return QCoreApplication::translate("image", "Plik obrazu jest pusty");
}

QString windowText(ChipWindow window)
{
    return address4(window.base) + u'-' + address4(qint64(window.base) + window.size - 1);
}

QString skippedMessage(qint64 skipped, ChipWindow window)
{
    return QCoreApplication::translate("image", "Pominięto %1 bajtów spoza EEPROM (%2)")
        .arg(skipped)
        .arg(windowText(window));
}

QString noDataMessage(ChipWindow window)
{
    return QCoreApplication::translate("image", "Plik nie zawiera danych dla EEPROM układu (%1)")
        .arg(windowText(window));
}

QString refusedContentMessage(const ImageLoadResult& result, ChipWindow window)
{
    switch (result.status) {
    case ImageReadStatus::TooLarge:
        return fileTooLargeMessage();
    case ImageReadStatus::BadLine:
        return lineErrorMessage(result.line, result.reason);
    case ImageReadStatus::BadFile:
        return fileErrorMessage(result.reason);
    case ImageReadStatus::NoData:
        return noDataMessage(window);
    case ImageReadStatus::Ok:
    case ImageReadStatus::NoFile:
    case ImageReadStatus::Unreadable:
        break;
    }
    return {};
}

QString readFailedHeading()
{
    return QCoreApplication::translate("image", "Nie można odczytać pliku:");
}

QString writeFailedHeading()
{
    return QCoreApplication::translate("image", "Nie można zapisać pliku:");
}

} // namespace kestrel
