#include "exit_codes.h"

namespace kestrel::cli {

int exitCodeFor(link::TransferResult result)
{
    using link::TransferResult;
    switch (result) {
    case TransferResult::Done:
        return ExitOk;
    case TransferResult::PortFailed:
        return ExitPort;
    case TransferResult::NoAdapter:
        return ExitNoAdapter;
    case TransferResult::Mismatch:
        return ExitDifferent;
    case TransferResult::ReadAborted:
    case TransferResult::LineBroken:
    case TransferResult::Cancelled:
    case TransferResult::Failed:
        return ExitTransfer;
    case TransferResult::NotSupported:
        return ExitNotSupported;
    case TransferResult::BackupFailed:
        return ExitFile;
    }
    return ExitTransfer;
}

QString resultWord(link::TransferResult result)
{
    using link::TransferResult;
    switch (result) {
    case TransferResult::Done:
        return QStringLiteral("ok");
    case TransferResult::PortFailed:
        return QStringLiteral("port-error");
    case TransferResult::NoAdapter:
        return QStringLiteral("no-adapter");
    case TransferResult::Mismatch:
        return QStringLiteral("different");
    case TransferResult::ReadAborted:
        return QStringLiteral("read-aborted");
    case TransferResult::LineBroken:
        return QStringLiteral("line-lost");
    case TransferResult::Cancelled:
        return QStringLiteral("interrupted");
    case TransferResult::NotSupported:
        return QStringLiteral("not-supported");
    case TransferResult::BackupFailed:
        return QStringLiteral("backup-failed");
    case TransferResult::Failed:
        break;
    }
    return QStringLiteral("failed");
}

} // namespace kestrel::cli
