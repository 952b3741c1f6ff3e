#pragma once

#include <QString>

#include <cstdint>

// The registry's messages, each in one place.
namespace kestrel::registry::texts {

[[nodiscard]] QString emptyAddress();
[[nodiscard]] QString passwordInUrl();
[[nodiscard]] QString malformedUrl(const QString& text);
[[nodiscard]] QString driverMissing(const QString& registry, const QString& driver);
[[nodiscard]] QString missing(const QString& registry);
[[nodiscard]] QString cannotOpen(const QString& registry, const QString& reason);
[[nodiscard]] QString cannotRead(const QString& registry, const QString& reason);
[[nodiscard]] QString cannotWrite(const QString& registry, const QString& reason);
[[nodiscard]] QString newerSchema(const QString& registry, int version, int known);
[[nodiscard]] QString numberTooLarge(const QString& series, std::uint64_t number,
                                     std::uint64_t largest);

} // namespace kestrel::registry::texts
