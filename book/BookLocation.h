#pragma once

// Which book a program works on, and where it is: a SQLite file on this desk
// or a PostgreSQL database the office shares.
//
// The book is the one named on the command line (a path or a
// postgresql:// address), else the one in TARNWELL_BOOK, else the one the
// window's settings name, else book.sqlite in the user's data folder
// (~/.local/share/Tarnwell/book.sqlite), which the window and tarnwell-book
// share.

#include <QString>
#include <QStringList>

#include <optional>
#include <variant>

namespace Book {

struct BookLocation {
    enum class Kind { SQLite, PostgreSQL };
    Kind kind = Kind::SQLite;
    QString path; // SQLite: the file
    // PostgreSQL: the address as libpq reads it. A host that is a folder is
    // the server's Unix socket.
    QString host;
    int port = -1; // -1: libpq's default
    QString user;  // empty: libpq's default (the system user)
    QString database;
    QStringList options; // every other libpq parameter, "sslmode=require"
    QString given;       // as written, for messages (never holds a password)

    bool IsPostgreSql() const { return kind == Kind::PostgreSQL; }
    // "the book /home/ann/book.sqlite", "the book \"book\" on host /run/postgresql"
    QString Describe() const;
};

// The book a text names: a postgresql:// (or postgres://) address read by
// libpq's own rules, or else a SQLite file's path.
// An address holding a password is refused: passwords belong in ~/.pgpass or
// a service file, never on a command line or in settings.
std::variant<BookLocation, QString> ReadLocation(const QString& text);

// The default book: book.sqlite in GenericDataLocation/Tarnwell.
QString DefaultBookPath();

// Where the book is taken from, in order: the command line, TARNWELL_BOOK,
// the window's setting (empty when none), the default file.
std::variant<BookLocation, QString> ChooseBook(const std::optional<QString>& commandLine,
                                               const QString& setting = {});

} // namespace Book
