#include "book/SqlDialect.h"

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
    if (!IsSQLite())
        return {};
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

QString SqlDialect::DeleteSearchRow() const
{
    return QStringLiteral("DELETE FROM file_search WHERE rowid = ?");
}

QString SqlDialect::InsertSearchRow() const
{
    return QStringLiteral("INSERT INTO file_search (rowid, search) VALUES (?, ?)");
}

bool SqlDialect::Indexed(const QString& text) const
{
    return IsSQLite() && text.size() >= kTrigram;
}

QString SqlDialect::SearchCountQuery(const QString& text) const
{
    if (!Indexed(text))
        return {};
    return QStringLiteral("SELECT count(*) FROM (SELECT rowid FROM file_search WHERE file_search "
                          "MATCH ? LIMIT %1)")
        .arg(kFewMatches);
}

QString SqlDialect::SearchCondition(const QString& text, int matches) const
{
    // SQLite: many matches are met walking the list newest first, which stops
    // at the first screen ("+id" keeps it off the row id's index, which would
    // fetch every match first); a few are fetched and sorted.
    if (Indexed(text))
        return matches >= kFewMatches
                   ? QStringLiteral("+id IN (SELECT rowid FROM file_search WHERE file_search "
                                    "MATCH ?)")
                   : QStringLiteral("id IN (SELECT rowid FROM file_search WHERE file_search "
                                    "MATCH ?)");
    // Too short for a trigram index: SQLite reads the search text off an index
    // of the list with it, PostgreSQL walks the list newest first ("|| ''"
    // keeps it off the trigram index, which a short text would read whole).
    if (IsSQLite())
        return QStringLiteral("instr(search, ?) > 0");
    return text.size() < kTrigram ? QStringLiteral("search || '' LIKE ? ESCAPE '\\'")
                                  : QStringLiteral("search LIKE ? ESCAPE '\\'");
}

QString SqlDialect::SearchValue(const QString& text) const
{
    if (Indexed(text)) {
        // One phrase: the trigram index matches it anywhere in the text.
        QString phrase = text;
        phrase.replace(QLatin1Char('"'), QLatin1String("\"\""));
        return QLatin1Char('"') + phrase + QLatin1Char('"');
    }
    return IsSQLite() ? text : LikePattern(text);
}

} // namespace Book
