#pragma once

// What differs between the two databases a book lives in, and nothing else:
// the driver, the row id's type, how a writing transaction begins and locks
// the file it changes, the book's mark in a SQLite file, and the search
// indexes (SQLite's FTS5 trigram table; PostgreSQL's narrow search table
// with its pg_trgm index, and its index of short pieces). Every other
// statement of the book is the same on both.

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
    QStringList SearchSchemaVersion3() const;

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

    // What the fourth version adds. PostgreSQL: a narrow table of each
    // file's id, change time, month, underwriter and search text, written by
    // every save (WriteSearchTable, binding the file's id, the change time,
    // the month, the underwriter and the search text), which the search
    // reads instead of the wide files table, so that fetching thousands of
    // matches to find the newest is cheap; its pg_trgm index is optional
    // and the files table's own is dropped. SQLite: nothing.
    QList<Statement> SearchSchemaVersion4() const;
    bool KeepsSearchTable() const { return !IsSQLite(); }
    QString WriteSearchTable() const;

    // PostgreSQL's search. A text of one or two characters is first counted
    // on the files' index of its pieces, up to kFewMatches (CountsFirst;
    // SearchCountQuery, binding the text): none, the list is empty without
    // reading more; a few are fetched from the files by that index and
    // sorted (PiecesSearchCondition, binding the text). A longer text, and
    // a short one many files hold, are found on the narrow search table
    // (NarrowSearchCondition, binding LikeValue): NarrowSearch gives the ids
    // of a screen of matches, newest change first, among the kNewestWalked
    // files changed last (`newest`), or among them all, fetched by the
    // trigram index or read whole, as the planner chooses; it binds the
    // condition's values, then the screen's size and offset.
    static constexpr int kFewMatches = 300;
    static constexpr int kNewestWalked = 10000;
    bool CountsFirst(const QString& text) const;
    QString SearchCountQuery() const;
    QString PiecesSearchCondition() const;
    QString NarrowSearchCondition(const QString& text) const;
    static QString LikeValue(const QString& text);
    QString NarrowSearch(bool newest, const QString& where) const;

private:
    Kind m_kind;
};

} // namespace Book
