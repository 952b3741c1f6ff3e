#pragma once

// What the tests of kestrel-cli's core against simulated adapters share.

#include "adapter.h"
#include "cli_harness.h"
#include "elf_writer.h"
#include "exit_codes.h"
#include "fake_line.h"
#include "image_formats.h"
#include "messages.h"
#include "sim_line.h"
#include "sim_transport.h"
#include "virtual_clock.h"

#include <QDateTime>
#include <QDir>
#include <QJsonDocument>
#include <QJsonObject>
#include <QTemporaryDir>
#include <QtTest>

namespace kestrel::clitest {

inline std::uint8_t lastFrameCommand(const sim::Simulator& s)
{
    return s.inspect([](const sim::Target&, const sim::Adapter& a) {
        return a.frames().empty() ? std::uint8_t{0} : a.frames().back().bytes[0];
    });
}

// A line that sets the cancel flag once it has sent a number of bytes: a signal in mid-transfer.
class SignallingLine final : public link::SerialLine
{
public:
    SignallingLine(std::unique_ptr<link::SerialLine> inner, int afterBytes, std::atomic<bool>& flag)
        : inner_(std::move(inner)), left_(afterBytes), flag_(flag)
    {
    }
    link::OpenStatus open(const QString& n, int t) override { return inner_->open(n, t); }
    bool sendByte(std::uint8_t b) override
    {
        if (--left_ == 0)
            flag_ = true;
        return inner_->sendByte(b);
    }
    link::ReadResult read(std::uint8_t* b, int n, int t) override { return inner_->read(b, n, t); }
    void close() override { inner_->close(); }
    bool broken() const override { return inner_->broken(); }

private:
    std::unique_ptr<link::SerialLine> inner_;
    int left_;
    std::atomic<bool>& flag_;
};

struct Chip
{
    sim::ChipKind kind;
    QString name;
    int size;
    int base;
};

inline Chip chipCase(bool d60)
{
    return d60 ? Chip{sim::ChipKind::D60, QStringLiteral("68HC12D60"), 1024, 0x0C00}
               : Chip{sim::ChipKind::B32, QStringLiteral("68HC12B32"), 768, 0x0D00};
}

// An S1 record from the format's definition: count, 16-bit address, data, one's complement
// checksum of all of them.
inline QByteArray s1Record(int address, const QByteArray& data)
{
    QByteArray body;
    body += char(data.size() + 3);
    body += char(address >> 8);
    body += char(address & 0xFF);
    body += data;
    int sum = 0;
    for (char c : body)
        sum += static_cast<std::uint8_t>(c);
    body += char(~sum & 0xFF);
    return "S1" + body.toHex().toUpper() + "\r\n";
}

} // namespace kestrel::clitest
