#include "book/BookLocation.h"

#include <QDir>
#include <QStandardPaths>

#include <libpq-fe.h>

#include <memory>

namespace Book {

namespace {

bool IsAddress(const QString& text)
{
    return text.startsWith(QLatin1String("postgresql://"))
           || text.startsWith(QLatin1String("postgres://"));
}

std::variant<BookLocation, QString> ReadPostgreSql(const QString& text)
{
    char* error = nullptr;
    const QByteArray utf8 = text.toUtf8();
    std::unique_ptr<PQconninfoOption, decltype(&PQconninfoFree)> options(
        PQconninfoParse(utf8.constData(), &error), &PQconninfoFree);
    if (!options) {
        QString why = error ? QString::fromUtf8(error).trimmed() : QStringLiteral("unreadable");
        PQfreemem(error);
        return QStringLiteral("the book's address cannot be read: %1").arg(why);
    }
    BookLocation location;
    location.kind = BookLocation::Kind::PostgreSQL;
    for (const PQconninfoOption* option = options.get(); option->keyword; ++option) {
        if (!option->val || !*option->val)
            continue;
        const QString key = QString::fromUtf8(option->keyword);
        const QString value = QString::fromUtf8(option->val);
        if (key == QLatin1String("password"))
            return QStringLiteral("the book's address holds a password; Tarnwell never keeps one: "
                                  "put it in ~/.pgpass (or a service file) and leave it out of "
                                  "the address");
        if (key == QLatin1String("host"))
            location.host = value;
        else if (key == QLatin1String("port")) {
            bool ok = false;
            location.port = value.toInt(&ok);
            if (!ok || location.port <= 0 || location.port > 65535)
                return QStringLiteral("the book's address has no port number \"%1\"").arg(value);
        } else if (key == QLatin1String("user"))
            location.user = value;
        else if (key == QLatin1String("dbname"))
            location.database = value;
        else
            location.options << key + QLatin1Char('=') + value;
    }
    if (location.database.isEmpty() && !location.options.join(' ').contains("service="))
        return QStringLiteral("the book's address names no database: "
                              "postgresql://[user@][host][:port]/dbname");
    location.given = text;
    return location;
}

} // namespace

QString BookLocation::Describe() const
{
    if (!IsPostgreSql())
        return QStringLiteral("the book %1").arg(path);
    const QString where = host.isEmpty() ? QStringLiteral("the local server")
                                         : QStringLiteral("host %1").arg(host);
    return QStringLiteral("the book \"%1\" on %2").arg(database, where);
}

std::variant<BookLocation, QString> ReadLocation(const QString& text)
{
    if (text.isEmpty())
        return QStringLiteral("no book named: a file's path or a postgresql:// address");
    if (IsAddress(text))
        return ReadPostgreSql(text);
    BookLocation location;
    location.path = QDir::cleanPath(QDir::current().absoluteFilePath(text));
    location.given = text;
    return location;
}

QString DefaultBookPath()
{
    return QStandardPaths::writableLocation(QStandardPaths::GenericDataLocation)
           + QStringLiteral("/Tarnwell/book.sqlite");
}

std::variant<BookLocation, QString> ChooseBook(const std::optional<QString>& commandLine,
                                               const QString& setting)
{
    if (commandLine)
        return ReadLocation(*commandLine);
    const QString environment = qEnvironmentVariable("TARNWELL_BOOK");
    if (!environment.isEmpty()) {
        auto location = ReadLocation(environment);
        if (auto* error = std::get_if<QString>(&location))
            *error = QStringLiteral("TARNWELL_BOOK: ") + *error;
        return location;
    }
    if (!setting.isEmpty())
        return ReadLocation(setting);
    return ReadLocation(DefaultBookPath());
}

} // namespace Book
