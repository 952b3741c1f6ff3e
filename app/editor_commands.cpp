#include "editor_commands.h"

#include "eeprom_image.h"
#include "buffer_history.h"
#include "image_commands.h"
#include "image_compare.h"
#include "image_file.h"
#include "image_search.h"
#include "main_window.h"

#include <QAction>
#include <QClipboard>
#include <QCoreApplication>
#include <QGuiApplication>
#include <QMenu>
#include <QMimeData>

#include <algorithm>
#include <vector>

namespace kestrel {

namespace {

const QString RawMime = QStringLiteral("application/octet-stream");

std::vector<std::int32_t> entryValues(QByteArrayView bytes)
{
    std::vector<std::int32_t> values;
    values.reserve(static_cast<std::size_t>(bytes.size()));
    for (const char b : bytes)
        values.push_back(static_cast<std::uint8_t>(b));
    return values;
}

// One byte typed in hex: one or two digits, "0x" allowed.
std::optional<int> byteValue(const QString& text)
{
    QStringView t = QStringView(text).trimmed();
    if (t.startsWith(QLatin1String("0x"), Qt::CaseInsensitive))
        t = t.sliced(2);
    bool ok = false;
    const int value = t.size() >= 1 && t.size() <= 2 ? t.toInt(&ok, 16) : -1;
    return ok && !t.startsWith(u'+') && !t.startsWith(u'-') ? std::optional(value)
                                                            : std::nullopt;
}

// The bytes a find looks for, or why the text is refused.
std::optional<QByteArray> needleOf(const FindQuestion& question, QString* reason)
{
    std::optional<QByteArray> bytes =
        question.asText ? textBytes(question.text) : parseHexBytes(question.text);
    if (!bytes && reason) {
        if (question.text.trimmed().isEmpty())
            *reason = QCoreApplication::translate("app", "Podaj, czego szukać.");
        else if (question.asText)
            *reason = QCoreApplication::translate(
                "app", "Tekst zawiera znak, którego nie ma w stronie kodowej "
                       "znaków bufora (1250).");
        else
            *reason = QCoreApplication::translate(
                "app", "Niepoprawne bajty hex: podaj pary cyfr szesnastkowych, "
                       "np. DE AD BE EF.");
    }
    return bytes;
}

} // namespace

QString pasteStep()
{
    return QCoreApplication::translate("app", "Wklejenie");
}

QString fillSelectionStep()
{
    return QCoreApplication::translate("app", "Wypełnienie zaznaczenia");
}

QString typedCharStep()
{
    return QCoreApplication::translate("app", "Wpisanie znaku");
}

QString fileEqualMessage()
{
    return QCoreApplication::translate("app", "Plik zgodny z buforem");
}

QString fileDifferentMessage(int count, int address, int fileByte, int bufferByte)
{
    return QCoreApplication::translate(
               "app", "Plik różni się od bufora w %1 bajtach. Pierwszy pod adresem %2: w "
                      "pliku %3, w buforze %4")
        .arg(count)
        .arg(addressLabel(address), hexText(fileByte), hexText(bufferByte));
}

ClipboardBytes clipboardBytes(const QMimeData* mime)
{
    if (!mime || mime->formats().isEmpty())
        return {{}, QCoreApplication::translate("app", "Nie wklejono: schowek jest pusty.")};
    if (mime->hasFormat(RawMime)) {
        const QByteArray raw = mime->data(RawMime);
        if (!raw.isEmpty())
            return {raw, {}};
    }
    if (mime->hasText()) {
        const QString text = mime->text();
        if (const std::optional<QByteArray> bytes = parseHexBytes(text))
            return {*bytes, {}};
        QString shown = text.simplified();
        if (shown.size() > 40)
            shown = shown.left(40) + QStringLiteral("…");
        return {{},
                QCoreApplication::translate(
                    "app", "Nie wklejono: schowek zawiera tekst, który nie jest ciągiem "
                           "bajtów hex (par cyfr szesnastkowych): \"%1\"")
                    .arg(shown)};
    }
    return {{},
            QCoreApplication::translate("app",
                                        "Nie wklejono: schowek nie zawiera bajtów ani tekstu (%1).")
                .arg(mime->formats().join(QStringLiteral(", ")))};
}

QMimeData* copiedBytes(const QByteArray& bytes)
{
    auto* mime = new QMimeData;
    mime->setText(hexBytesText(bytes));
    mime->setData(RawMime, bytes);
    return mime;
}

EditorCommands::EditorCommands(TForm1& form, ByteSelection& selection)
    : QObject(&form), m_form(form), m_selection(selection)
{
}

void EditorCommands::addTo(QMenu& menu)
{
    auto add = [this, &menu](QAction*& action, const char* name, const QString& text,
                             QList<QKeySequence> keys, void (EditorCommands::*run)()) {
        action = menu.addAction(text);
        action->setObjectName(QString::fromLatin1(name));
        action->setShortcuts(keys);
        if (run)
            connect(action, &QAction::triggered, this, run);
    };
    menu.addSeparator();
    add(GotoAddress, "PrzejdzDoAdresu1", QCoreApplication::translate("app", "Przejdź do adresu…"),
        {QKeySequence(Qt::CTRL | Qt::Key_G)}, &EditorCommands::gotoAddress);
    add(Find, "Znajdz1", QCoreApplication::translate("app", "Znajdź…"),
        {QKeySequence(Qt::CTRL | Qt::Key_F)}, &EditorCommands::find);
    add(FindNext, "ZnajdzNastepny1", QCoreApplication::translate("app", "Znajdź następny"),
        {QKeySequence(Qt::Key_F3)}, nullptr);
    add(FindPrevious, "ZnajdzPoprzedni1", QCoreApplication::translate("app", "Znajdź poprzedni"),
        {QKeySequence(Qt::SHIFT | Qt::Key_F3)}, nullptr);
    menu.addSeparator();
    add(SelectAll, "ZaznaczWszystko1", QCoreApplication::translate("app", "Zaznacz wszystko"),
        {QKeySequence(Qt::CTRL | Qt::Key_A)}, &EditorCommands::selectAll);
    add(Copy, "Kopiuj1", QCoreApplication::translate("app", "Kopiuj"),
        {QKeySequence(Qt::CTRL | Qt::Key_C)}, &EditorCommands::copy);
    add(Paste, "Wklej1", QCoreApplication::translate("app", "Wklej"),
        {QKeySequence(Qt::CTRL | Qt::Key_V)}, &EditorCommands::paste);
    add(FillSelection, "WypelnijZaznaczenie1",
        QCoreApplication::translate("app", "Wypełnij zaznaczenie…"), {},
        &EditorCommands::fillSelection);
    menu.addSeparator();
    add(CompareFile, "PorownajZPlikiem1", QCoreApplication::translate("app", "Porównaj z plikiem…"),
        {}, &EditorCommands::compareWithFile);
    add(NextDifference, "NastepnaRoznica1", QCoreApplication::translate("app", "Następna różnica"),
        {QKeySequence(Qt::Key_F8)}, nullptr);
    add(PreviousDifference, "PoprzedniaRoznica1",
        QCoreApplication::translate("app", "Poprzednia różnica"),
        {QKeySequence(Qt::SHIFT | Qt::Key_F8)}, nullptr);
    connect(FindNext, &QAction::triggered, this, [this] { findAgain(true); });
    connect(FindPrevious, &QAction::triggered, this, [this] { findAgain(false); });
    connect(NextDifference, &QAction::triggered, this, [this] { moveToDifference(true); });
    connect(PreviousDifference, &QAction::triggered, this, [this] { moveToDifference(false); });
}

void EditorCommands::setTransferActive(bool active)
{
    // A transfer owns the buffer and the status panel the finds and moves report in.
    for (QAction* command :
         {Paste, FillSelection, CompareFile, Find, FindNext, FindPrevious, NextDifference,
          PreviousDifference})
        command->setEnabled(!active);
}

int EditorCommands::size() const
{
    return m_form.image().EepromSize;
}

int EditorCommands::cursorOffset() const
{
    const ImageState& image = m_form.image();
    return entryOf(image.CursorCol, image.CursorRow) - 1;
}

void EditorCommands::showRange(ByteRange range, int cursor)
{
    m_selection.select(range, cursor);
    m_form.showEntry(cursor + 1);
    // Work goes on at the bytes shown: the hex grid takes the keyboard focus unless a grid has it.
    if (!m_form.StringGrid1->hasFocus() && !m_form.StringGrid2->hasFocus())
        m_form.StringGrid1->setFocus(Qt::OtherFocusReason);
}

void EditorCommands::gotoAddress()
{
    const ImageState& image = m_form.image();
    const int base = image.EepromBase;
    const int size = image.EepromSize;
    const std::optional<QString> text = m_form.dialogs().askText(
        {QCoreApplication::translate("app", "Przejdź do adresu"),
         QCoreApplication::translate(
             "app", "Adres w hex (np. %1) albo przesunięcie od początku EEPROM (np. +80):")
             .arg(addressLabel(base)),
         {},
         [base, size](const QString& t) { return parseGotoTarget(t, base, size).error; }});
    if (!text)
        return;
    const GotoTarget target = parseGotoTarget(*text, base, size);
    if (target.offset >= 0)
        showRange({target.offset, target.offset}, target.offset);
}

void EditorCommands::find()
{
    const std::optional<FindQuestion> question =
        m_form.dialogs().askFind(m_lastFind, [](const FindQuestion& q) {
            QString reason;
            (void)needleOf(q, &reason);
            return reason;
        });
    if (!question)
        return;
    const std::optional<QByteArray> needle = needleOf(*question, nullptr);
    if (!needle)
        return;
    m_lastFind = *question;
    m_needle = *needle;
    search(std::max(cursorOffset(), 0), true);
}

void EditorCommands::findAgain(bool forward)
{
    if (m_needle.isEmpty()) {
        find();
        return;
    }
    // Past the match the cursor is on, or back from it.
    const int cursor = std::max(cursorOffset(), 0);
    search(forward ? cursor + 1 : cursor, forward);
}

void EditorCommands::search(int from, bool forward)
{
    const QByteArray image = imageFileBytes(m_form.image());
    const FoundBytes found = findBytes(image, m_needle, from, forward);
    if (found.offset < 0) {
        m_form.setStatusText(QCoreApplication::translate("app", "Nie znaleziono"));
        return;
    }
    showRange({found.offset, found.offset + static_cast<int>(m_needle.size()) - 1},
              found.offset);
    if (found.wrapped)
        m_form.setStatusText(QCoreApplication::translate("app", "Przeszukano cały bufor"));
}

void EditorCommands::selectAll()
{
    if (size() > 0)
        m_selection.select({0, size() - 1}, std::clamp(cursorOffset(), 0, size() - 1));
}

void EditorCommands::copy()
{
    const std::optional<ByteRange> range = m_selection.range();
    if (!range || range->first >= size())
        return;
    const int last = std::min(range->last, size() - 1);
    const QByteArray bytes = imageFileBytes(m_form.image()).mid(range->first,
                                                                 last - range->first + 1);
    QGuiApplication::clipboard()->setMimeData(copiedBytes(bytes));
}

void EditorCommands::paste()
{
    if (m_form.transferActive())
        return;
    const ClipboardBytes taken = clipboardBytes(QGuiApplication::clipboard()->mimeData());
    if (!taken.refusal.isEmpty()) {
        m_form.dialogs().showMessage(taken.refusal);
        return;
    }
    const int at = cursorOffset();
    const int fits = std::clamp(size() - at, 0, static_cast<int>(taken.bytes.size()));
    const int left = static_cast<int>(taken.bytes.size()) - fits;
    if (fits > 0) {
        m_form.image().NibbleCount = 0;
        m_form.history().change(at + 1, entryValues(taken.bytes.first(fits)), pasteStep());
        showRange({at, at + fits - 1}, at);
    }
    if (left > 0)
        m_form.dialogs().showMessage(
            QCoreApplication::translate(
                "app", "Wklejono %1 z %2 bajtów: %3 bajtów nie zmieściło się do końca "
                       "EEPROM i zostało pominiętych.")
                .arg(fits)
                .arg(taken.bytes.size())
                .arg(left));
}

void EditorCommands::fillSelection()
{
    const std::optional<ByteRange> range = m_selection.range();
    if (m_form.transferActive() || !range || range->first >= size())
        return;
    const std::optional<QString> text = m_form.dialogs().askText(
        {QCoreApplication::translate("app", "Wypełnij zaznaczenie"),
         QCoreApplication::translate("app",
                                     "Wartość bajtu w hex (00 do FF) dla %1 zaznaczonych bajtów:")
             .arg(range->length()),
         QStringLiteral("FF"), [](const QString& t) {
             return byteValue(t)
                        ? QString()
                        : QCoreApplication::translate("app", "Podaj jeden bajt w hex: 00 do FF.");
         }});
    const std::optional<int> value = text ? byteValue(*text) : std::nullopt;
    if (!value)
        return;
    const int last = std::min(range->last, size() - 1);
    m_form.image().NibbleCount = 0;
    m_form.history().change(range->first + 1,
                            std::vector<std::int32_t>(last - range->first + 1, *value),
                            fillSelectionStep());
    // The filled bytes stay selected.
    m_selection.select({range->first, last}, std::clamp(cursorOffset(), range->first, last));
}

void EditorCommands::compareWithFile()
{
    if (m_form.transferActive())
        return;
    UserDialogs& dialogs = m_form.dialogs();
    const std::optional<OpenChoice> chosen = dialogs.askOpenImage();
    if (!chosen || chosen->path.isEmpty())
        return;
    // The file is read as a load reads it, into a copy: the buffer stays as it is.
    ImageState file = m_form.image();
    const LoadCommandResult loaded = loadImagePath(file, dialogs, chosen->path, chosen->format);
    if (loaded.outcome != LoadOutcome::Loaded)
        return;
    if (!loaded.notice.isEmpty())
        dialogs.showMessage(loaded.notice);
    const QByteArray fileBytes = imageFileBytes(file);
    const QByteArray bufferBytes = imageFileBytes(m_form.image());
    const ImageComparison comparison = compareImages(fileBytes, bufferBytes);
    m_form.markDifferences(comparison.offsets);
    if (comparison.count == 0) {
        dialogs.showMessage(fileEqualMessage());
        return;
    }
    const int first = comparison.offsets.front();
    dialogs.showMessage(fileDifferentMessage(comparison.count, m_form.image().EepromBase + first,
                                             static_cast<std::uint8_t>(fileBytes[first]),
                                             static_cast<std::uint8_t>(bufferBytes[first])));
}

void EditorCommands::moveToDifference(bool forward)
{
    const EepromModel& model = m_form.model();
    const int entry = model.adjacentMark(cursorOffset() + 1, forward);
    if (entry == 0) {
        m_form.setStatusText(QCoreApplication::translate("app", "Brak zaznaczonych różnic"));
        return;
    }
    showRange({entry - 1, entry - 1}, entry - 1);
    m_form.setStatusText(QCoreApplication::translate("app", "Różnica %1 z %2")
                             .arg(model.markOrdinal(entry))
                             .arg(model.markedCount()));
    m_form.holdStatusAsVerdict();
}

} // namespace kestrel
