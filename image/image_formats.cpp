#include "image_formats.h"

#include "intel_hex.h"
#include "srecord.h"

#include <QFileInfo>
#include <QIODevice>

#include <algorithm>
#include <vector>

namespace kestrel {

namespace {

bool isBlank(char c)
{
    return c == ' ' || c == '\t' || c == '\r' || c == '\v' || c == '\f';
}

bool isHex(char c)
{
    return record::hexDigit(c) >= 0;
}

} // namespace

ImageFormat formatFromContent(const QByteArray& head, const QString& fileName)
{
    if (fileName.endsWith(QLatin1String(".bin"), Qt::CaseInsensitive))
        return ImageFormat::Raw;
    qsizetype start = 0;
    while (start < head.size()) {
        qsizetype end = head.indexOf('\n', start);
        if (end < 0)
            end = head.size();
        const QByteArrayView line = QByteArrayView(head).sliced(start, end - start);
        start = end + 1;
        if (std::all_of(line.begin(), line.end(), isBlank))
            continue;
        if (line.size() >= 4 && line[0] == 'S' && line[1] >= '0' && line[1] <= '9' &&
            isHex(line[2]) && isHex(line[3]))
            return ImageFormat::SRecord;
        if (line.size() >= 3 && line[0] == ':' && isHex(line[1]) && isHex(line[2]))
            return ImageFormat::IntelHex;
        break;
    }
    return ImageFormat::Raw;
}

ImageFormat formatFromExtension(const QString& fileName)
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
    return ImageFormat::Raw;
}

struct ImageDecoder::State
{
    State(ImageFormat f, ChipWindow w) : format(f), window(w), collector(w.base, w.size)
    {
        if (format == ImageFormat::SRecord)
            reader = std::make_unique<SRecordReader>(collector);
        else if (format == ImageFormat::IntelHex)
            reader = std::make_unique<IntelHexReader>(collector);
        if (reader)
            line.resize(std::size_t(reader->maxLineLength()));
    }

    void fail(DecodeStatus why, qint64 atLine = 0, const QString& because = {})
    {
        failed = true;
        status = why;
        errorLine = atLine;
        reason = because;
    }

    // The line gathered so far is complete.
    void endLine()
    {
        int length = lineLength;
        while (length > 0 && isBlank(line[std::size_t(length - 1)]))
            --length;
        lineLength = 0;
        if (length > 0) {
            const QString reason = reader->ended()
                                       ? record::afterEnd()
                                       : reader->readLine(QByteArrayView(line.data(), length));
            if (!reason.isNull())
                fail(DecodeStatus::BadLine, lineNumber, reason);
        }
        ++lineNumber;
    }

    void feedRecords(QByteArrayView piece)
    {
        const int maxLine = int(line.size());
        for (const char c : piece) {
            if (c == '\n') {
                endLine();
                if (failed)
                    return;
            } else if (lineLength < maxLine) {
                line[std::size_t(lineLength++)] = c;
            } else if (!isBlank(c)) {
                // White space past a record's length may still end the line; anything else not.
                fail(DecodeStatus::BadLine, lineNumber, record::lineTooLong());
                return;
            }
        }
    }

    void feedRaw(QByteArrayView piece)
    {
        if (raw.size() + piece.size() > window.size) {
            fail(DecodeStatus::TooLarge);
            raw.clear();
            return;
        }
        raw.append(piece);
    }

    ImageFormat format;
    ChipWindow window;
    WindowCollector collector;
    std::unique_ptr<RecordReader> reader;
    QByteArray raw;
    std::vector<char> line;
    int lineLength = 0;
    qint64 lineNumber = 1;
    bool failed = false;
    bool finished = false;
    DecodeStatus status = DecodeStatus::Ok;
    qint64 errorLine = 0;
    QString reason;
};

ImageDecoder::ImageDecoder(ImageFormat format, ChipWindow window)
    : m_state(std::make_unique<State>(format, window))
{
}

ImageDecoder::~ImageDecoder() = default;

bool ImageDecoder::feed(QByteArrayView piece)
{
    State& s = *m_state;
    if (s.failed || s.finished)
        return false;
    if (s.reader)
        s.feedRecords(piece);
    else
        s.feedRaw(piece);
    return !s.failed;
}

DecodedImage ImageDecoder::finish()
{
    State& s = *m_state;
    DecodedImage result;
    if (!s.finished && !s.failed && s.reader && s.lineLength > 0)
        s.endLine();
    s.finished = true;
    if (s.failed) {
        result.status = s.status;
        result.line = s.errorLine;
        result.reason = s.reason;
        return result;
    }
    if (!s.reader) {
        result.bytes = s.raw;
        result.bytes.append(
            QByteArray(std::max<qsizetype>(0, s.window.size - s.raw.size()), char(0xFF)));
        result.status = DecodeStatus::Ok;
        return result;
    }
    if (!s.collector.anyInWindow()) {
        result.status = DecodeStatus::NoData;
        return result;
    }
    result.bytes = s.collector.bytes();
    result.skipped = s.collector.skipped();
    result.status = DecodeStatus::Ok;
    return result;
}

DecodedImage decodeImage(const QByteArray& data, ImageFormat format, ChipWindow window)
{
    ImageDecoder decoder(format, window);
    (void)decoder.feed(data);
    return decoder.finish();
}

DecodedImage decodeImage(QIODevice& device, ImageFormat format, ChipWindow window)
{
    ImageDecoder decoder(format, window);
    QByteArray buffer(64 * 1024, '\0');
    for (;;) {
        const qint64 n = device.read(buffer.data(), buffer.size());
        if (n < 0) {
            DecodedImage result;
            result.status = DecodeStatus::ReadError;
            result.reason = device.errorString();
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
        break;
    }
    return bytes;
}

} // namespace kestrel
