#include "book/SqlDialect.h"

#include <QSet>

namespace Book {

namespace {

// LIKE's own characters taken literally.
QString LikePattern(const QString& text)
{
    QString escaped;
    for (const QChar c : text) {
        if (c == QLatin1Char('%') || c == QLatin1Char('_') || c == QLatin1Char('\\'))
            escaped += QLatin1Char('\\');
        escaped += c;
    }
    return QLatin1Char('%') + escaped + QLatin1Char('%');
}

// The trigram index answers a text of three characters or more.
constexpr qsizetype kTrigram = 3;

// The marks of a one- and a two-character piece in SQLite's search rows:
// characters no typed text holds.
const QChar kOneMark(0x2);
const QChar kTwoMark(0x1);

} // namespace

QString SqlDialect::DriverName() const
{
    return IsSQLite() ? QStringLiteral("QSQLITE") : QStringLiteral("QPSQL");
}

QString SqlDialect::IdColumn() const
{
    return IsSQLite() ? QStringLiteral("INTEGER PRIMARY KEY")
                      : QStringLiteral("BIGSERIAL PRIMARY KEY");
}

QString SqlDialect::BeginWrite() const
{
    return IsSQLite() ? QStringLiteral("BEGIN IMMEDIATE") : QStringLiteral("BEGIN");
}

QString SqlDialect::LockRow() const
{
    return IsSQLite() ? QString() : QStringLiteral(" FOR UPDATE");
}

QString SqlDialect::TablesQuery() const
{
    return IsSQLite() ? QStringLiteral("SELECT name FROM sqlite_master WHERE type = 'table'")
                      : QStringLiteral("SELECT table_name FROM information_schema.tables "
                                       "WHERE table_schema = current_schema()");
}

QStringList SqlDialect::Session(bool writable) const
{
    // The book's queries each read a screen or a month: a parallel
    // worker's start would cost a search more than it saves.
    if (!IsSQLite())
        return {QStringLiteral("SET max_parallel_workers_per_gather = 0")};
    // A save is on the disk when it returns; the write-ahead log lets one
    // program read while another writes.
    QStringList statements{QStringLiteral("PRAGMA foreign_keys = ON"),
                           QStringLiteral("PRAGMA synchronous = FULL")};
    if (writable)
        statements.prepend(QStringLiteral("PRAGMA journal_mode = WAL"));
    return statements;
}

QList<SqlDialect::Statement> SqlDialect::SearchSchema() const
{
    if (IsSQLite())
        return {{QStringLiteral("CREATE VIRTUAL TABLE file_search USING fts5 "
                                "(search, tokenize = 'trigram')")},
                // The list in order with its search text, read without its rows.
                {QStringLiteral("CREATE INDEX files_search ON files (changed_at, id, search)")}};
    // pg_trgm is a trusted extension: the database's owner may create it.
    return {{QStringLiteral("CREATE EXTENSION IF NOT EXISTS pg_trgm"), true},
            {QStringLiteral("CREATE INDEX files_search ON files USING gin (search gin_trgm_ops)"),
             true}};
}

QStringList SqlDialect::SearchSchemaVersion3() const
{
    if (IsSQLite())
        return {QStringLiteral("ALTER TABLE files ADD COLUMN search_row INTEGER"),
                QStringLiteral("CREATE INDEX files_by_search_row ON files (search_row)")};
    // Every piece of one or two characters of the text, kept beside it; the
    // index is written at each save rather than queued, so that a search
    // never reads a queue.
    return {QStringLiteral(
                "CREATE FUNCTION book_search_pieces(text) RETURNS text[] LANGUAGE sql IMMUTABLE "
                "STRICT PARALLEL SAFE AS 'SELECT array_agg(DISTINCT piece) FROM "
                "(SELECT substr($1, i, 2) AS piece FROM generate_series(1, length($1)) AS i "
                "UNION ALL SELECT substr($1, i, 1) FROM generate_series(1, length($1)) AS i) "
                "AS pieces'"),
            QStringLiteral("ALTER TABLE files ADD COLUMN search_pieces text[] GENERATED ALWAYS "
                           "AS (book_search_pieces(search)) STORED"),
            QStringLiteral("CREATE INDEX files_search_pieces ON files USING gin (search_pieces) "
                           "WITH (fastupdate = off)")};
}

QList<SqlDialect::Statement> SqlDialect::SearchSchemaVersion4() const
{
    if (IsSQLite())
        return {};
    return {
        {QStringLiteral("CREATE TABLE file_search (file_id BIGINT PRIMARY KEY REFERENCES "
                        "files (id), changed_at TEXT NOT NULL, month TEXT NOT NULL, "
                        "underwriter TEXT NOT NULL, search TEXT NOT NULL)")},
        {QStringLiteral("INSERT INTO file_search (file_id, changed_at, month, underwriter, "
                        "search) SELECT id, changed_at, month, underwriter, search FROM files")},
        {QStringLiteral("CREATE INDEX file_search_by_change ON file_search (changed_at, file_id)")},
        {QStringLiteral("DROP INDEX IF EXISTS files_search")},
        {QStringLiteral("CREATE INDEX file_search_text ON file_search "
                        "USING gin (search gin_trgm_ops)"),
         true},
        // The planner's figures of the table, from the first search on.
        {QStringLiteral("ANALYZE file_search")}};
}

QString SqlDialect::WriteSearchTable() const
{
    return QStringLiteral(
        "INSERT INTO file_search (file_id, changed_at, month, underwriter, search) "
        "VALUES (?, ?, ?, ?, ?) ON CONFLICT (file_id) DO UPDATE SET "
        "changed_at = excluded.changed_at, month = excluded.month, "
        "underwriter = excluded.underwriter, search = excluded.search");
}

QString SqlDialect::DeleteSearchRow() const
{
    return QStringLiteral(
        "DELETE FROM file_search WHERE rowid = (SELECT search_row FROM files WHERE id = ?)");
}

QString SqlDialect::InsertSearchRow() const
{
    return QStringLiteral("INSERT INTO file_search (search) VALUES (?)");
}

QString SqlDialect::LinkSearchRow() const
{
    return QStringLiteral("UPDATE files SET search_row = last_insert_rowid() WHERE id = ?");
}

QString SqlDialect::OrderedSearchFrom() const
{
    return QStringLiteral("file_search JOIN files ON files.search_row = file_search.rowid");
}

QString SqlDialect::OrderedSearchCondition() const
{
    return QStringLiteral("file_search MATCH ?");
}

QString SqlDialect::OrderedSearchOrder() const
{
    return QStringLiteral("file_search.rowid DESC");
}

QString SqlDialect::SearchRowText(const QString& search)
{
    QString marks;
    QSet<QString> seen;
    for (qsizetype i = 0; i < search.size(); ++i)
        for (qsizetype length : {1, 2}) {
            const QString piece = search.mid(i, length);
            if (piece.size() != length || piece.contains(QLatin1Char('\n')) || seen.contains(piece))
                continue;
            seen.insert(piece);
            marks += length == 1 ? kOneMark + piece + kOneMark : kTwoMark + piece;
        }
    return search + QLatin1Char('\n') + marks;
}

QString SqlDialect::SearchIndexValue(const QString& text)
{
    // One phrase: the trigram index matches it anywhere in the text; a
    // shorter text is found by its mark.
    QString phrase = text.size() == 1   ? kOneMark + text + kOneMark
                     : text.size() == 2 ? kTwoMark + text
                                        : text;
    phrase.replace(QLatin1Char('"'), QLatin1String("\"\""));
    return QLatin1Char('"') + phrase + QLatin1Char('"');
}

bool SqlDialect::CountsFirst(const QString& text) const
{
    return !IsSQLite() && text.size() < kTrigram;
}

QString SqlDialect::SearchCountQuery() const
{
    return QStringLiteral("SELECT count(*) FROM (SELECT 1 FROM files WHERE search_pieces @> "
                          "ARRAY[?]::text[] LIMIT %1) AS found")
        .arg(kFewMatches);
}

QString SqlDialect::PiecesSearchCondition() const
{
    return QStringLiteral("search_pieces @> ARRAY[?]::text[]");
}

QString SqlDialect::NarrowSearchCondition(const QString& text) const
{
    // "|| ''" keeps a short text off the trigram index, which would read
    // it whole.
    return text.size() < kTrigram ? QStringLiteral("search || '' LIKE ? ESCAPE '\\'")
                                  : QStringLiteral("search LIKE ? ESCAPE '\\'");
}

QString SqlDialect::LikeValue(const QString& text)
{
    return LikePattern(text);
}

QString SqlDialect::NarrowSearch(bool newest, const QString& where) const
{
    // The newest files come in the order of the change index, which the
    // screen keeps: the walk stops at the screen's last match.
    if (newest)
        return QStringLiteral("SELECT file_id FROM (SELECT * FROM file_search ORDER BY "
                              "changed_at DESC, file_id DESC LIMIT %1) AS newest%2 ORDER BY "
                              "changed_at DESC, file_id DESC LIMIT ? OFFSET ?")
            .arg(kNewestWalked)
            .arg(where);
    // Every match, sorted by the change time's bytes (all of one form, so
    // in the order of the database's own collation): an order no index
    // holds, so that the planner fetches the matches and sorts them rather
    // than walk the whole table newest first in search of a screen that the
    // oldest files hold, and a sort without the collation's cost.
    return QStringLiteral("SELECT file_id FROM file_search%1 ORDER BY changed_at COLLATE \"C\" "
                          "DESC, file_id DESC LIMIT ? OFFSET ?")
        .arg(where);
}

} // namespace Book
