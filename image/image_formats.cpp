#include "image_formats.h"

#include "elf_reader.h"
#include "intel_hex.h"
#include "srecord.h"
#include "system_errors.h"

#include <QFileInfo>
#include <QIODevice>

#include <algorithm>
#include <cerrno>
#include <vector>

namespace kestrel {

namespace {

bool isBlank(char c)
{
    return c == ' ' || c == '\t' || c == '\r' || c == '\v' || c == '\f';
}

// The lines of one record format: parsed as they complete, taken into the window. A decoder of a
// named format stops at its first refusal; one that checks every line goes on after a refusal
// of records that contradict each other, to tell whether the whole file is records.
class RecordLines
{
public:
    RecordLines(ImageFormat format, ChipWindow window, bool checkEveryLine)
        : m_format(format), m_collector(window.base, window.size), m_checkAll(checkEveryLine)
    {
        if (format == ImageFormat::SRecord)
            m_reader = std::make_unique<SRecordReader>(m_collector);
        else
            m_reader = std::make_unique<IntelHexReader>(m_collector);
        m_line.resize(std::size_t(m_reader->maxLineLength()));
    }

    // False once no further piece can change the result.
    bool feed(QByteArrayView piece)
    {
        const int maxLine = int(m_line.size());
        for (const char c : piece) {
            if (c == '\n') {
                endLine();
                if (stopped())
                    return false;
            } else if (m_length < maxLine) {
                m_line[std::size_t(m_length++)] = c;
            } else if (!isBlank(c)) {
                // White space past a record's length may still end the line; anything else not.
                malformedLine(record::lineTooLong());
                return false;
            }
        }
        return !stopped();
    }

    // The file ended: its last line needs no line end.
    void finish()
    {
        if (!stopped() && m_length > 0)
            endLine();
        m_length = 0;
        m_collector.finish();
    }

    [[nodiscard]] bool stopped() const { return m_malformed || (m_refused && !m_checkAll); }
    // Records of the format throughout: at least one record, and no line that is none (known
    // for every line only when checking every line).
    [[nodiscard]] bool allRecords() const { return m_records > 0 && !m_malformed; }

    [[nodiscard]] DecodedImage result() const
    {
        DecodedImage result;
        result.format = m_format;
        if (m_refused) {
            result.status = DecodeStatus::BadLine;
            result.line = m_refusedLine;
            result.reason = m_reason;
        } else if (m_collector.offsetBased() && m_collector.offsetConflictAddress() >= 0) {
            result.status = DecodeStatus::BadLine;
            result.line = m_offsetConflictLine;
            result.reason = record::conflict(m_collector.offsetConflictAddress());
        } else if (!m_collector.anyInWindow()) {
            result.status = DecodeStatus::NoData;
        } else {
            result.status = DecodeStatus::Ok;
            result.bytes = m_collector.bytes();
            result.skipped = m_collector.skipped();
            result.offsetBased = m_collector.offsetBased();
        }
        return result;
    }

private:
    void refuse(const QString& reason)
    {
        if (m_refused)
            return;
        m_refused = true;
        m_refusedLine = m_lineNumber;
        m_reason = reason;
    }

    // The line is no record of the format.
    void malformedLine(const QString& reason)
    {
        refuse(reason);
        m_malformed = true;
    }

    // The line gathered so far is complete.
    void endLine()
    {
        int length = m_length;
        while (length > 0 && isBlank(m_line[std::size_t(length - 1)]))
            --length;
        m_length = 0;
        if (length > 0)
            takeLine(QByteArrayView(m_line.data(), length));
        ++m_lineNumber;
    }

    void takeLine(QByteArrayView line)
    {
        if (m_refused || m_reader->ended()) {
            // Nothing more is taken; a decoder checking every line still asks whether it is a
            // record. Any line past the end record is refused as such.
            const bool record = !m_checkAll || m_reader->parseLine(line).isNull();
            if (!record)
                m_malformed = true;
            else
                ++m_records;
            refuse(record::afterEnd());
            return;
        }
        const QString malformed = m_reader->parseLine(line);
        if (!malformed.isNull()) {
            malformedLine(malformed);
            return;
        }
        ++m_records;
        const QString contradiction = m_reader->takeRecord();
        if (!contradiction.isNull())
            refuse(contradiction);
        if (m_offsetConflictLine == 0 && m_collector.offsetConflictAddress() >= 0)
            m_offsetConflictLine = m_lineNumber;
    }

    ImageFormat m_format;
    WindowCollector m_collector;
    std::unique_ptr<RecordReader> m_reader;
    bool m_checkAll;
    std::vector<char> m_line;
    int m_length = 0;
    qint64 m_lineNumber = 1;
    qint64 m_records = 0;
    bool m_refused = false;
    bool m_malformed = false;
    qint64 m_refusedLine = 0;
    QString m_reason;
    qint64 m_offsetConflictLine = 0; // the line whose record contradicts one at 0 .. size - 1
};

// The bare bytes, at most the window's size.
class RawBytes
{
public:
    explicit RawBytes(ChipWindow window) : m_size(window.size) {}

    bool feed(QByteArrayView piece)
    {
        if (m_tooLarge)
            return false;
        if (m_bytes.size() + piece.size() > m_size) {
            m_tooLarge = true;
            m_bytes.clear();
            return false;
        }
        m_bytes.append(piece);
        return true;
    }

    [[nodiscard]] DecodedImage result() const
    {
        DecodedImage result;
        result.format = ImageFormat::Raw;
        if (m_tooLarge) {
            result.status = DecodeStatus::TooLarge;
            return result;
        }
        result.status = DecodeStatus::Ok;
        result.bytes = m_bytes;
        result.bytes.append(
            QByteArray(std::max<qsizetype>(0, m_size - m_bytes.size()), char(0xFF)));
        return result;
    }

private:
    qsizetype m_size;
    QByteArray m_bytes;
    bool m_tooLarge = false;
};

} // namespace

std::optional<ImageFormat> formatNamedBy(const QString& fileName)
{
    const QString suffix = QFileInfo(fileName).suffix().toLower();
    static const QStringList SRecord = {QStringLiteral("s19"), QStringLiteral("s28"),
                                        QStringLiteral("s37"), QStringLiteral("srec"),
                                        QStringLiteral("mot"), QStringLiteral("sx")};
    static const QStringList IntelHex = {QStringLiteral("hex"), QStringLiteral("ihex"),
                                         QStringLiteral("ihx")};
    if (SRecord.contains(suffix))
        return ImageFormat::SRecord;
    if (IntelHex.contains(suffix))
        return ImageFormat::IntelHex;
    if (suffix == QLatin1String("elf") || suffix == QLatin1String("out"))
        return ImageFormat::Elf;
    if (suffix == QLatin1String("bin"))
        return ImageFormat::Raw;
    return std::nullopt;
}

ImageFormat formatFromExtension(const QString& fileName)
{
    const std::optional<ImageFormat> named = formatNamedBy(fileName);
    return named && named != ImageFormat::Elf ? *named : ImageFormat::Raw;
}

ImageFormat formatFromContent(const QByteArray& file)
{
    // The format does not depend on the window; an empty one holds no bytes.
    return decodeImage(file, std::nullopt, ChipWindow{0, 0}).format;
}

struct ImageDecoder::State
{
    State(std::optional<ImageFormat> format, ChipWindow window) : format(format)
    {
        const bool byContent = !format.has_value();
        if (byContent || format == ImageFormat::Raw)
            raw.emplace(window);
        if (byContent || format == ImageFormat::Elf)
            elf.emplace(window);
        for (const ImageFormat recordFormat : {ImageFormat::SRecord, ImageFormat::IntelHex})
            if (byContent || format == recordFormat)
                records.push_back(std::make_unique<RecordLines>(recordFormat, window, byContent));
    }

    std::optional<ImageFormat> format;
    std::optional<RawBytes> raw;
    std::optional<ElfBytes> elf;
    std::vector<std::unique_ptr<RecordLines>> records;
    bool going = true;
};

ImageDecoder::ImageDecoder(std::optional<ImageFormat> format, ChipWindow window)
    : m_state(std::make_unique<State>(format, window))
{
}

ImageDecoder::~ImageDecoder() = default;

bool ImageDecoder::feed(QByteArrayView piece)
{
    State& s = *m_state;
    if (!s.going)
        return false;
    bool going = s.raw && s.raw->feed(piece);
    going = (s.elf && s.elf->feed(piece)) || going;
    for (const auto& lines : s.records)
        if (!lines->stopped())
            going = lines->feed(piece) || going;
    s.going = going;
    return going;
}

DecodedImage ImageDecoder::finish()
{
    State& s = *m_state;
    s.going = false;
    for (const auto& lines : s.records)
        lines->finish();
    if (s.format) {
        switch (*s.format) {
        case ImageFormat::SRecord:
        case ImageFormat::IntelHex:
            return s.records.front()->result();
        case ImageFormat::Elf:
            return s.elf->result();
        case ImageFormat::Raw:
            break;
        }
        return s.raw->result();
    }
    // By content: ELF when it begins as ELF, a record format whose lines are all records, else
    // raw.
    if (s.elf->identified())
        return s.elf->result();
    for (const auto& lines : s.records)
        if (lines->allRecords())
            return lines->result();
    return s.raw->result();
}

DecodedImage decodeImage(const QByteArray& data, std::optional<ImageFormat> format,
                         ChipWindow window)
{
    ImageDecoder decoder(format, window);
    (void)decoder.feed(data);
    return decoder.finish();
}

DecodedImage decodeImage(QIODevice& device, std::optional<ImageFormat> format, ChipWindow window)
{
    ImageDecoder decoder(format, window);
    QByteArray buffer(64 * 1024, '\0');
    for (;;) {
        errno = 0;
        const qint64 n = device.read(buffer.data(), buffer.size());
        if (n < 0) {
            DecodedImage result;
            result.status = DecodeStatus::ReadError;
            result.reason = readErrorReason(device, errno);
            return result;
        }
        if (n == 0)
            break;
        if (!decoder.feed(QByteArrayView(buffer.constData(), n)))
            break;
    }
    return decoder.finish();
}

QByteArray encodeImage(const QByteArray& bytes, ImageFormat format, ChipWindow window)
{
    switch (format) {
    case ImageFormat::SRecord:
        return writeSRecords(bytes, window.base);
    case ImageFormat::IntelHex:
        return writeIntelHex(bytes, window.base);
    case ImageFormat::Raw:
    case ImageFormat::Elf:
        break;
    }
    return bytes;
}

} // namespace kestrel
