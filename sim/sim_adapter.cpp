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

// The address of a word frame: low byte first.
std::uint16_t frameAddress(const Frame& f)
{
    return static_cast<std::uint16_t>(f[1] | f[2] << 8);
}

// The byte an extra-byte reply fault appends.
constexpr std::uint8_t ExtraReplyByte = 0xA5;

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
    int ms = 0;
    switch (command) {
    case link::CMD_BEGIN:
        ms = link::BeginPauseMs;
        break;
    case link::CMD_END:
        ms = link::EndPauseMs;
        break;
    case link::CMD_PREPARE:
        ms = link::PreparePauseMs;
        break;
    case link::CMD_READ_STATUS:
        ms = link::ReadStatusPauseMs;
        break;
    case link::CMD_READ_WORD:
        ms = link::ReadWordPauseMs;
        break;
    case link::CMD_RUN.b32:
    case link::CMD_RUN.d60:
        ms = link::RunPauseMs;
        break;
    case link::CMD_WRITE_WORD:
        ms = link::WriteWordPauseMs;
        break;
    default:
        break;
    }
    return std::max(std::int64_t{ms} * 1000, BytePauseUs);
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

const Adapter::Command* Adapter::command(std::uint8_t byte)
{
    static constexpr std::array<Command, 8> Commands{{
        {link::CMD_BEGIN, false, false, true, &Adapter::begin},
        {link::CMD_END, false, false, true, &Adapter::end},
        {link::CMD_PREPARE, false, false, false, &Adapter::prepare},
        {link::CMD_READ_STATUS, true, false, false, &Adapter::readStatus},
        {link::CMD_WRITE_WORD, true, true, false, &Adapter::writeWord},
        {link::CMD_READ_WORD, true, true, false, &Adapter::readWord},
        {link::CMD_RUN.b32, false, true, false, &Adapter::runRoutine},
        {link::CMD_RUN.d60, false, true, false, &Adapter::runRoutine},
    }};
    for (const Command& c : Commands)
        if (c.byte == byte)
            return &c;
    return nullptr;
}

void Adapter::process(std::int64_t firstUs, std::int64_t lastUs, std::int64_t earlyGapUs,
                      std::vector<ReplyByte>& out)
{
    FrameRecord rec{frames_.size() + 1, firstUs, lastUs, partial_, {}, {}};
    judgePacing(rec, earlyGapUs);
    std::vector<std::uint8_t> reply;
    if (const Command* c = admitted(rec))
        reply = act(*c, rec);
    sendReply(rec, std::move(reply), out);
    frames_.push_back(std::move(rec));
    if (faults_.hangUpAfterFrames > 0 &&
        frames_.size() >= static_cast<std::size_t>(faults_.hangUpAfterFrames)) {
        hungUp_ = true;
        out.clear();
    }
}

const Adapter::Command* Adapter::admitted(const FrameRecord& rec)
{
    const std::uint8_t byte = rec.bytes[0];
    const Command* c = command(byte);
    if (c == nullptr) {
        violation(rec, "unknown command byte");
        return nullptr;
    }
    if (!session_ && byte != link::CMD_BEGIN) {
        violation(rec, ended_ ? "frame after CMD_END" : "frame before CMD_BEGIN");
        return nullptr;
    }
    return c;
}

std::vector<std::uint8_t> Adapter::act(const Command& c, FrameRecord& rec)
{
    if (!c.takesArguments && !argumentsZero(rec.bytes))
        violation(rec, "arguments must be 00 00 00 00");
    if (c.needsHalt && !halted_ && !faults_.silent)
        violation(rec, "target not halted (no CMD_PREPARE since it last ran)");
    if (faults_.silent && !c.evenWhenSilent) {
        rec.note = "silent";
        return {};
    }
    return (this->*c.handle)(rec);
}

std::vector<std::uint8_t> Adapter::begin(FrameRecord& rec)
{
    if (session_)
        violation(rec, "CMD_BEGIN inside an open session");
    session_ = true;
    statusTries_ = 0;
    wordReads_ = 0;
    return {};
}

std::vector<std::uint8_t> Adapter::end(FrameRecord&)
{
    session_ = false;
    ended_ = true;
    return {};
}

std::vector<std::uint8_t> Adapter::prepare(FrameRecord&)
{
    halted_ = true;
    running_ = false;
    return {};
}

std::vector<std::uint8_t> Adapter::readStatus(FrameRecord& rec)
{
    if (rec.bytes != link::ReadStatusFrame)
        violation(rec, "status query must be 37 01 FF 00 00");
    ++statusTries_;
    std::uint8_t status =
        halted_ ? link::StatusReady : (running_ ? link::StatusRunning : link::StatusIdle);
    if (statusTries_ < faults_.readyOnTry)
        status = link::StatusRunning;
    if (faults_.statusByte)
        status = *faults_.statusByte;
    return {status, 0x00};
}

std::vector<std::uint8_t> Adapter::writeWord(FrameRecord& rec)
{
    const std::uint16_t address = frameAddress(rec.bytes);
    target_.write8(address, rec.bytes[4]);
    target_.write8(static_cast<std::uint16_t>(address + 1), rec.bytes[3]);
    return {};
}

std::vector<std::uint8_t> Adapter::readWord(FrameRecord& rec)
{
    if (rec.bytes[3] != 0 || rec.bytes[4] != 0)
        violation(rec, "word read arguments 3 and 4 must be 00");
    return wordReply(frameAddress(rec.bytes));
}

// Each chip's run command starts the routine where that chip's record loads it, whatever chip
// the target is.
std::vector<std::uint8_t> Adapter::runRoutine(FrameRecord& rec)
{
    const link::ChipRow* chip = link::chipRunBy(rec.bytes[0]);
    const RunReport report =
        target_.run(static_cast<std::uint16_t>(chip->programming.routineAddress));
    rec.note = report.summary();
    runs_.push_back(report);
    halted_ = false;
    running_ = true;
    return {};
}

ReplyFaultAt Adapter::replyFault(std::uint8_t command, const std::vector<std::uint8_t>& reply)
{
    if (command != link::CMD_READ_WORD || reply.empty())
        return {};
    ReplyFaultAt fault = faults_.replyFault(wordReads_);
    if (fault.kind == ReplyFault::None && faults_.lateRate > 0.0 &&
        std::uniform_real_distribution<double>(0.0, 1.0)(random_) < faults_.lateRate)
        fault = {ReplyFault::Late, faults_.lateByMs};
    return fault;
}

void Adapter::sendReply(FrameRecord& rec, std::vector<std::uint8_t> reply,
                        std::vector<ReplyByte>& out)
{
    const ReplyFaultAt fault = replyFault(rec.bytes[0], reply);
    std::int64_t at = rec.lastUs + static_cast<std::int64_t>(faults_.lateMs) * 1000;
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
        reply.push_back(ExtraReplyByte);
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
