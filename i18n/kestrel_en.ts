<?xml version="1.0" encoding="utf-8"?>
<!DOCTYPE TS>
<TS version="2.1" language="en" sourcelanguage="pl">
<context>
    <name>app</name>
    <message>
        <source>Nieznany błąd</source>
        <translation>Unknown error</translation>
    </message>
    <message>
        <source>Wpisanie bajtu</source>
        <translation>Typing a byte</translation>
    </message>
    <message>
        <source>Wypełnij FF</source>
        <translation>Fill FF</translation>
    </message>
    <message>
        <source>Wczytanie pliku</source>
        <translation>Loading a file</translation>
    </message>
    <message>
        <source>Odczyt EEPROM</source>
        <translation>EEPROM read</translation>
    </message>
    <message>
        <source>Bufor zawiera niezapisane zmiany. Zmienić układ i wyczyścić bufor?</source>
        <translation>The buffer has unsaved changes. Change the chip and clear the buffer?</translation>
    </message>
    <message>
        <source>Odczyt zastąpi niezapisane zmiany w buforze. Kontynuować?</source>
        <translation>The read will replace the unsaved changes in the buffer. Continue?</translation>
    </message>
    <message>
        <source>Wczytanie pliku zastąpi niezapisane zmiany w buforze. Kontynuować?</source>
        <translation>Loading the file will replace the unsaved changes in the buffer. Continue?</translation>
    </message>
    <message>
        <source>Bufor zawiera niezapisane zmiany. Zamknąć program?</source>
        <translation>The buffer has unsaved changes. Quit the program?</translation>
    </message>
    <message>
        <source>Podaj, czego szukać.</source>
        <translation>Enter what to find.</translation>
    </message>
    <message>
        <source>Tekst zawiera znak, którego nie ma w stronie kodowej znaków bufora (1250).</source>
        <translation>The text has a character that is not in the buffer&apos;s code page (1250).</translation>
    </message>
    <message>
        <source>Niepoprawne bajty hex: podaj pary cyfr szesnastkowych, np. DE AD BE EF.</source>
        <translation>Invalid hex bytes: enter pairs of hex digits, e.g. DE AD BE EF.</translation>
    </message>
    <message>
        <source>Wklejenie</source>
        <translation>Paste</translation>
    </message>
    <message>
        <source>Wypełnienie zaznaczenia</source>
        <translation>Fill selection</translation>
    </message>
    <message>
        <source>Wpisanie znaku</source>
        <translation>Typing a character</translation>
    </message>
    <message>
        <source>Plik zgodny z buforem</source>
        <translation>File matches the buffer</translation>
    </message>
    <message>
        <source>Plik różni się od bufora w %1 bajtach. Pierwszy pod adresem %2: w pliku %3, w buforze %4</source>
        <translation>File differs from the buffer in %1 bytes. First at address %2: file %3, buffer %4</translation>
    </message>
    <message>
        <source>Nie wklejono: schowek jest pusty.</source>
        <translation>Nothing pasted: the clipboard is empty.</translation>
    </message>
    <message>
        <source>Nie wklejono: schowek zawiera tekst, który nie jest ciągiem bajtów hex (par cyfr szesnastkowych): &quot;%1&quot;</source>
        <translation>Nothing pasted: the clipboard holds text that is not hex bytes (pairs of hex digits): &quot;%1&quot;</translation>
    </message>
    <message>
        <source>Nie wklejono: schowek nie zawiera bajtów ani tekstu (%1).</source>
        <translation>Nothing pasted: the clipboard holds neither bytes nor text (%1).</translation>
    </message>
    <message>
        <source>Przejdź do adresu…</source>
        <translation>Go to address…</translation>
    </message>
    <message>
        <source>Znajdź…</source>
        <translation>Find…</translation>
    </message>
    <message>
        <source>Znajdź następny</source>
        <translation>Find next</translation>
    </message>
    <message>
        <source>Znajdź poprzedni</source>
        <translation>Find previous</translation>
    </message>
    <message>
        <source>Zaznacz wszystko</source>
        <translation>Select all</translation>
    </message>
    <message>
        <source>Kopiuj</source>
        <translation>Copy</translation>
    </message>
    <message>
        <source>Wklej</source>
        <translation>Paste</translation>
    </message>
    <message>
        <source>Wypełnij zaznaczenie…</source>
        <translation>Fill selection…</translation>
    </message>
    <message>
        <source>Porównaj z plikiem…</source>
        <translation>Compare with file…</translation>
    </message>
    <message>
        <source>Następna różnica</source>
        <translation>Next difference</translation>
    </message>
    <message>
        <source>Poprzednia różnica</source>
        <translation>Previous difference</translation>
    </message>
    <message>
        <source>Przejdź do adresu</source>
        <translation>Go to address</translation>
    </message>
    <message>
        <source>Adres w hex (np. %1) albo przesunięcie od początku EEPROM (np. +80):</source>
        <translation>Address in hex (e.g. %1) or offset from the start of the EEPROM (e.g. +80):</translation>
    </message>
    <message>
        <source>Nie znaleziono</source>
        <translation>Not found</translation>
    </message>
    <message>
        <source>Przeszukano cały bufor</source>
        <translation>Searched the whole buffer</translation>
    </message>
    <message>
        <source>Wklejono %1 z %2 bajtów: %3 bajtów nie zmieściło się do końca EEPROM i zostało pominiętych.</source>
        <translation>Pasted %1 of %2 bytes: %3 bytes did not fit before the end of the EEPROM and were left out.</translation>
    </message>
    <message>
        <source>Wypełnij zaznaczenie</source>
        <translation>Fill selection</translation>
    </message>
    <message>
        <source>Wartość bajtu w hex (00 do FF) dla %1 zaznaczonych bajtów:</source>
        <translation>Byte value in hex (00 to FF) for %1 selected bytes:</translation>
    </message>
    <message>
        <source>Podaj jeden bajt w hex: 00 do FF.</source>
        <translation>Enter one byte in hex: 00 to FF.</translation>
    </message>
    <message>
        <source>Brak zaznaczonych różnic</source>
        <translation>No differences marked</translation>
    </message>
    <message>
        <source>Różnica %1 z %2</source>
        <translation>Difference %1 of %2</translation>
    </message>
    <message>
        <source>Bajty hex</source>
        <translation>Hex bytes</translation>
    </message>
    <message>
        <source>Tekst</source>
        <translation>Text</translation>
    </message>
    <message>
        <source>BUFOR</source>
        <translation>BUFFER</translation>
    </message>
    <message>
        <source>Plik</source>
        <translation>File</translation>
    </message>
    <message>
        <source>Wczytaj do bufora</source>
        <translation>Load into the buffer</translation>
    </message>
    <message>
        <source>Zapisz bufor</source>
        <translation>Save the buffer</translation>
    </message>
    <message>
        <source>Wypełnij bufor FF</source>
        <translation>Fill the buffer with FF</translation>
    </message>
    <message>
        <source>Programuj EEPROM</source>
        <translation>Program the EEPROM</translation>
    </message>
    <message>
        <source>Czytaj EEPROM</source>
        <translation>Read the EEPROM</translation>
    </message>
    <message>
        <source>Weryfikuj EEPROM</source>
        <translation>Verify the EEPROM</translation>
    </message>
    <message>
        <source>Wczytaj z dysku</source>
        <translation>Load from disk</translation>
    </message>
    <message>
        <source>Zapisz na dysk</source>
        <translation>Save to disk</translation>
    </message>
    <message>
        <source>Cofnij</source>
        <translation>Undo</translation>
    </message>
    <message>
        <source>Ponów</source>
        <translation>Redo</translation>
    </message>
    <message>
        <source>Czytaj</source>
        <translation>Read</translation>
    </message>
    <message>
        <source>Zapisz</source>
        <translation>Save</translation>
    </message>
    <message>
        <source>Weryfikuj</source>
        <translation>Verify</translation>
    </message>
    <message>
        <source>Zapisz i weryfikuj</source>
        <translation>Program and verify</translation>
    </message>
    <message>
        <source>Kopia, programowanie i weryfikacja</source>
        <translation>Backup, program and verify</translation>
    </message>
    <message>
        <source>Test adaptera</source>
        <translation>Adapter check</translation>
    </message>
    <message>
        <source>Dziennik transmisji</source>
        <translation>Line trace</translation>
    </message>
    <message>
        <source>nieznany wyjątek</source>
        <translation>unknown exception</translation>
    </message>
    <message>
        <source>Zapisz…</source>
        <translation>Save…</translation>
    </message>
    <message>
        <source>Wyczyść</source>
        <translation>Clear</translation>
    </message>
    <message>
        <source>dziennik.txt</source>
        <translation>trace.txt</translation>
    </message>
    <message>
        <source>Nie można zapisać dziennika: %1: %2</source>
        <translation>Cannot save the trace: %1: %2</translation>
    </message>
    <message>
        <source>odczyt</source>
        <translation>read</translation>
    </message>
    <message>
        <source>programowanie</source>
        <translation>program</translation>
    </message>
    <message>
        <source>weryfikacja</source>
        <translation>verify</translation>
    </message>
    <message>
        <source>programowanie i weryfikacja</source>
        <translation>program and verify</translation>
    </message>
    <message>
        <source>kopia i programowanie</source>
        <translation>backup and program</translation>
    </message>
    <message>
        <source>kopia, programowanie i weryfikacja</source>
        <translation>backup, program and verify</translation>
    </message>
    <message>
        <source>test adaptera</source>
        <translation>adapter check</translation>
    </message>
    <message>
        <source>Trwa operacja na EEPROM. Przerwać ją i zamknąć program ?</source>
        <translation>An EEPROM operation is running. Stop it and quit the program?</translation>
    </message>
    <message>
        <source>

Programowanie zostanie przerwane; EEPROM układu będzie zapisana tylko częściowo.</source>
        <translation>

Programming will stop; the chip&apos;s EEPROM will be only partly written.</translation>
    </message>
    <message>
        <source>Wszystkie obrazy (*.bin *.s19 *.s28 *.s37 *.srec *.mot *.sx *.hex *.ihex *.ihx *.elf *.out)</source>
        <translation>All images (*.bin *.s19 *.s28 *.s37 *.srec *.mot *.sx *.hex *.ihex *.ihx *.elf *.out)</translation>
    </message>
    <message>
        <source>Obraz binarny (*.bin)</source>
        <translation>Binary image (*.bin)</translation>
    </message>
    <message>
        <source>wszystkie (*)</source>
        <translation>all files (*)</translation>
    </message>
    <message>
        <source>Znajdź</source>
        <translation>Find</translation>
    </message>
    <message>
        <source>Szukaj bajtów hex (np. DE AD BE EF) albo tekstu:</source>
        <translation>Find hex bytes (e.g. DE AD BE EF) or text:</translation>
    </message>
    <message>
        <source>Odrzuć</source>
        <translation>Discard</translation>
    </message>
    <message>
        <source>Anuluj</source>
        <translation>Cancel</translation>
    </message>
    <message>
        <source>Układ</source>
        <translation>Chip</translation>
    </message>
    <message>
        <source>Zapisz</source>
        <comment>EEPROM menu: write the buffer to the chip</comment>
        <translation>Program</translation>
    </message>
</context>
<context>
    <name>cli</name>
    <message>
        <source>--backup: tylko z poleceniem program</source>
        <translation>--backup: only with the program command</translation>
    </message>
    <message>
        <source>--backup: pusta nazwa pliku</source>
        <translation>--backup: empty file name</translation>
    </message>
    <message>
        <source>--backup: kopia trafia do pliku, nie na standardowe wyjście</source>
        <translation>--backup: the backup goes to a file, not to standard output</translation>
    </message>
    <message>
        <source>--backup: przy kilku portach nazwa kopii musi zawierać %1, zastępowane nazwą portu</source>
        <translation>--backup: with several ports the backup&apos;s name must hold %1, replaced by the port name</translation>
    </message>
    <message>
        <source>--backup: kopia zastąpiłaby programowany plik „%1”</source>
        <translation>--backup: the backup would replace the file being programmed “%1”</translation>
    </message>
    <message>
        <source>--backup: porty „%1” i „%2” zapisałyby kopię do tego samego pliku „%3”</source>
        <translation>--backup: ports “%1” and “%2” would write their backups to the same file “%3”</translation>
    </message>
    <message>
        <source>„%1”</source>
        <translation>“%1”</translation>
    </message>
    <message>
        <source>%1: adresy %2-%3 poza EEPROM układu (%4)</source>
        <translation>%1: addresses %2-%3 outside the chip&apos;s EEPROM (%4)</translation>
    </message>
    <message>
        <source>%1: niepoprawny zapis %2 (ADRES=BAJTY, np. 0D10=DEADBEEF)</source>
        <translation>%1: invalid value %2 (ADDRESS=BYTES, e.g. 0D10=DEADBEEF)</translation>
    </message>
    <message>
        <source>%1: niepoprawny zapis %2 (ADRES:BAJTY:PIERWSZY, np. 0FF0:4:1000)</source>
        <translation>%1: invalid value %2 (ADDRESS:BYTES:FIRST, e.g. 0FF0:4:1000)</translation>
    </message>
    <message>
        <source>%1: BAJTY od 1 do 8, podano %2</source>
        <translation>%1: BYTES from 1 to 8, given %2</translation>
    </message>
    <message>
        <source>%1: numer %2 nie mieści się w polu %3-bajtowym</source>
        <translation>%1: number %2 does not fit in a %3-byte field</translation>
    </message>
    <message>
        <source>
kestrel-cli: &quot;kestrel-cli --help&quot; opisuje polecenia i opcje
</source>
        <translation>
kestrel-cli: &quot;kestrel-cli --help&quot; describes the commands and options
</translation>
    </message>
    <message>
        <source>Odczyt, programowanie i weryfikacja EEPROM układów 68HC12 przez adapter programujący.

Polecenia:
</source>
        <translation>Read, program and verify the EEPROM of 68HC12 chips through the programming adapter.

Commands:
</translation>
    </message>
    <message>
        <source>brak polecenia (%1)</source>
        <translation>no command (%1)</translation>
    </message>
    <message>
        <source>nieznane polecenie %1 (%2)</source>
        <translation>unknown command %1 (%2)</translation>
    </message>
    <message>
        <source>--chip UKŁAD --port PORT [--json] [--trace ŚLAD]</source>
        <translation>--chip CHIP --port PORT [--json] [--trace TRACE]</translation>
    </message>
    <message>
        <source>sprawdzenie adaptera i połączenia</source>
        <translation>check the adapter and the connection</translation>
    </message>
    <message>
        <source>(nic nie zapisuje)</source>
        <translation>(writes nothing)</translation>
    </message>
    <message>
        <source>lista układów</source>
        <translation>list the chips</translation>
    </message>
    <message>
        <source>Wyświetla tę pomoc.</source>
        <translation>Shows this help.</translation>
    </message>
    <message>
        <source>Układ z listy &quot;kestrel-cli chips&quot;.</source>
        <translation>Chip from the list &quot;kestrel-cli chips&quot;.</translation>
    </message>
    <message>
        <source>UKŁAD</source>
        <translation>CHIP</translation>
    </message>
    <message>
        <source>Port adaptera; program i verify przyjmują kilka (ten sam obraz na każdy port naraz).</source>
        <translation>The adapter&apos;s port; program and verify take several (the same image to every port at once).</translation>
    </message>
    <message>
        <source>Po programowaniu odczytaj i porównaj.</source>
        <translation>After programming, read back and compare.</translation>
    </message>
    <message>
        <source>Przed programowaniem odczytaj układ do pliku KOPIA; {port} w nazwie zastępuje nazwa portu.</source>
        <translation>Before programming, read the chip into the file BACKUP; {port} in the name is replaced by the port name.</translation>
    </message>
    <message>
        <source>KOPIA</source>
        <translation>BACKUP</translation>
    </message>
    <message>
        <source>Format pliku: srec, ihex, bin lub elf (elf tylko do odczytu; domyślnie wg nazwy, potem zawartości przy odczycie pliku, wg rozszerzenia przy zapisie, bin dla &quot;-&quot;). Przy convert: format WYJŚCIA.</source>
        <translation>File format: srec, ihex, bin or elf (elf read only; by default from the name, then the contents when reading a file, from the extension when writing, bin for &quot;-&quot;). With convert: the format of OUTPUT.</translation>
    </message>
    <message>
        <source>Wypisuj tylko błędy.</source>
        <translation>Print errors only.</translation>
    </message>
    <message>
        <source>Na końcu jeden obiekt JSON na port na standardowym wyjściu, nic więcej.</source>
        <translation>At the end one JSON object per port on standard output, nothing else.</translation>
    </message>
    <message>
        <source>Zapisz przebieg transmisji (każdy bajt z czasem) do pliku ŚLAD; &quot;-&quot;: standardowe wyjście błędów; {port} w nazwie zastępuje nazwa portu.</source>
        <translation>Write the line trace (every byte with its time) to the file TRACE; &quot;-&quot;: standard error; {port} in the name is replaced by the port name.</translation>
    </message>
    <message>
        <source>ŚLAD</source>
        <translation>TRACE</translation>
    </message>
    <message>
        <source>polecenie</source>
        <translation>command</translation>
    </message>
    <message>
        <source>PLIK</source>
        <translation>FILE</translation>
    </message>
    <message>
        <source>Plik obrazu lub &quot;-&quot;.</source>
        <translation>Image file or &quot;-&quot;.</translation>
    </message>
    <message>
        <source>[PLIK]</source>
        <translation>[FILE]</translation>
    </message>
    <message>
        <source>--%1: polecenie %2 nie przyjmuje tej opcji</source>
        <translation>--%1: the %2 command does not take this option</translation>
    </message>
    <message>
        <source>%1: zapis w formacie ELF nie jest obsługiwany (srec, ihex lub bin)</source>
        <translation>%1: writing ELF is not supported (srec, ihex or bin)</translation>
    </message>
    <message>
        <source>nadmiarowy argument %1</source>
        <translation>extra argument %1</translation>
    </message>
    <message>
        <source>--port: polecenie %1 przyjmuje jeden port</source>
        <translation>--port: the %1 command takes one port</translation>
    </message>
    <message>
        <source>brak argumentu %1</source>
        <translation>missing argument %1</translation>
    </message>
    <message>
        <source>%1: pusta nazwa pliku</source>
        <translation>%1: empty file name</translation>
    </message>
    <message>
        <source>brak opcji --chip</source>
        <translation>missing option --chip</translation>
    </message>
    <message>
        <source>--chip: podano więcej niż jeden układ</source>
        <translation>--chip: more than one chip given</translation>
    </message>
    <message>
        <source>--chip: nieznany układ %1 (listę podaje &quot;kestrel-cli chips&quot;)</source>
        <translation>--chip: unknown chip %1 (&quot;kestrel-cli chips&quot; lists them)</translation>
    </message>
    <message>
        <source>--trace: podano więcej niż jeden plik</source>
        <translation>--trace: more than one file given</translation>
    </message>
    <message>
        <source>brak opcji --port</source>
        <translation>missing option --port</translation>
    </message>
    <message>
        <source>--port: pusta nazwa portu</source>
        <translation>--port: empty port name</translation>
    </message>
    <message>
        <source>--port: port %1 podano więcej niż raz</source>
        <translation>--port: port %1 given more than once</translation>
    </message>
    <message>
        <source>--format: nieznany format %1 (%2)</source>
        <translation>--format: unknown format %1 (%2)</translation>
    </message>
    <message>
        <source> lub </source>
        <translation> or </translation>
    </message>
    <message>
        <source>--chip UKŁAD WEJŚCIE WYJŚCIE</source>
        <translation>--chip CHIP INPUT OUTPUT</translation>
    </message>
    <message>
        <source>zamiana formatu pliku obrazu</source>
        <translation>convert an image file to another format</translation>
    </message>
    <message>
        <source>srec, ihex lub bin</source>
        <translation>srec, ihex or bin</translation>
    </message>
    <message>
        <source>WEJŚCIE</source>
        <translation>INPUT</translation>
    </message>
    <message>
        <source>WYJŚCIE</source>
        <translation>OUTPUT</translation>
    </message>
    <message>
        <source>WYJŚCIE: zapis zastąpiłby czytany plik %1</source>
        <translation>OUTPUT: writing would replace the input file %1</translation>
    </message>
    <message>
        <source>--chip UKŁAD PLIK1 PLIK2</source>
        <translation>--chip CHIP FILE1 FILE2</translation>
    </message>
    <message>
        <source>porównanie dwóch plików obrazu; wiersz na</source>
        <translation>compare two image files; one line per</translation>
    </message>
    <message>
        <source>różny bajt: ADRES  BAJT1  BAJT2</source>
        <translation>differing byte: ADDRESS  BYTE1  BYTE2</translation>
    </message>
    <message>
        <source>PLIK1</source>
        <translation>FILE1</translation>
    </message>
    <message>
        <source>PLIK2</source>
        <translation>FILE2</translation>
    </message>
    <message>
        <source>PLIK1 i PLIK2: standardowe wejście można podać tylko raz</source>
        <translation>FILE1 and FILE2: standard input can be given only once</translation>
    </message>
    <message>
        <source>Pliki zgodne, CRC-32 %1</source>
        <translation>Files equal, CRC-32 %1</translation>
    </message>
    <message>
        <source>Pliki różnią się w %1 bajtach</source>
        <translation>Files differ in %1 bytes</translation>
    </message>
    <message>
        <source>lista portów szeregowych tego komputera</source>
        <translation>list this computer&apos;s serial ports</translation>
    </message>
    <message>
        <source>--chip UKŁAD --port PORT [--port PORT ...] [--backup KOPIA] [--verify] PLIK</source>
        <translation>--chip CHIP --port PORT [--port PORT ...] [--backup BACKUP] [--verify] FILE</translation>
    </message>
    <message>
        <source>programowanie EEPROM z pliku</source>
        <translation>program the EEPROM from a file</translation>
    </message>
    <message>
        <source>--chip UKŁAD --port PORT PLIK</source>
        <translation>--chip CHIP --port PORT FILE</translation>
    </message>
    <message>
        <source>odczyt EEPROM do pliku</source>
        <translation>read the EEPROM into a file</translation>
    </message>
    <message>
        <source>--verify: tylko z poleceniem program</source>
        <translation>--verify: only with the program command</translation>
    </message>
    <message>
        <source>srec, ihex, bin lub elf</source>
        <translation>srec, ihex, bin or elf</translation>
    </message>
    <message>
        <source>brak argumentu PLIK</source>
        <translation>missing argument FILE</translation>
    </message>
    <message>
        <source>PLIK: pusta nazwa pliku</source>
        <translation>FILE: empty file name</translation>
    </message>
    <message>
        <source>--json: obraz na standardowym wyjściu i JSON wykluczają się</source>
        <translation>--json: an image on standard output and JSON exclude each other</translation>
    </message>
    <message>
        <source>--backup: podano więcej niż jedną kopię</source>
        <translation>--backup: more than one backup given</translation>
    </message>
    <message>
        <source>Przerwano na żądanie (sygnał)</source>
        <translation>Stopped on request (signal)</translation>
    </message>
    <message>
        <source>Kopia EEPROM zapisana: %1</source>
        <translation>EEPROM backup saved: %1</translation>
    </message>
    <message>
        <source>Gotowe, %1 s, CRC-32 %2</source>
        <translation>Done, %1 s, CRC-32 %2</translation>
    </message>
    <message>
        <source>--chip UKŁAD --port PORT [--port PORT ...] PLIK</source>
        <translation>--chip CHIP --port PORT [--port PORT ...] FILE</translation>
    </message>
    <message>
        <source>porównanie EEPROM z plikiem</source>
        <translation>compare the EEPROM with a file</translation>
    </message>
    <message>
        <source>to jest katalog</source>
        <translation>is a directory</translation>
    </message>
    <message>
        <source>nie ma takiego pliku</source>
        <translation>no such file</translation>
    </message>
    <message>
        <source>standardowe wejście</source>
        <translation>standard input</translation>
    </message>
    <message>
        <source>plik nie został otwarty</source>
        <translation>the file was not opened</translation>
    </message>
    <message>
        <source>program: bajty wpisane w obraz przed programowaniem, np. 0D10=DEADBEEF (adresy szesnastkowo, w EEPROM układu; kilka po przecinku lub kilka opcji).</source>
        <translation>program: bytes written into the image before programming, e.g. 0D10=DEADBEEF (addresses in hex, in the chip&apos;s EEPROM; several separated by commas or several options).</translation>
    </message>
    <message>
        <source>ADRES=BAJTY</source>
        <translation>ADDRESS=BYTES</translation>
    </message>
    <message>
        <source>program: numer seryjny każdej płytki, np. 0FF0:4:1000: porty w podanej kolejności dostają PIERWSZY, PIERWSZY+1, ... zapisane od najstarszego bajtu jako BAJTY bajtów pod ADRESEM (ADRES szesnastkowo; BAJTY i PIERWSZY dziesiętnie, PIERWSZY też 0x...).</source>
        <translation>program: a serial number for each board, e.g. 0FF0:4:1000: the ports in the order given get FIRST, FIRST+1, ... written most significant byte first as BYTES bytes at ADDRESS (ADDRESS in hex; BYTES and FIRST in decimal, FIRST also 0x...).</translation>
    </message>
    <message>
        <source>ADRES:BAJTY:PIERWSZY</source>
        <translation>ADDRESS:BYTES:FIRST</translation>
    </message>
    <message>
        <source>read, program, verify: dopisz do PLIKU jeden wiersz JSON na port (czas, port, układ, operacja, wynik, kod wyjścia, numer seryjny, CRC-32 obrazu).</source>
        <translation>read, program, verify: append one JSON line per port to FILE (time, port, chip, operation, result, exit code, serial number, the image&apos;s CRC-32).</translation>
    </message>
    <message>
        <source>--%1: tylko z poleceniem program</source>
        <translation>--%1: only with the program command</translation>
    </message>
    <message>
        <source>--serial: podano więcej niż jedno pole numeru</source>
        <translation>--serial: more than one number field given</translation>
    </message>
    <message>
        <source>--log: podaj jeden plik</source>
        <translation>--log: give one file</translation>
    </message>
    <message>
        <source>--log: dziennik trafia do pliku, nie na standardowe wyjście</source>
        <translation>--log: the log goes to a file, not to standard output</translation>
    </message>
    <message>
        <source>Ładowanie procedury</source>
        <translation>Loading the routine</translation>
    </message>
    <message>
        <source>Przesyłanie danych</source>
        <translation>Sending data</translation>
    </message>
    <message>
        <source>Zapis EEPROM</source>
        <translation>EEPROM write</translation>
    </message>
    <message>
        <source>Odczyt EEPROM</source>
        <translation>EEPROM read</translation>
    </message>
    <message>
        <source>Weryfikacja</source>
        <translation>Verify</translation>
    </message>
    <message>
        <source>, zostało %1 s</source>
        <translation>, %1 s left</translation>
    </message>
    <message>
        <source>WYNIK</source>
        <translation>RESULT</translation>
    </message>
    <message>
        <source>KOD</source>
        <translation>CODE</translation>
    </message>
    <message>
        <source>SEKUNDY</source>
        <translation>SECONDS</translation>
    </message>
    <message>
        <source>PIERWSZA RÓŻNICA</source>
        <translation>FIRST DIFFERENCE</translation>
    </message>
    <message>
        <source>brak</source>
        <translation>none</translation>
    </message>
    <message>
        <source>NUMER</source>
        <translation>SERIAL</translation>
    </message>
    <message>
        <source>ADRES</source>
        <translation>ADDRESS</translation>
    </message>
    <message>
        <source>ODCZYT I ZAPIS</source>
        <translation>READ AND WRITE</translation>
    </message>
    <message>
        <source>tak</source>
        <translation>yes</translation>
    </message>
    <message>
        <source>nie</source>
        <translation>no</translation>
    </message>
    <message>
        <source>OPIS</source>
        <translation>DESCRIPTION</translation>
    </message>
    <message>
        <source> standardowe wyjście: </source>
        <translation> standard output: </translation>
    </message>
    <message>
        <source>--trace: tylko z poleceniami read, program, verify i check</source>
        <translation>--trace: only with the read, program, verify and check commands</translation>
    </message>
    <message>
        <source>--trace: pusta nazwa pliku</source>
        <translation>--trace: empty file name</translation>
    </message>
    <message>
        <source>--trace: przy kilku portach nazwa pliku musi zawierać %1, zastępowane nazwą portu</source>
        <translation>--trace: with several ports the file name must hold %1, replaced by the port name</translation>
    </message>
    <message>
        <source>--trace: dwa porty zapisałyby przebieg do jednego pliku „%1”</source>
        <translation>--trace: two ports would write their traces to the same file “%1”</translation>
    </message>
    <message>
        <source>
PORT: COM1, COM2, ścieżka urządzenia albo SYMULATOR (wbudowany symulator adaptera,
wymazany przy każdym uruchomieniu; każde --port SYMULATOR to osobny adapter).
PLIK: obraz binarny, S-record, Intel HEX lub ELF (ELF tylko do odczytu); &quot;-&quot; to
standardowe wejście/wyjście.
Linia produkcyjna: program --set ADRES=BAJTY --serial ADRES:BAJTY:PIERWSZY --log PLIK
[--registry REJESTR]: numery z rejestru, nigdy dwa razy; &quot;kestrel-cli registry&quot; je pokazuje.
KOPIA: plik, do którego przed programowaniem trafia odczytana zawartość układu (format
wg rozszerzenia); przy kilku portach zawiera {port}, zastępowane nazwą portu
(/dev/ttyUSB0 -&gt; dev-ttyUSB0). Bez udanej kopii układ nie jest programowany.

Kody wyjścia:
  0  sukces (verify: zgodne)
  1  błąd wywołania (nieznana opcja, układ lub format; brak PLIKU)
  2  błąd pliku (odczyt, składnia, zapis, zapis kopii)
  3  błąd portu (nie można otworzyć, zajęty, brak uprawnień, brak prędkości 12800)
  4  brak adaptera (nieudane sprawdzenie połączenia)
  5  transfer nieudany (odczyt przerwany, utracone połączenie, sygnał)
  6  weryfikacja wykazała różnice (diff: pliki różne)
  7  układ nieobsługiwany w tej wersji
Przy kilku portach: najwyższy kod spośród portów.</source>
        <translation>
PORT: COM1, COM2, a device path or SYMULATOR (the built-in adapter simulator,
erased at each run; each --port SYMULATOR is an adapter of its own).
FILE: binary image, S-record, Intel HEX or ELF (ELF read only); &quot;-&quot; is
standard input/output.
Production line: program --set ADDRESS=BYTES --serial ADDRESS:BYTES:FIRST --log FILE
[--registry REGISTRY]: numbers from a registry, never twice; &quot;kestrel-cli registry&quot; shows them.
BACKUP: the file that gets the chip&apos;s contents, read before programming (format
by its extension); with several ports it holds {port}, replaced by the port name
(/dev/ttyUSB0 -&gt; dev-ttyUSB0). Without a good backup the chip is not programmed.

Exit codes:
  0  success (verify: equal)
  1  usage error (unknown option, chip or format; no FILE)
  2  file error (read, syntax, write, backup write)
  3  port error (cannot open, busy, no permission, no 12800 baud)
  4  no adapter (connection check failed)
  5  transfer failed (read aborted, connection lost, signal)
  6  verify found differences (diff: files differ)
  7  chip not supported in this version
With several ports: the highest code of the ports.</translation>
    </message>
    <message>
        <source>--serial: przy poleceniu registry numer płytki, np. 1003 (podano %1)</source>
        <translation>--serial: with the registry command, a board&apos;s number, e.g. 1003 (given %1)</translation>
    </message>
    <message>
        <source>brak rezerwacji w rejestrze</source>
        <translation>no reservations in the registry</translation>
    </message>
    <message>
        <source>SERIA</source>
        <translation>SERIES</translation>
    </message>
    <message>
        <source>STAN</source>
        <translation>STATE</translation>
    </message>
    <message>
        <source>STANOWISKO</source>
        <translation>STATION</translation>
    </message>
    <message>
        <source>ZAREZERWOWANO</source>
        <translation>RESERVED</translation>
    </message>
    <message>
        <source>ZAKOŃCZONO</source>
        <translation>ENDED</translation>
    </message>
    <message>
        <source>--registry REJESTR [--series SERIA] [--serial N]</source>
        <translation>--registry REGISTRY [--series SERIES] [--serial N]</translation>
    </message>
    <message>
        <source>rezerwacje numerów seryjnych (wszystkie,</source>
        <translation>serial number reservations (all,</translation>
    </message>
    <message>
        <source>serii lub numeru N)</source>
        <translation>of a series or of number N)</translation>
    </message>
    <message>
        <source>brak opcji --registry</source>
        <translation>the --registry option is missing</translation>
    </message>
    <message>
        <source>program --serial: numery z rejestru REJESTR (plik SQLite albo postgresql://UŻYTKOWNIK@HOST[:PORT]/BAZA), zarezerwowane przed programowaniem, nigdy dwa razy; registry: lista rezerwacji.</source>
        <translation>program --serial: numbers from the registry REGISTRY (a SQLite file or postgresql://USER@HOST[:PORT]/DATABASE), reserved before programming, never twice; registry: the list of reservations.</translation>
    </message>
    <message>
        <source>REJESTR</source>
        <translation>REGISTRY</translation>
    </message>
    <message>
        <source>Seria numerów w rejestrze (domyślnie układ i ADRES, np. 68HC12B32:0FF0); nowa zaczyna od PIERWSZEGO, istniejąca od swojego następnego wolnego numeru.</source>
        <translation>The series of numbers in the registry (by default the chip and ADDRESS, e.g. 68HC12B32:0FF0); a new one starts at FIRST, an existing one at its next free number.</translation>
    </message>
    <message>
        <source>--registry: tylko z --serial ADRES:BAJTY:PIERWSZY</source>
        <translation>--registry: only with --serial ADDRESS:BYTES:FIRST</translation>
    </message>
    <message>
        <source>--registry: podaj jeden rejestr</source>
        <translation>--registry: give one registry</translation>
    </message>
    <message>
        <source>--series: tylko z --registry</source>
        <translation>--series: only with --registry</translation>
    </message>
    <message>
        <source>--series: podaj jedną nazwę serii (do 200 znaków)</source>
        <translation>--series: give one series name (up to 200 characters)</translation>
    </message>
    <message>
        <source>--registry: pusty adres rejestru</source>
        <translation>--registry: empty registry address</translation>
    </message>
    <message>
        <source>--registry: hasło nie należy do adresu (PGPASSWORD lub ~/.pgpass)</source>
        <translation>--registry: a password does not belong in the address (PGPASSWORD or ~/.pgpass)</translation>
    </message>
    <message>
        <source>--registry: niepoprawny adres %1 (postgresql://UŻYTKOWNIK@HOST[:PORT]/BAZA)</source>
        <translation>--registry: invalid address %1 (postgresql://USER@HOST[:PORT]/DATABASE)</translation>
    </message>
    <message>
        <source>rejestr %1: brak sterownika Qt SQL %2</source>
        <translation>registry %1: Qt SQL driver %2 missing</translation>
    </message>
    <message>
        <source>rejestr %1: nie istnieje</source>
        <translation>registry %1: does not exist</translation>
    </message>
    <message>
        <source>rejestr %1: nie można otworzyć (%2)</source>
        <translation>registry %1: cannot be opened (%2)</translation>
    </message>
    <message>
        <source>rejestr %1: odczyt nieudany (%2)</source>
        <translation>registry %1: read failed (%2)</translation>
    </message>
    <message>
        <source>rejestr %1: zapis nieudany (%2)</source>
        <translation>registry %1: write failed (%2)</translation>
    </message>
    <message>
        <source>rejestr %1: schemat w wersji %2, nowszej niż znana tej wersji programu (%3)</source>
        <translation>registry %1: schema version %2, newer than this version of the program knows (%3)</translation>
    </message>
    <message>
        <source>seria %1: numer %2 przekracza największy możliwy (%3)</source>
        <translation>series %1: number %2 exceeds the largest possible (%3)</translation>
    </message>
    <message>
        <source>rejestr: nowa seria %1, numery %2-%3</source>
        <translation>registry: new series %1, numbers %2-%3</translation>
    </message>
    <message>
        <source>rejestr: seria %1 już istnieje, numery %2-%3 (następne wolne; PIERWSZY %4 pominięty)</source>
        <translation>registry: series %1 exists already, numbers %2-%3 (the next free ones; FIRST %4 ignored)</translation>
    </message>
</context>
<context>
    <name>image</name>
    <message>
        <source>  słowo %1</source>
        <translation>  word %1</translation>
    </message>
    <message>
        <source>  zaznaczono %1 B</source>
        <translation>  selected %1 B</translation>
    </message>
    <message>
        <source>to nie jest plik ELF</source>
        <translation>not an ELF file</translation>
    </message>
    <message>
        <source>nieobsługiwany plik ELF (tylko 32-bitowy, big-endian)</source>
        <translation>unsupported ELF file (32-bit big-endian only)</translation>
    </message>
    <message>
        <source>plik ELF uszkodzony lub niepełny</source>
        <translation>ELF file damaged or incomplete</translation>
    </message>
    <message>
        <source>plik ELF nie jest zlinkowanym programem</source>
        <translation>ELF file is not a linked program</translation>
    </message>
    <message>
        <source>plik ELF większy niż 64 MiB</source>
        <translation>ELF file larger than 64 MiB</translation>
    </message>
    <message>
        <source>Plik o podanej nazwie juz istnieje ! Czy zamienic istniejący plik ?</source>
        <translation>A file with this name already exists. Replace it?</translation>
    </message>
    <message>
        <source>to nie jest zwykły plik</source>
        <translation>not a regular file</translation>
    </message>
    <message>
        <source>Rozmiar pliku przekracza pojemnosc pamieci EEPROM !</source>
        <translation>The file is larger than the EEPROM!</translation>
    </message>
    <message>
        <source>Błąd w pliku, wiersz %1: %2</source>
        <translation>Error in the file, line %1: %2</translation>
    </message>
    <message>
        <source>Błąd w pliku: %1</source>
        <translation>Error in the file: %1</translation>
    </message>
    <message>
        <source>Adresy w pliku liczone od początku EEPROM</source>
        <translation>Addresses in the file taken from the start of the EEPROM</translation>
    </message>
    <message>
        <source>Plik obrazu jest pusty</source>
        <translation>The image file is empty</translation>
    </message>
    <message>
        <source>Pominięto %1 bajtów spoza EEPROM (%2)</source>
        <translation>Left out %1 bytes outside the EEPROM (%2)</translation>
    </message>
    <message>
        <source>Plik nie zawiera danych dla EEPROM układu (%1)</source>
        <translation>The file holds no data for the chip&apos;s EEPROM (%1)</translation>
    </message>
    <message>
        <source>Nie można odczytać pliku:</source>
        <translation>Cannot read the file:</translation>
    </message>
    <message>
        <source>Nie można zapisać pliku:</source>
        <translation>Cannot write the file:</translation>
    </message>
    <message>
        <source>%1 albo przesunięcie +0-+%2</source>
        <translation>%1 or an offset +0-+%2</translation>
    </message>
    <message>
        <source>Niepoprawny adres. Podaj adres %1</source>
        <translation>Invalid address. Enter an address %1</translation>
    </message>
    <message>
        <source>Adres spoza EEPROM układu: dozwolone %1</source>
        <translation>Address outside the chip&apos;s EEPROM: allowed %1</translation>
    </message>
    <message>
        <source>różne wartości pod adresem %1</source>
        <translation>different values at address %1</translation>
    </message>
    <message>
        <source>niepoprawny rekord</source>
        <translation>invalid record</translation>
    </message>
    <message>
        <source>znak spoza cyfr szesnastkowych</source>
        <translation>a character that is not a hex digit</translation>
    </message>
    <message>
        <source>liczba bajtów niezgodna z długością wiersza</source>
        <translation>byte count does not match the line length</translation>
    </message>
    <message>
        <source>zła suma kontrolna</source>
        <translation>bad checksum</translation>
    </message>
    <message>
        <source>nieznany typ rekordu</source>
        <translation>unknown record type</translation>
    </message>
    <message>
        <source>dane po rekordzie końca</source>
        <translation>data after the end record</translation>
    </message>
    <message>
        <source>wiersz dłuższy niż rekord</source>
        <translation>line longer than the record</translation>
    </message>
    <message>
        <source>zła liczba rekordów</source>
        <translation>wrong record count</translation>
    </message>
    <message>
        <source>Brak miejsca na dysku</source>
        <translation>No space left on the disk</translation>
    </message>
    <message>
        <source>Przekroczony przydział miejsca na dysku</source>
        <translation>Disk quota exceeded</translation>
    </message>
    <message>
        <source>Brak uprawnień</source>
        <translation>Permission denied</translation>
    </message>
    <message>
        <source>Nie ma takiego pliku lub katalogu</source>
        <translation>No such file or directory</translation>
    </message>
    <message>
        <source>System plików tylko do odczytu</source>
        <translation>Read-only file system</translation>
    </message>
    <message>
        <source>To jest katalog</source>
        <translation>Is a directory</translation>
    </message>
    <message>
        <source>Część ścieżki nie jest katalogiem</source>
        <translation>A part of the path is not a directory</translation>
    </message>
    <message>
        <source>Błąd wejścia-wyjścia</source>
        <translation>Input/output error</translation>
    </message>
    <message>
        <source>Zbyt długa nazwa pliku</source>
        <translation>File name too long</translation>
    </message>
    <message>
        <source>Zbyt wiele dowiązań symbolicznych</source>
        <translation>Too many symbolic links</translation>
    </message>
    <message>
        <source>Plik zbyt duży</source>
        <translation>File too large</translation>
    </message>
    <message>
        <source>Plik już istnieje</source>
        <translation>File exists</translation>
    </message>
    <message>
        <source>Plik lub urządzenie jest zajęte</source>
        <translation>File or device busy</translation>
    </message>
    <message>
        <source>Zbyt wiele otwartych plików</source>
        <translation>Too many open files</translation>
    </message>
    <message>
        <source>Odbiorca zamknął potok</source>
        <translation>The reader closed the pipe</translation>
    </message>
    <message>
        <source>Niepoprawny deskryptor pliku</source>
        <translation>Bad file descriptor</translation>
    </message>
    <message>
        <source>Błąd systemu nr %1</source>
        <translation>System error %1</translation>
    </message>
    <message>
        <source>Błąd odczytu</source>
        <translation>Read error</translation>
    </message>
    <message>
        <source>Błąd zapisu</source>
        <translation>Write error</translation>
    </message>
    <message>
        <source>Nie można otworzyć pliku</source>
        <translation>Cannot open the file</translation>
    </message>
    <message>
        <source>Brak zasobów systemu (miejsca lub pamięci)</source>
        <translation>Out of system resources (space or memory)</translation>
    </message>
    <message>
        <source>Operacja przerwana</source>
        <translation>Operation interrupted</translation>
    </message>
    <message>
        <source>Przekroczony czas oczekiwania</source>
        <translation>Timed out</translation>
    </message>
    <message>
        <source>Błąd pliku</source>
        <translation>File error</translation>
    </message>
</context>
<context>
    <name>link</name>
    <message>
        <source>brak odpowiedzi w %1 ms</source>
        <translation>no reply within %1 ms</translation>
    </message>
    <message>
        <source>%1 (1 z 2 bajtów) po %2 ms</source>
        <translation>%1 (1 of 2 bytes) after %2 ms</translation>
    </message>
    <message>
        <source>Adapter odpowiada, układ jest gotowy.</source>
        <translation>The adapter replies, the chip is ready.</translation>
    </message>
    <message>
        <source>Nie wrócił żaden bajt: adapter jest bez zasilania, nie jest podłączony albo jest podłączony do innego portu.</source>
        <translation>No byte came back: the adapter has no power, is not connected or is connected to another port.</translation>
    </message>
    <message>
        <source>Wracają bajty właśnie wysłane: linia je zawraca (wtyczka pętli zwrotnej albo kabel ze zwartymi TX i RX); żaden adapter nie odpowiada.</source>
        <translation>The bytes just sent come back: the line echoes them (a loopback plug or a cable with TX and RX shorted); no adapter replies.</translation>
    </message>
    <message>
        <source>Adapter odpowiada, ale układ nie jest gotowy (stan inny niż C0): sprawdź zasilanie układu i jego połączenie z adapterem.</source>
        <translation>The adapter replies, but the chip is not ready (status other than C0): check the chip&apos;s power and its connection to the adapter.</translation>
    </message>
    <message>
        <source>Odpowiedzi przychodzą później, niż transmisja na nie czeka (%1 ms). Przejściówka USB przetrzymuje krótkie odpowiedzi: ustaw 1 w pliku latency_timer urządzenia (/sys/bus/usb-serial/devices/ttyUSB0/latency_timer), na stałe regułą udev.</source>
        <translation>Replies come later than the transfer waits for them (%1 ms). The USB serial adapter holds back short replies: write 1 to the device&apos;s latency_timer file (/sys/bus/usb-serial/devices/ttyUSB0/latency_timer), for good with a udev rule.</translation>
    </message>
    <message>
        <source>Linia jest zakłócona albo zawodna: odpowiedzi niepełne albo dwa odczyty tego samego słowa różne. Sprawdź kabel, jego długość i przejściówkę.</source>
        <translation>The line is noisy or unreliable: replies incomplete or two reads of the same word different. Check the cable, its length and the USB serial adapter.</translation>
    </message>
    <message>
        <source>Przerwano</source>
        <translation>Stopped</translation>
    </message>
    <message>
        <source>Port %1 nie został otwarty.</source>
        <translation>Port %1 was not opened.</translation>
    </message>
    <message>
        <source>nie podał</source>
        <translation>not told</translation>
    </message>
    <message>
        <source>Port %1 otwarty: 12800 bodów, 8N1 (sterownik: %2).</source>
        <translation>Port %1 open: 12800 baud, 8N1 (driver: %2).</translation>
    </message>
    <message>
        <source>Zapytanie o stan %1: %2</source>
        <translation>Status query %1: %2</translation>
    </message>
    <message>
        <source>Układ gotowy.</source>
        <translation>Chip ready.</translation>
    </message>
    <message>
        <source>Układ nie zgłosił gotowości.</source>
        <translation>The chip did not report ready.</translation>
    </message>
    <message>
        <source>Słowo %1, odczyt %2: %3</source>
        <translation>Word %1, read %2: %3</translation>
    </message>
    <message>
        <source>Oba odczyty zgodne.</source>
        <translation>Both reads equal.</translation>
    </message>
    <message>
        <source>Odczyty różne.</source>
        <translation>Reads differ.</translation>
    </message>
    <message>
        <source>Wysłano %1 bajtów, odebrano %2; najpóźniejsza odpowiedź po %3 ms.</source>
        <translation>Sent %1 bytes, received %2; the latest reply after %3 ms.</translation>
    </message>
    <message>
        <source>Diagnoza: </source>
        <translation>Diagnosis: </translation>
    </message>
    <message>
        <source>Ładuje procedure zapisu</source>
        <translation>Loading the write routine</translation>
    </message>
    <message>
        <source>Ładuję procedure zapisu</source>
        <translation>Loading the write routine</translation>
    </message>
    <message>
        <source>Niewłaściwa nazwa portu lub port jest aktywny !!</source>
        <translation>Wrong port name or the port is in use!</translation>
    </message>
    <message>
        <source>Brak uprawnień do portu %1.</source>
        <translation>No permission for port %1.</translation>
    </message>
    <message>
        <source> Dodaj użytkownika do grupy %1 (sudo usermod -aG %1 $USER) i zaloguj się ponownie.</source>
        <translation> Add the user to the group %1 (sudo usermod -aG %1 $USER) and log in again.</translation>
    </message>
    <message>
        <source>Brak uprawnień do portu %1. Port może otworzyć tylko administrator; poproś o regułę udev nadającą mu grupę dialout.</source>
        <translation>No permission for port %1. Only the administrator can open the port; ask for a udev rule that gives it the group dialout.</translation>
    </message>
    <message>
        <source>Port nie obsługuje prędkości 12800 bodów</source>
        <translation>The port does not support 12800 baud</translation>
    </message>
    <message>
        <source> (sterownik ustawił %1 bodów)</source>
        <translation> (the driver set %1 baud)</translation>
    </message>
    <message>
        <source>BRAK KOMUNIKACJI !!</source>
        <translation>NO COMMUNICATION!</translation>
    </message>
    <message>
        <source>BLAD KOMUUNIKACJI !!</source>
        <translation>COMMUNICATION ERROR!</translation>
    </message>
    <message>
        <source>W wersji 1.0 układ nie jest obsługiwany</source>
        <translation>This chip is not supported in version 1.0</translation>
    </message>
    <message>
        <source>Operacja przerwana: błąd wewnętrzny programu (%1)</source>
        <translation>Operation stopped: internal program error (%1)</translation>
    </message>
    <message>
        <source>Utracono połączenie z portem – operacja przerwana</source>
        <translation>Connection to the port lost – operation stopped</translation>
    </message>
    <message>
        <source>Odczyt przerwany: brak odpowiedzi adaptera (adres %1)</source>
        <translation>Read aborted: no reply from the adapter (address %1)</translation>
    </message>
    <message>
        <source>Odczyt przerwany: zakłócone odpowiedzi adaptera (adres %1)</source>
        <translation>Read aborted: garbled replies from the adapter (address %1)</translation>
    </message>
    <message>
        <source>Zawartość EEPROM zgodna z buforem</source>
        <translation>EEPROM matches the buffer</translation>
    </message>
    <message>
        <source>EEPROM różni się od bufora w %1 bajtach. Pierwszy pod adresem %2: w układzie %3, w buforze %4</source>
        <translation>EEPROM differs from the buffer in %1 bytes. First at address %2: chip %3, buffer %4</translation>
    </message>
    <message>
        <source> Kopia nie została wykonana. Układ nie został zaprogramowany.</source>
        <translation> No backup was made. The chip was not programmed.</translation>
    </message>
    <message>
        <source>Nie można zapisać kopii: %1: %2. Układ nie został zaprogramowany.</source>
        <translation>Cannot write the backup: %1: %2. The chip was not programmed.</translation>
    </message>
    <message>
        <source>Kopia zapisana</source>
        <translation>Backup saved</translation>
    </message>
    <message>
        <source>Trwa przesyłanie danych</source>
        <translation>Sending data</translation>
    </message>
    <message>
        <source>Rozpoczęto zapis EEPROM</source>
        <translation>EEPROM write started</translation>
    </message>
    <message>
        <source>Trwa odczyt EEPROM</source>
        <translation>Reading the EEPROM</translation>
    </message>
    <message>
        <source>Trwa weryfikacja EEPROM</source>
        <translation>Verifying the EEPROM</translation>
    </message>
    <message>
        <source>Zgodne</source>
        <translation>Equal</translation>
    </message>
    <message>
        <source>Niezgodne</source>
        <translation>Different</translation>
    </message>
    <message>
        <source>Gotowe</source>
        <translation>Done</translation>
    </message>
    <message>
        <source>Test adaptera</source>
        <translation>Adapter check</translation>
    </message>
    <message>
        <source>Test adaptera nie powiódł się</source>
        <translation>Adapter check failed</translation>
    </message>
    <message>
        <source>Odczyt przerwany</source>
        <translation>Read aborted</translation>
    </message>
    <message>
        <source>-----Oczekiwanie-----</source>
        <translation>-----Waiting-----</translation>
    </message>
    <message>
        <source>Błąd portu</source>
        <translation>Port error</translation>
    </message>
    <message>
        <source>Błąd komunikacji</source>
        <translation>Communication error</translation>
    </message>
    <message>
        <source>Utracono połączenie</source>
        <translation>Connection lost</translation>
    </message>
    <message>
        <source>Kopia nieudana</source>
        <translation>Backup failed</translation>
    </message>
    <message>
        <source>Błąd programu</source>
        <translation>Program error</translation>
    </message>
    <message>
        <source>nieznany wyjątek</source>
        <translation>unknown exception</translation>
    </message>
    <message>
        <source>obraz ma %1 bajtów zamiast %2</source>
        <translation>the image has %1 bytes instead of %2</translation>
    </message>
</context>
</TS>
