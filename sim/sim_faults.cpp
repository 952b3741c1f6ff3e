#include "sim_faults.h"

#include <cstdio>

namespace kestrel::sim {

bool Faults::any() const
{
    return silent || readyOnTry != 1 || statusByte || shortWord >= 0 || missingWord >= 0 ||
           shortEvery > 0 || missingEvery > 0 || lateMs > 0 || hangUpAfterFrames > 0 ||
           !stuck.empty() || randomStuck > 0 || missingRate > 0.0 || splitEvery > 0 ||
           heldEvery > 0 || extraEvery > 0 || droppedEvery > 0 || lateEvery > 0 || lateRate > 0.0 ||
           echo || usbLatencyMs > 0 ||
           !replyFaults.empty();
}

ReplyFaultAt Faults::replyFault(int n) const
{
    if (const auto it = replyFaults.find(n); it != replyFaults.end())
        return it->second;
    auto every = [n](int k) { return k > 0 && n % k == 0; };
    if (every(splitEvery))
        return {ReplyFault::Split, splitMs};
    if (every(heldEvery))
        return {ReplyFault::Held, 0};
    if (every(extraEvery))
        return {ReplyFault::Extra, 0};
    if (every(droppedEvery))
        return {ReplyFault::Dropped, 0};
    if (every(lateEvery))
        return {ReplyFault::Late, lateByMs};
    return {};
}

std::string Faults::describe() const
{
    std::string out;
    auto add = [&out](const char* text) {
        out += "  ";
        out += text;
        out += '\n';
    };
    // Adds the line that format makes of the values when the fault is set.
    auto addIf = [&add](bool set, const char* format, auto... values) {
        if (!set)
            return;
        char buf[128];
        std::snprintf(buf, sizeof buf, format, values...);
        add(buf);
    };
    if (silent)
        add("silent adapter");
    if (echo)
        add("the line echoes every byte, no adapter answers");
    addIf(usbLatencyMs > 0, "replies handed over every %d ms (USB latency)", usbLatencyMs);
    addIf(readyOnTry != 1, "ready only from status try %d", readyOnTry);
    addIf(statusByte.has_value(), "status byte %02X", unsigned(statusByte.value_or(0)));
    addIf(shortWord >= 0, "short reply to word %d", shortWord);
    addIf(missingWord >= 0, "no reply to word %d", missingWord);
    addIf(shortEvery > 0, "short reply to every %d. word read", shortEvery);
    addIf(missingEvery > 0, "no reply to every %d. word read", missingEvery);
    addIf(lateMs > 0, "replies %d ms late", lateMs);
    addIf(hangUpAfterFrames > 0, "hang-up after %d frames", hangUpAfterFrames);
    for (const auto& [address, value] : stuck)
        addIf(true, "EEPROM cell %04X stuck at %02X", unsigned(address), unsigned(value));
    addIf(randomStuck > 0, "%d random stuck cells (seed %u)", randomStuck, seed);
    addIf(missingRate > 0.0, "word replies missing with probability %.3f (seed %u)", missingRate,
          seed);
    addIf(splitEvery > 0, "every %d. word reply split, second byte %d ms late", splitEvery,
          splitMs);
    addIf(heldEvery > 0, "every %d. word reply's second byte held until the next frame", heldEvery);
    addIf(extraEvery > 0, "every %d. word reply with a byte more", extraEvery);
    addIf(droppedEvery > 0, "every %d. word reply loses its second byte", droppedEvery);
    addIf(lateEvery > 0, "every %d. word reply %d ms late", lateEvery, lateByMs);
    addIf(lateRate > 0.0, "word replies %d ms late with probability %.3f (seed %u)", lateByMs,
          lateRate, seed);
    addIf(!replyFaults.empty(), "%zu scheduled word reply faults", replyFaults.size());
    return out;
}

} // namespace kestrel::sim
