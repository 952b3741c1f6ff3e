#include "trace_reader.h"

#include "sim_adapter.h"

#include <cctype>
#include <sstream>
#include <string_view>

namespace kestrel::sim {

namespace {

using Tokens = std::vector<std::string>;

std::optional<std::uint8_t> hexByte(const std::string& t)
{
    if (t.size() != 2 || !std::isxdigit(static_cast<unsigned char>(t[0])) ||
        !std::isxdigit(static_cast<unsigned char>(t[1])))
        return std::nullopt;
    return static_cast<std::uint8_t>(std::stoi(t, nullptr, 16));
}

std::optional<int> count(const std::string& t)
{
    if (t.empty() || t.size() > 9)
        return std::nullopt;
    for (char c : t)
        if (!std::isdigit(static_cast<unsigned char>(c)))
            return std::nullopt;
    return std::stoi(t);
}

// The command's name as the trace gives it.
std::string traceName(std::uint8_t command)
{
    const char* name = commandName(command);
    if (name == nullptr)
        return "?";
    const std::string_view n(name);
    return std::string(n.starts_with("CMD_") ? n.substr(4) : n);
}

// Hex bytes from tokens[i] on; i is left at the first token that is none.
std::vector<std::uint8_t> bytesFrom(const Tokens& tokens, std::size_t& i)
{
    std::vector<std::uint8_t> out;
    for (; i < tokens.size(); ++i) {
        const auto b = hexByte(tokens[i]);
        if (!b)
            break;
        out.push_back(*b);
    }
    return out;
}

// "> HH.. NAME gaps G.."; the error's text or empty.
std::string readFrame(const Tokens& t, TracedEntry& e)
{
    std::size_t i = 2;
    e.bytes = bytesFrom(t, i);
    if (e.bytes.empty() || e.bytes.size() > 5)
        return "a frame has 1 to 5 bytes";
    if (i >= t.size() || t[i] != traceName(e.bytes[0]))
        return "the command's name should be " + traceName(e.bytes[0]);
    if (++i >= t.size() || t[i] != "gaps")
        return "\"gaps\" expected after the command's name";
    for (++i; i < t.size(); ++i) {
        const auto gap = parseTraceMs(t[i]);
        if (!gap)
            return "bad gap \"" + t[i] + "\"";
        e.gapsUs.push_back(*gap);
    }
    if (e.gapsUs.size() + 1 != e.bytes.size())
        return "a frame of " + std::to_string(e.bytes.size()) + " bytes has " +
               std::to_string(e.bytes.size() - 1) + " gaps";
    return {};
}

// "< HH..|(none) [after D ms] [N of M bytes within W ms] [line broken]".
std::string readReply(const Tokens& t, TracedEntry& e)
{
    std::size_t i = 2;
    if (i < t.size() && t[i] == "(none)")
        ++i;
    else
        e.bytes = bytesFrom(t, i);
    if (e.bytes.empty() && i == 2)
        return "bytes or (none) expected";
    if (i < t.size() && t[i] == "...")
        ++i;
    auto at = [&t](std::size_t k, const char* word) { return k < t.size() && t[k] == word; };
    if (at(i, "after")) {
        e.afterUs = i + 1 < t.size() ? parseTraceMs(t[i + 1]) : std::nullopt;
        if (!e.afterUs || !at(i + 2, "ms"))
            return "\"after D ms\" expected";
        i += 3;
    }
    if (i + 6 < t.size() && at(i + 1, "of") && at(i + 3, "bytes") && at(i + 4, "within") &&
        at(i + 6, "ms")) {
        const auto got = count(t[i]);
        const auto asked = count(t[i + 2]);
        const auto within = count(t[i + 5]);
        if (!got || !asked || !within || *got != static_cast<int>(e.bytes.size()))
            return "\"N of M bytes within W ms\" expected, N the bytes shown";
        e.expected = *asked;
        e.withinMs = *within;
        i += 7;
    }
    if (at(i, "line") && at(i + 1, "broken")) {
        e.broken = true;
        i += 2;
    }
    return i == t.size() ? std::string() : "unexpected \"" + t[i] + "\"";
}

std::string readEntry(const Tokens& t, TracedEntry& e)
{
    const auto at = parseTraceMs(t[0]);
    if (!at)
        return "bad time \"" + t[0] + "\"";
    e.atUs = *at;
    if (t.size() < 2)
        return "an event expected after the time";
    const std::string& kind = t[1];
    if (kind == ">") {
        e.kind = TracedEntry::Kind::Frame;
        return readFrame(t, e);
    }
    if (kind == "<") {
        e.kind = TracedEntry::Kind::Reply;
        return readReply(t, e);
    }
    if (kind == "open" || kind == "open-failed") {
        e.kind = kind == "open" ? TracedEntry::Kind::Open : TracedEntry::Kind::OpenFailed;
        return t.size() >= 3 ? std::string() : "the port's name expected";
    }
    if (kind == "close") {
        e.kind = TracedEntry::Kind::Close;
        return t.size() == 2 ? std::string() : "nothing expected after close";
    }
    if (kind == "line-broken") {
        e.kind = TracedEntry::Kind::Broken;
        return t.size() == 2 ? std::string() : "nothing expected after line-broken";
    }
    if (kind == "!") {
        e.kind = TracedEntry::Kind::SendFailed;
        const auto b = t.size() >= 3 ? hexByte(t[2]) : std::nullopt;
        if (!b)
            return "the byte not sent expected";
        e.bytes = {*b};
        return {};
    }
    return "unknown event \"" + kind + "\"";
}

} // namespace

std::optional<std::int64_t> parseTraceMs(const std::string& text)
{
    const auto dot = text.find('.');
    const std::string whole = text.substr(0, dot);
    const std::string part = dot == std::string::npos ? std::string() : text.substr(dot + 1);
    if (whole.empty() || whole.size() > 12 || part.size() > 3 ||
        (dot != std::string::npos && part.empty()))
        return std::nullopt;
    std::int64_t us = 0;
    for (char c : whole + part + std::string(3 - part.size(), '0')) {
        if (!std::isdigit(static_cast<unsigned char>(c)))
            return std::nullopt;
        us = us * 10 + (c - '0');
    }
    return us;
}

TraceReading readTrace(std::istream& in)
{
    TraceReading out;
    std::string text;
    std::size_t line = 0;
    while (std::getline(in, text)) {
        ++line;
        std::istringstream words(text);
        Tokens tokens;
        for (std::string w; words >> w;)
            tokens.push_back(w);
        if (tokens.empty() || tokens[0][0] == '#')
            continue;
        TracedEntry e;
        e.line = line;
        if (std::string error = readEntry(tokens, e); !error.empty()) {
            out.error = std::move(error);
            out.line = line;
            return out;
        }
        out.entries.push_back(std::move(e));
    }
    if (in.bad()) {
        out.error = "read error";
        out.line = line + 1;
    }
    return out;
}

} // namespace kestrel::sim
