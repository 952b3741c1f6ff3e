#include "fake_line.h"

namespace kestrel::testsupport {

void FakeLine::queueInput(const QByteArray& bytes)
{
    queueAt(bytes, clock_.now());
}

void FakeLine::queueAt(const QByteArray& bytes, std::chrono::microseconds at)
{
    // Later arrivals never overtake earlier ones on a serial line.
    if (!input_.empty())
        at = std::max(at, input_.back().at);
    for (char c : bytes)
        input_.push_back({static_cast<std::uint8_t>(c), at});
}

link::OpenStatus FakeLine::open(const QString& portName, int readTimeoutMs)
{
    ++openCalls_;
    openedName_ = portName;
    openedTimeout_ = readTimeoutMs;
    open_ = openStatus_ == link::OpenStatus::Opened;
    return openStatus_;
}

bool FakeLine::sendByte(std::uint8_t byte)
{
    if (broken() || !open_)
        return false;
    if (breakAfterBytes_ && sent_.size() >= *breakAfterBytes_) {
        brokenFlag_ = true;
        return false;
    }
    sent_.append({byte, clock_.now()});
    current_[static_cast<std::size_t>(currentSize_++)] = byte;
    if (currentSize_ == 5) {
        currentSize_ = 0;
        if (responder_)
            queueAt(responder_(current_), clock_.now() + replyDelay_(current_));
    }
    return true;
}

link::ReadResult FakeLine::read(std::uint8_t* buffer, int maxBytes, int timeoutMs)
{
    link::ReadResult result;
    if (timeoutMs > 0)
        readTimeouts_.append(timeoutMs);
    const auto deadline = clock_.now() + std::chrono::milliseconds(std::max(timeoutMs, 0));
    while (result.count < maxBytes && !broken()) {
        if (!input_.empty() && input_.front().at <= clock_.now()) {
            buffer[result.count++] = input_.front().value;
            input_.pop_front();
            continue;
        }
        const auto next = input_.empty() ? deadline : std::min(deadline, input_.front().at);
        if (next <= clock_.now())
            break;
        clock_.advance(next - clock_.now());
    }
    result.broken = broken();
    return result;
}

void FakeLine::close()
{
    ++closeCalls_;
    open_ = false;
}

bool FakeLine::broken() const
{
    return brokenFlag_ || (breakAt_ && clock_.now() >= *breakAt_);
}

QByteArray FakeLine::sentBytes() const
{
    QByteArray bytes;
    for (const SentByte& b : sent_)
        bytes.append(static_cast<char>(b.value));
    return bytes;
}

QList<Frame> FakeLine::frames() const
{
    QList<Frame> result;
    for (qsizetype i = 0; i + 5 <= sent_.size(); i += 5) {
        Frame f{};
        for (std::size_t k = 0; k < 5; ++k)
            f[k] = sent_[i + static_cast<qsizetype>(k)].value;
        result.append(f);
    }
    return result;
}

QString frameText(const Frame& frame)
{
    QString text;
    for (std::uint8_t b : frame) {
        if (!text.isEmpty())
            text += QLatin1Char(' ');
        text += QStringLiteral("%1").arg(b, 2, 16, QLatin1Char('0')).toUpper();
    }
    return text;
}

} // namespace kestrel::testsupport
