#include "sim_adapter.h"

#include <algorithm>
#include <cstdio>
#include <fstream>

namespace kestrel::sim {

namespace {

std::string frameText(const Frame& f)
{
    char buf[20];
    std::snprintf(buf, sizeof buf, "%02X %02X %02X %02X %02X", f[0], f[1], f[2], f[3], f[4]);
    return buf;
}

bool argumentsZero(const Frame& f)
{
    return f[1] == 0 && f[2] == 0 && f[3] == 0 && f[4] == 0;
}

} // namespace

const char* commandName(std::uint8_t command)
{
    switch (command) {
    case link::CMD_BEGIN:
        return "CMD_BEGIN";
    case link::CMD_PREPARE:
        return "CMD_PREPARE";
    case link::CMD_READ_STATUS:
        return "CMD_READ_STATUS";
    case link::CMD_WRITE_WORD:
        return "CMD_WRITE_WORD";
    case link::CMD_READ_WORD:
        return "CMD_READ_WORD";
    case link::CMD_RUN.b32:
    case link::CMD_RUN.d60:
        return "CMD_RUN";
    case link::CMD_END:
        return "CMD_END";
    default:
        return nullptr;
    }
}

std::int64_t owedPauseAfterUs(std::uint8_t command)
{
    std::int64_t ms = 0;
    switch (command) {
    case link::CMD_BEGIN:
    case link::CMD_END:
        ms = 40;
        break;
    case link::CMD_PREPARE:
        ms = 20;
        break;
    case link::CMD_READ_STATUS:
        ms = 8;
        break;
    case link::CMD_READ_WORD:
    case link::CMD_RUN.b32:
    case link::CMD_RUN.d60:
        ms = 4;
        break;
    case link::CMD_WRITE_WORD:
        ms = 2;
        break;
    default:
        break;
    }
    return std::max(ms * 1000, BytePauseUs);
}

Adapter::Adapter(Target& target, Faults faults)
    : target_(target), faults_(std::move(faults)), random_(faults_.seed)
{
}

void Adapter::lineOpened(std::int64_t timeUs)
{
    endEarlyRun();
    arrivals_.clear();
    held_.reset();
    if (partialCount_ == 0)
        return;
    Frame bytes{};
    for (int i = 0; i < partialCount_; ++i)
        bytes[static_cast<std::size_t>(i)] = partial_[static_cast<std::size_t>(i)];
    violations_.push_back({0, timeUs, bytes,
                           "incomplete frame of " + std::to_string(partialCount_) +
                               " byte(s) dropped when the line was opened again"});
    partialCount_ = 0;
}

// A byte is early when, from every byte before it in the window, less time passed than the
// pauses owed since, less PacingToleranceUs (from the byte just before, the plain rule: at least
// MinByteGapUs). With lead = arrival time - pauses owed up to a byte, that is: its lead is below
// the smallest lead in the window by more than the tolerance. A host that keeps its pauses never
// lowers its lead, and delivery only raises a byte's lead by its delay, so an honest host's byte
// is early only when every byte of the window was handed over more than the tolerance late.
bool Adapter::early(std::int64_t timeUs, std::int64_t owedUs) const
{
    return !arrivals_.empty() && timeUs - owedUs < arrivals_.front().leadUs - PacingToleranceUs;
}

void Adapter::receive(std::uint8_t byte, std::int64_t timeUs, std::vector<ReplyByte>& out)
{
    if (hungUp_)
        return;
    const std::int64_t window = stamps_ == Stamps::Exact ? PacingWindowUs : DeliveredPacingWindowUs;
    while (!arrivals_.empty() && timeUs - arrivals_.front().timeUs > window)
        arrivals_.pop_front();
    owedUs_ += partialCount_ == 0 ? owedAfterFrameUs_ : BytePauseUs;
    if (partialCount_ == 0) {
        partialFirstUs_ = timeUs;
        partialEarlyGapUs_ = INT64_MAX;
    } else if (early(timeUs, owedUs_) ||
               (stamps_ == Stamps::Exact && timeUs - partialLastUs_ < MinByteGapUs)) {
        // Exact stamps: a byte too close to the one before it is early whatever came earlier;
        // time the host spent beyond its pauses does not make up for it.
        partialEarlyGapUs_ = std::min(partialEarlyGapUs_, timeUs - partialLastUs_);
    }
    const std::int64_t lead = timeUs - owedUs_;
    while (!arrivals_.empty() && arrivals_.back().leadUs >= lead)
        arrivals_.pop_back();
    arrivals_.push_back({timeUs, lead});
    partialLastUs_ = timeUs;
    partial_[static_cast<std::size_t>(partialCount_++)] = byte;
    if (partialCount_ == 5) {
        partialCount_ = 0;
        owedAfterFrameUs_ = owedPauseAfterUs(partial_[0]);
        process(partialFirstUs_, partialLastUs_, partialEarlyGapUs_, out);
    }
}

void Adapter::violation(const FrameRecord& frame, std::string what)
{
    violations_.push_back({frame.index, frame.lastUs, frame.bytes, std::move(what)});
}

// Exact stamps: every early frame is a violation. Delivered stamps: early frames are held
// until EarlyRunFrames of them came in a row, then all of the run are violations, and so is
// every further early frame of it; a frame on time ends the run, and an early frame of a run
// that ended shorter is counted as not judged.
void Adapter::judgePacing(const FrameRecord& frame, std::int64_t earlyGapUs)
{
    if (earlyGapUs == INT64_MAX) {
        endEarlyRun();
        return;
    }
    Violation v{frame.index, frame.lastUs, frame.bytes,
                "bytes " + std::to_string(earlyGapUs) + " us apart (at least " +
                    std::to_string(MinByteGapUs) + " us)"};
    if (stamps_ == Stamps::Exact) {
        violations_.push_back(std::move(v));
        return;
    }
    if (earlyRunLength_++ == 0)
        earlyRunFrom_ = violations_.size();
    if (earlyRunLength_ < static_cast<std::size_t>(EarlyRunFrames)) {
        earlyHeld_.push_back(std::move(v));
        return;
    }
    violations_.insert(violations_.end(), earlyHeld_.begin(), earlyHeld_.end());
    violations_.push_back(std::move(v));
    earlyHeld_.clear();
    // Held frames go before the violations of later frames of the run recorded meanwhile.
    std::stable_sort(violations_.begin() + static_cast<std::ptrdiff_t>(earlyRunFrom_),
                     violations_.end(),
                     [](const Violation& a, const Violation& b) { return a.frame < b.frame; });
}

void Adapter::endEarlyRun()
{
    unjudgedEarly_ += earlyHeld_.size();
    earlyHeld_.clear();
    earlyRunLength_ = 0;
}

std::vector<std::uint8_t> Adapter::wordReply(std::uint16_t address)
{
    ++wordReads_;
    std::vector<std::uint8_t> reply{target_.read8(static_cast<std::uint16_t>(address + 1)),
                                    target_.read8(address)};
    const int first = target_.model().eeprom.first;
    const int word = (address - first) / 2;
    const bool inEeprom = address >= first && address <= target_.model().eeprom.last;
    const bool isWord = inEeprom && (address - first) % 2 == 0;
    if ((isWord && word == faults_.missingWord) ||
        (faults_.missingEvery > 0 && wordReads_ % faults_.missingEvery == 0))
        return {};
    if (faults_.missingRate > 0.0 &&
        std::uniform_real_distribution<double>(0.0, 1.0)(random_) < faults_.missingRate)
        return {};
    if ((isWord && word == faults_.shortWord) ||
        (faults_.shortEvery > 0 && wordReads_ % faults_.shortEvery == 0))
        reply.resize(1);
    return reply;
}

void Adapter::process(std::int64_t firstUs, std::int64_t lastUs, std::int64_t earlyGapUs,
                      std::vector<ReplyByte>& out)
{
    FrameRecord rec{frames_.size() + 1, firstUs, lastUs, partial_, {}, {}};
    const Frame& f = rec.bytes;
    const std::uint8_t cmd = f[0];
    const auto address = static_cast<std::uint16_t>(f[1] | f[2] << 8);

    judgePacing(rec, earlyGapUs);

    std::vector<std::uint8_t> reply;
    bool act = true;
    if (commandName(cmd) == nullptr) {
        violation(rec, "unknown command byte");
        act = false;
    } else if (!session_ && cmd != link::CMD_BEGIN) {
        violation(rec, ended_ ? "frame after CMD_END" : "frame before CMD_BEGIN");
        act = false;
    }
    if (act) {
        const bool takesArguments = cmd == link::CMD_WRITE_WORD || cmd == link::CMD_READ_WORD ||
                                    cmd == link::CMD_READ_STATUS;
        if (!takesArguments && !argumentsZero(f))
            violation(rec, "arguments must be 00 00 00 00");
        const bool memory = cmd == link::CMD_WRITE_WORD || cmd == link::CMD_READ_WORD ||
                            cmd == link::CMD_RUN.b32 || cmd == link::CMD_RUN.d60;
        if (memory && !halted_ && !faults_.silent)
            violation(rec, "target not halted (no CMD_PREPARE since it last ran)");
        if (cmd == link::CMD_BEGIN) {
            if (session_)
                violation(rec, "CMD_BEGIN inside an open session");
            session_ = true;
            statusTries_ = 0;
            wordReads_ = 0;
        } else if (cmd == link::CMD_END) {
            session_ = false;
            ended_ = true;
        } else if (faults_.silent) {
            rec.note = "silent";
        } else {
            switch (cmd) {
            case link::CMD_PREPARE:
                halted_ = true;
                running_ = false;
                break;
            case link::CMD_READ_STATUS: {
                if (f[1] != 0x01 || f[2] != 0xFF || f[3] != 0 || f[4] != 0)
                    violation(rec, "status query must be 37 01 FF 00 00");
                ++statusTries_;
                std::uint8_t status = halted_ ? 0xC0 : (running_ ? 0x80 : 0x00);
                if (statusTries_ < faults_.readyOnTry)
                    status = 0x80;
                if (faults_.statusByte)
                    status = *faults_.statusByte;
                reply = {status, 0x00};
                break;
            }
            case link::CMD_WRITE_WORD:
                target_.write8(address, f[4]);
                target_.write8(static_cast<std::uint16_t>(address + 1), f[3]);
                break;
            case link::CMD_READ_WORD:
                if (f[3] != 0 || f[4] != 0)
                    violation(rec, "word read arguments 3 and 4 must be 00");
                reply = wordReply(address);
                break;
            case link::CMD_RUN.b32:
            case link::CMD_RUN.d60: {
                const RunReport report = target_.run(
                    cmd == link::CMD_RUN.b32 ? std::uint16_t{0x0800} : std::uint16_t{0x0200});
                rec.note = report.summary();
                runs_.push_back(report);
                halted_ = false;
                running_ = true;
                break;
            }
            default:
                break;
            }
        }
    }
    ReplyFaultAt fault;
    if (cmd == link::CMD_READ_WORD && !reply.empty()) {
        fault = faults_.replyFault(wordReads_);
        if (fault.kind == ReplyFault::None && faults_.lateRate > 0.0 &&
            std::uniform_real_distribution<double>(0.0, 1.0)(random_) < faults_.lateRate)
            fault = {ReplyFault::Late, faults_.lateByMs};
    }
    std::int64_t at = lastUs + static_cast<std::int64_t>(faults_.lateMs) * 1000;
    if (held_) {
        at += ByteTimeUs;
        out.push_back({*held_, at});
        held_.reset();
    }
    std::int64_t secondLateUs = 0;
    switch (fault.kind) {
    case ReplyFault::Late:
        at += static_cast<std::int64_t>(fault.ms) * 1000;
        break;
    case ReplyFault::Split:
        secondLateUs = static_cast<std::int64_t>(fault.ms) * 1000;
        break;
    case ReplyFault::Held:
        held_ = reply.back();
        reply.pop_back();
        break;
    case ReplyFault::Extra:
        reply.push_back(0xA5);
        break;
    case ReplyFault::Dropped:
        reply.pop_back();
        break;
    case ReplyFault::Missing:
        reply.clear();
        break;
    case ReplyFault::None:
        break;
    }
    if (fault.kind != ReplyFault::None)
        rec.note = "reply fault";
    for (std::size_t i = 0; i < reply.size(); ++i) {
        at += ByteTimeUs + (i == 1 ? secondLateUs : 0);
        out.push_back({reply[i], at});
    }
    rec.reply = std::move(reply);
    frames_.push_back(std::move(rec));
    if (faults_.hangUpAfterFrames > 0 &&
        frames_.size() >= static_cast<std::size_t>(faults_.hangUpAfterFrames)) {
        hungUp_ = true;
        out.clear();
    }
}

bool Adapter::writeTranscript(const std::string& path) const
{
    std::ofstream file(path);
    if (!file)
        return false;
    const std::int64_t origin = frames_.empty() ? 0 : frames_.front().firstUs;
    std::size_t v = 0;
    char buf[64];
    for (const FrameRecord& rec : frames_) {
        std::snprintf(buf, sizeof buf, "%12.3f ms  #%-6zu ",
                      static_cast<double>(rec.firstUs - origin) / 1000.0, rec.index);
        file << buf << frameText(rec.bytes) << "  ";
        const char* name = commandName(rec.bytes[0]);
        file << (name ? name : "?");
        if (!rec.reply.empty()) {
            file << "  reply";
            for (std::uint8_t b : rec.reply) {
                std::snprintf(buf, sizeof buf, " %02X", b);
                file << buf;
            }
        }
        if (!rec.note.empty())
            file << "  (" << rec.note << ")";
        file << '\n';
        while (v < violations_.size() && violations_[v].frame <= rec.index) {
            file << "    !! violation: " << violations_[v].what << '\n';
            ++v;
        }
    }
    for (; v < violations_.size(); ++v)
        file << "    !! violation: " << violations_[v].what << '\n';
    file.flush();
    return static_cast<bool>(file);
}

} // namespace kestrel::sim
