#pragma once

#include "image_file.h"

#include <QString>

namespace kestrel {

// Texts about image files that the window and the command line both give. Each front end puts
// them into its own message: the window shows them in a box, the command line after the file's
// name on one line.

// "Rozmiar pliku przekracza pojemnosc pamieci EEPROM !"
[[nodiscard]] QString fileTooLargeMessage();
// "Błąd w pliku, wiersz 3: zła suma kontrolna"
[[nodiscard]] QString lineErrorMessage(qint64 line, const QString& reason);
// "Błąd w pliku: plik ELF uszkodzony lub niepełny": a file refused as a whole.
[[nodiscard]] QString fileErrorMessage(const QString& reason);
// "Plik nie zawiera danych dla EEPROM układu (0D00-0FFF)".
[[nodiscard]] QString noDataMessage(ChipWindow window);
// "Pominięto N bajtów spoza EEPROM (0D00-0FFF)", told after a load that left data out.
[[nodiscard]] QString skippedMessage(qint64 skipped, ChipWindow window);
// "Adresy w pliku liczone od początku EEPROM", told after a load of a file counted from the
// EEPROM's first byte.
[[nodiscard]] QString offsetBasedMessage();
// What a load that was taken has to tell: the skipped bytes, or that the file was counted from
// the EEPROM's first byte; empty when nothing.
[[nodiscard]] QString loadNotice(const ImageLoadResult& result, ChipWindow window);
// "Plik obrazu jest pusty": a file of no bytes, which is never programmed or compared.
[[nodiscard]] QString emptyImageMessage();
// "0D00-0FFF": the window's first and last address.
[[nodiscard]] QString windowText(ChipWindow window);

// The message for a file whose content was refused (TooLarge, BadLine, BadFile, NoData); empty for
// any other status.
[[nodiscard]] QString refusedContentMessage(const ImageLoadResult& result, ChipWindow window);

// The first words of the messages of a file that cannot be read or written, before its name
// and the system's reason: "Nie można odczytać pliku:", "Nie można zapisać pliku:".
[[nodiscard]] QString readFailedHeading();
[[nodiscard]] QString writeFailedHeading();

} // namespace kestrel
