#include "registry_address.h"

#include "registry_texts.h"

#include <QUrl>

namespace kestrel::registry {

namespace {

bool isPostgresUrl(const QString& text)
{
    return text.startsWith(QLatin1String("postgresql://"), Qt::CaseInsensitive) ||
           text.startsWith(QLatin1String("postgres://"), Qt::CaseInsensitive);
}

} // namespace

std::optional<RegistryAddress> parseRegistryAddress(const QString& text, QString& error)
{
    RegistryAddress a;
    a.text = text;
    if (text.isEmpty()) {
        error = texts::emptyAddress();
        return std::nullopt;
    }
    if (!isPostgresUrl(text)) {
        a.path = text;
        return a;
    }
    // The host may be a socket's folder, percent-encoded: QUrl would not take it as a host.
    const qsizetype start = text.indexOf(QLatin1String("://")) + 3;
    const qsizetype slash = text.indexOf(u'/', start);
    const QString authority = text.mid(start, slash < 0 ? -1 : slash - start);
    const qsizetype at = authority.lastIndexOf(u'@');
    const QString userInfo = at < 0 ? QString() : authority.left(at);
    QString hostPort = authority.mid(at + 1);
    if (userInfo.contains(u':')) {
        error = texts::passwordInUrl();
        return std::nullopt;
    }
    a.kind = RegistryAddress::Kind::Postgres;
    a.user = QUrl::fromPercentEncoding(userInfo.toUtf8());
    if (const qsizetype colon = hostPort.lastIndexOf(u':'); colon >= 0 && !hostPort.endsWith(u']')) {
        bool ok = false;
        a.port = hostPort.mid(colon + 1).toInt(&ok);
        if (!ok || a.port < 1 || a.port > 65535) {
            error = texts::malformedUrl(text);
            return std::nullopt;
        }
        hostPort = hostPort.left(colon);
    }
    a.host = QUrl::fromPercentEncoding(hostPort.toUtf8());
    a.database = slash < 0 ? QString() : QUrl::fromPercentEncoding(text.mid(slash + 1).toUtf8());
    if (a.user.isEmpty() || a.host.isEmpty() || a.database.isEmpty() || a.database.contains(u'/') ||
        a.database.contains(u'?')) {
        error = texts::malformedUrl(text);
        return std::nullopt;
    }
    return a;
}

} // namespace kestrel::registry
