#pragma once

// A file of the book, or the file list, written out: a table for the
// terminal, JSON with the keys of tarnwell-quote --json (money as integer
// cents) and the file number under "file", and CSV whose text cells are
// guarded against spreadsheets' formulas. The README and the manual page list
// the keys and columns; other programs read them, so they stay as they are.

#include "book/BookFile.h"
#include "book/BookSettings.h"

#include <nlohmann/json.hpp>

#include <ostream>
#include <string>
#include <vector>

namespace BookCli {

using Json = nlohmann::ordered_json;

std::string Utf8(const QString& text);

// The columns of `list --csv` and one row of it.
std::vector<std::string> ListColumns();
std::vector<std::string> ListRow(const Book::FileSummary& file);
Json ListJson(const Book::FileSummary& file);
void WriteListTable(std::ostream& out, const QList<Book::FileSummary>& files);

// The columns of `export --csv` (those of import, then the totals) and a row.
std::vector<std::string> ExportColumns();
std::vector<std::string> ExportRow(const QString& fileNumber, const Book::BookFile& file);

// A file with its quote as saved; `history` adds every revision's who,
// when and what.
Json FileJson(const QString& fileNumber, const Book::BookFile& file);
Json HistoryJson(const QList<Book::RevisionInfo>& history);
void WriteFileTable(std::ostream& out, const QString& fileNumber, const Book::BookFile& file);
void WriteHistoryTable(std::ostream& out, const QList<Book::RevisionInfo>& history);

// The quote that goes to the customer: the agency's heading, the file number
// and the parties, the charges and the disclosure; no split or remittance.
void WriteCustomerQuote(std::ostream& out, const Book::Agency& agency, const QString& fileNumber,
                        const Book::BookFile& file);

} // namespace BookCli
