#pragma once

// What the book's tests share: a closing priced by the engine, a file's
// details, and a direct connection to a book for what no program of
// Tarnwell would do to it (marking it newer, filling its disk).

#include "book/Book.h"

#include <QSqlDatabase>

namespace BookTest {

struct Priced {
    Book::StoredClosing closing;
    Book::StoredQuote quote;
};

// The engine's quote of a closing written as tarnwell-quote's options take
// it: {"--split", "15", "--price", "250000", "--cpl"}.
Priced Price(const std::vector<std::string>& options);

Book::FileDetails Details(const QString& fileNumber,
                          const QString& buyers = QStringLiteral("Ann Smith"));

// Opens the book for writing; fails the test when it cannot.
std::unique_ptr<Book::Book> OpenForWriting(const Book::BookLocation& location);

// Saves a file as new; fails the test when it is not saved.
void SaveNew(Book::Book& book, const Book::FileDetails& details, const Priced& priced);

// A connection of the tests' own to a book, outside Tarnwell, named `name`
// (removed by the caller); fails the test when it does not open.
QSqlDatabase Connect(const Book::BookLocation& location, const QString& name);

// Runs statements on a book outside Tarnwell.
void Tamper(const Book::BookLocation& location, const QStringList& statements);

} // namespace BookTest
