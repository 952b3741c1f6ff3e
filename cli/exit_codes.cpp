#include "exit_codes.h"

#include <array>

namespace kestrel::cli {

namespace {

using link::TransferResult;

// What the tool makes of an outcome: its exit code and its word in the summary.
struct Outcome
{
    TransferResult result;
    ExitCode code;
    const char* word;
};

// In the order of TransferResult.
constexpr std::array<Outcome, 10> kOutcomes = {{
    {TransferResult::Done, ExitOk, "ok"},
    {TransferResult::PortFailed, ExitPort, "port-error"},
    {TransferResult::NoAdapter, ExitNoAdapter, "no-adapter"},
    {TransferResult::ReadAborted, ExitTransfer, "read-aborted"},
    {TransferResult::Mismatch, ExitDifferent, "different"},
    {TransferResult::LineBroken, ExitTransfer, "line-lost"},
    {TransferResult::Cancelled, ExitTransfer, "interrupted"},
    {TransferResult::NotSupported, ExitNotSupported, "not-supported"},
    {TransferResult::BackupFailed, ExitFile, "backup-failed"},
    {TransferResult::Failed, ExitTransfer, "failed"},
}};

constexpr bool inEnumOrder()
{
    for (std::size_t i = 0; i < kOutcomes.size(); ++i)
        if (static_cast<std::size_t>(kOutcomes[i].result) != i)
            return false;
    return kOutcomes.back().result == TransferResult::Failed;
}
static_assert(inEnumOrder(), "one row per TransferResult, in its order");

// The row of result; an out-of-range value counts as Failed.
const Outcome& outcomeOf(TransferResult result)
{
    const auto i = static_cast<std::size_t>(result);
    return i < kOutcomes.size() ? kOutcomes[i] : kOutcomes.back();
}

} // namespace

int exitCodeFor(link::TransferResult result)
{
    return outcomeOf(result).code;
}

QString resultWord(link::TransferResult result)
{
    return QString::fromLatin1(outcomeOf(result).word);
}

} // namespace kestrel::cli
