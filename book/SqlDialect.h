#pragma once

// What differs between the two databases a book lives in, and nothing else:
// the driver, the row id's type, how a writing transaction begins and locks
// the file it changes, the book's mark in a SQLite file, and the search
// indexes (SQLite's FTS5 trigram table; PostgreSQL's pg_trgm index and its
// index of short pieces). Every
// other statement of the book is the same on both.

#include <QString>
#include <QStringList>

namespace Book {

class SqlDialect {
public:
    enum class Kind { SQLite, PostgreSQL };
    explicit SqlDialect(Kind kind) : m_kind(kind) {}

    Kind kind() const { return m_kind; }
    bool IsSQLite() const { return m_kind == Kind::SQLite; }
    QString DriverName() const;

    // The files table's row id, made by the database.
    QString IdColumn() const;
    // Bytes kept whole (a report's PDF).
    QString BlobType() const
    {
        return IsSQLite() ? QStringLiteral("BLOB") : QStringLiteral("BYTEA");
    }
    // Begins a transaction that writes: SQLite takes the write lock at once
    // (so that two programs on one desk wait for each other instead of
    // failing half-way); PostgreSQL locks the file's row when reading it.
    QString BeginWrite() const;
    QString LockRow() const;

    // The names of the tables that are in the database, one a row.
    QString TablesQuery() const;

    // SQLite's file header mark of a book ('TRNW'); PostgreSQL has none.
    static constexpr int kApplicationId = 0x54524E57;

    // Statements run on every connection before anything else.
    QStringList Session(bool writable) const;

    // The search index, made with the book. Statements marked optional may
    // fail (pg_trgm not installed, or not allowed to this user): the search
    // then reads the list as a whole, slower but the same answers.
    struct Statement {
        QString sql;
        bool optional = false;
    };
    QList<Statement> SearchSchema() const;
    // What the second version adds to it. PostgreSQL: an index of the one-
    // and two-character pieces of each file's text, which a trigram index
    // cannot answer (a GIN index of an array of them). SQLite: its search
    // rows hold marks of those pieces (SearchRowText), and are numbered in
    // the order the files changed (a save gives its file's row the next
    // number, kept in files.search_row), so that the index itself gives the
    // matches newest change first and stops at the first screen.
    QStringList SearchSchemaVersion2() const;

    // SQLite keeps its search text in a table of its own, written by the save:
    // the file's row deleted, a new one inserted, and linked to the file.
    bool KeepsSearchRows() const { return IsSQLite(); }
    QString DeleteSearchRow() const; // binds the file's id
    QString InsertSearchRow() const; // binds SearchRowText
    QString LinkSearchRow() const;   // binds the file's id
    // The text of a file's search row: its search text, then a mark for each
    // piece of one or two characters of it, which a trigram index finds as
    // a word of three ("\1ab" for "ab", "\2a\2" for "a").
    static QString SearchRowText(const QString& search);

    // SQLite's search: the files its index matches (binding SearchIndexValue),
    // newest change first, read in the index's order.
    bool SearchesInOrder() const { return IsSQLite(); }
    QString OrderedSearchFrom() const;
    QString OrderedSearchCondition() const;
    QString OrderedSearchOrder() const;

    // The value the SQLite search binds, for a text already in lower case.
    static QString SearchIndexValue(const QString& text);

    // PostgreSQL's search. A text of three characters or more is found by
    // the trigram index (the planner chooses between fetching the matches
    // and walking the list newest first). A shorter one is first counted on
    // the index of pieces, up to kFewMatches (SearchCountQuery, binding the
    // text): none, the list is empty without reading it; a few are fetched
    // and sorted; many are met walking the list newest first, which stops
    // at the first screen (SearchCondition and SearchValue, given the count).
    static constexpr int kFewMatches = 300;
    bool CountsFirst(const QString& text) const;
    QString SearchCountQuery() const;
    QString SearchCondition(const QString& text, int matches) const;
    QString SearchValue(const QString& text, int matches) const;

private:
    Kind m_kind;
};

} // namespace Book
