#pragma once

#include "registry_address.h"

#include <QString>
#include <QStringList>

#include <cstdint>
#include <memory>
#include <optional>
#include <vector>

namespace kestrel::registry {

class WriterLock;

// A reservation's states: reserved when its number is taken, then how its board ended.
namespace state {
inline constexpr char Reserved[] = "reserved";
inline constexpr char Programmed[] = "programmed";
inline constexpr char Verified[] = "verified";
inline constexpr char Failed[] = "failed";
inline constexpr char Interrupted[] = "interrupted";
} // namespace state

// One number given to one board.
struct Reservation
{
    std::uint64_t serial = 0;
    QString series;
    QString station; // host name
    QString port;
    QString chip;
    QString state;
    QString crc32;      // the board's image; empty until it ended
    QString reservedAt; // UTC, ISO 8601 with milliseconds
    QString endedAt;
};

// One number per port, for a run of one station.
struct ReservationRequest
{
    QString series;
    std::uint64_t first = 0;   // where a new series starts
    std::uint64_t largest = 0; // the largest number the serial field holds
    QString station;
    QString chip;
    QStringList ports;
};

struct ReservedNumbers
{
    std::uint64_t first = 0; // the ports get first, first + 1, ...
    bool seriesExisted = false;
};

// How a reserved number's board ended.
struct Ending
{
    std::uint64_t serial = 0;
    QString state;
    QString crc32;
};

// The serial numbers given so far, in a SQLite file or a PostgreSQL database, through a Qt SQL
// connection of its own (used by the thread that opened it). Numbers are taken in one
// transaction that advances the series' counter, so no two runs ever get the same one.
class SerialRegistry
{
public:
    enum class Open
    {
        CreateIfMissing, // a run that reserves: the file and the schema are made on first use
        ExistingOnly,    // a listing: a registry that is not there is an error
    };

    SerialRegistry();
    ~SerialRegistry();
    SerialRegistry(const SerialRegistry&) = delete;
    SerialRegistry& operator=(const SerialRegistry&) = delete;

    // Connects, then creates or migrates the schema. False with the message in `error`.
    [[nodiscard]] bool open(const RegistryAddress& address, Open mode, QString& error);
    [[nodiscard]] int schemaVersion() const { return version_; }

    // Reserves one number per port in one transaction; none when it failed (nothing reserved).
    [[nodiscard]] std::optional<ReservedNumbers> reserve(const ReservationRequest& request,
                                                         QString& error);
    // Records how each board of the series ended, in one transaction.
    [[nodiscard]] bool finish(const QString& series, const std::vector<Ending>& endings,
                              QString& error);
    // The reservations, by series and number; of one series and/or one number when given.
    [[nodiscard]] std::optional<std::vector<Reservation>>
    list(const std::optional<QString>& series, std::optional<std::uint64_t> serial, QString& error);

private:
    [[nodiscard]] bool connect(const RegistryAddress& address, Open mode, QString& error);
    [[nodiscard]] QString failWrite(const QString& reason);

    // A SQLite registry's writers wait for each other here; none for PostgreSQL.
    [[nodiscard]] std::unique_ptr<WriterLock> writerLock() const;

    QString connection_;
    QString sqlitePath_; // empty for PostgreSQL
    QString name_; // the registry as the messages show it
    int version_ = 0;
};

// Now, as the registry writes times.
[[nodiscard]] QString registryTime();

} // namespace kestrel::registry
