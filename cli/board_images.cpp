#include "board_images.h"

#include "command_line.h"
#include "image_messages.h"

#include <QCoreApplication>
#include <QStringList>


#include <algorithm>
#include <cctype>
#include <limits>

namespace kestrel::cli {

namespace {

QString address4(qint64 address)
{
    return QString::number(address, 16).toUpper().rightJustified(4, u'0');
}

// A hex address as every address is written, "0D10"; an optional 0x is allowed.
std::optional<int> parseAddress(QString text)
{
    if (text.startsWith(QLatin1String("0x"), Qt::CaseInsensitive))
        text = text.mid(2);
    if (text.isEmpty() || text.size() > 8)
        return std::nullopt;
    bool ok = false;
    const qint64 value = text.toLongLong(&ok, 16);
    if (!ok || value < 0 || value > std::numeric_limits<int>::max())
        return std::nullopt;
    return int(value);
}

// "[FIRST-LAST] outside the window" when [address, address + count) leaves it, else null.
QString outsideWindow(const QString& option, qint64 address, qint64 count, ChipWindow window)
{
    if (address >= window.base && address + count <= qint64(window.base) + window.size)
        return {};
    return QCoreApplication::translate("cli", "%1: adresy %2-%3 poza EEPROM układu (%4)")
        .arg(option, address4(address), address4(address + count - 1), windowText(window));
}

} // namespace

QString parsePatches(const QString& text, ChipWindow window, std::vector<BytePatch>& patches)
{
    static const QString Option = QStringLiteral("--set");
    for (const QString& item : text.split(u',')) {
        const QStringList parts = item.trimmed().split(u'=');
        const std::optional<int> address =
            parts.size() == 2 ? parseAddress(parts[0]) : std::nullopt;
        const QByteArray hex = parts.value(1).toLatin1();
        const bool allHex = std::all_of(hex.begin(), hex.end(), [](char c) {
            return std::isxdigit(static_cast<unsigned char>(c)) != 0;
        });
        if (!address || hex.isEmpty() || hex.size() % 2 != 0 || !allHex)
            return QCoreApplication::translate(
                       "cli", "%1: niepoprawny zapis %2 (ADRES=BAJTY, np. 0D10=DEADBEEF)")
                .arg(Option, quoted(item));
        BytePatch patch{*address, QByteArray::fromHex(hex)};
        if (QString outside = outsideWindow(Option, patch.address, patch.bytes.size(), window);
            !outside.isNull())
            return outside;
        patches.push_back(std::move(patch));
    }
    return {};
}

QString parseSerialField(const QString& text, ChipWindow window, int boards, SerialField& field)
{
    static const QString Option = QStringLiteral("--serial");
    const QString malformed =
        QCoreApplication::translate(
            "cli", "%1: niepoprawny zapis %2 (ADRES:BAJTY:PIERWSZY, np. 0FF0:4:1000)")
            .arg(Option, quoted(text));
    const QStringList parts = text.trimmed().split(u':');
    if (parts.size() != 3)
        return malformed;
    const std::optional<int> address = parseAddress(parts[0]);
    bool bytesOk = false;
    const int bytes = parts[1].toInt(&bytesOk, 10);
    QString firstText = parts[2];
    int base = 10;
    if (firstText.startsWith(QLatin1String("0x"), Qt::CaseInsensitive)) {
        firstText = firstText.mid(2);
        base = 16;
    }
    bool firstOk = false;
    const std::uint64_t first = firstText.toULongLong(&firstOk, base);
    if (!address || !bytesOk || !firstOk || firstText.isEmpty() || firstText.startsWith(u'+'))
        return malformed;
    if (bytes < 1 || bytes > 8)
        return QCoreApplication::translate("cli", "%1: BAJTY od 1 do 8, podano %2")
            .arg(Option, parts[1]);
    if (QString outside = outsideWindow(Option, *address, bytes, window); !outside.isNull())
        return outside;
    // The last board's number, which must fit in the field.
    const std::uint64_t limit = SerialField{*address, bytes, first}.largest();
    const std::uint64_t more = std::uint64_t(std::max(boards, 1) - 1);
    if (first > limit || limit - first < more)
        return QCoreApplication::translate("cli", "%1: numer %2 nie mieści się w polu %3-bajtowym")
            .arg(Option)
            .arg(first > limit ? first : first + more)
            .arg(bytes);
    field = SerialField{*address, bytes, first};
    return {};
}

BoardImages::BoardImages(QByteArray image, ChipWindow window, std::vector<BytePatch> patches,
                         std::optional<SerialField> serial)
    : m_patched(std::move(image)), m_window(window), m_serial(serial)
{
    for (const BytePatch& patch : patches)
        for (qsizetype i = 0; i < patch.bytes.size(); ++i)
            m_patched[patch.address - window.base + i] = patch.bytes[i];
}

QByteArray BoardImages::image(int index) const
{
    QByteArray out = m_patched;
    if (const std::optional<std::uint64_t> number = serial(index)) {
        const int offset = m_serial->address - m_window.base;
        for (int i = 0; i < m_serial->bytes; ++i)
            out[offset + i] = char((*number >> (8 * (m_serial->bytes - 1 - i))) & 0xFF);
    }
    return out;
}

void BoardImages::setFirstSerial(std::uint64_t first)
{
    if (m_serial)
        m_serial->first = first;
}

std::optional<std::uint64_t> BoardImages::serial(int index) const
{
    if (!m_serial)
        return std::nullopt;
    return m_serial->first + std::uint64_t(index);
}

} // namespace kestrel::cli
