#include "sim_faults.h"

#include <cstdio>

namespace kestrel::sim {

bool Faults::any() const
{
    return silent || readyOnTry != 1 || statusByte || shortWord >= 0 || missingWord >= 0 ||
           shortEvery > 0 || missingEvery > 0 || lateMs > 0 || hangUpAfterFrames > 0 ||
           !stuck.empty() || randomStuck > 0 || missingRate > 0.0 || splitEvery > 0 ||
           heldEvery > 0 || extraEvery > 0 || droppedEvery > 0 || !replyFaults.empty();
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
    return {};
}

std::string Faults::describe() const
{
    std::string out;
    char buf[128];
    auto add = [&out](const char* text) {
        out += "  ";
        out += text;
        out += '\n';
    };
    if (silent)
        add("silent adapter");
    if (readyOnTry != 1) {
        std::snprintf(buf, sizeof buf, "ready only from status try %d", readyOnTry);
        add(buf);
    }
    if (statusByte) {
        std::snprintf(buf, sizeof buf, "status byte %02X", *statusByte);
        add(buf);
    }
    if (shortWord >= 0) {
        std::snprintf(buf, sizeof buf, "short reply to word %d", shortWord);
        add(buf);
    }
    if (missingWord >= 0) {
        std::snprintf(buf, sizeof buf, "no reply to word %d", missingWord);
        add(buf);
    }
    if (shortEvery > 0) {
        std::snprintf(buf, sizeof buf, "short reply to every %d. word read", shortEvery);
        add(buf);
    }
    if (missingEvery > 0) {
        std::snprintf(buf, sizeof buf, "no reply to every %d. word read", missingEvery);
        add(buf);
    }
    if (lateMs > 0) {
        std::snprintf(buf, sizeof buf, "replies %d ms late", lateMs);
        add(buf);
    }
    if (hangUpAfterFrames > 0) {
        std::snprintf(buf, sizeof buf, "hang-up after %d frames", hangUpAfterFrames);
        add(buf);
    }
    for (const auto& [address, value] : stuck) {
        std::snprintf(buf, sizeof buf, "EEPROM cell %04X stuck at %02X", address, value);
        add(buf);
    }
    if (randomStuck > 0) {
        std::snprintf(buf, sizeof buf, "%d random stuck cells (seed %u)", randomStuck, seed);
        add(buf);
    }
    if (missingRate > 0.0) {
        std::snprintf(buf, sizeof buf, "word replies missing with probability %.3f (seed %u)",
                      missingRate, seed);
        add(buf);
    }
    if (splitEvery > 0) {
        std::snprintf(buf, sizeof buf, "every %d. word reply split, second byte %d ms late",
                      splitEvery, splitMs);
        add(buf);
    }
    if (heldEvery > 0) {
        std::snprintf(buf, sizeof buf,
                      "every %d. word reply's second byte held until the next frame", heldEvery);
        add(buf);
    }
    if (extraEvery > 0) {
        std::snprintf(buf, sizeof buf, "every %d. word reply with a byte more", extraEvery);
        add(buf);
    }
    if (droppedEvery > 0) {
        std::snprintf(buf, sizeof buf, "every %d. word reply loses its second byte",
                      droppedEvery);
        add(buf);
    }
    if (!replyFaults.empty()) {
        std::snprintf(buf, sizeof buf, "%zu scheduled word reply faults", replyFaults.size());
        add(buf);
    }
    return out;
}

} // namespace kestrel::sim
