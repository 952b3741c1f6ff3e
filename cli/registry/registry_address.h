#pragma once

#include <QString>

#include <optional>

namespace kestrel::registry {

// Where the registry is: a SQLite file, or a PostgreSQL database named by
// postgresql://USER@HOST[:PORT]/DB (the password from libpq's usual places, never in the URL).
struct RegistryAddress
{
    enum class Kind
    {
        Sqlite,
        Postgres,
    };
    Kind kind = Kind::Sqlite;
    QString path; // SQLite
    QString host; // PostgreSQL; a folder (percent-encoded "/") is a unix socket's
    int port = -1;
    QString user;
    QString database;
    QString text; // as given; it holds no password
};

// Parses REG; gives the address, or none with the message in `error`.
[[nodiscard]] std::optional<RegistryAddress> parseRegistryAddress(const QString& text,
                                                                  QString& error);

} // namespace kestrel::registry
