#pragma once

// Imports a CSV file of closings into the book: the batch file of
// tarnwell-quote, each row read and priced by the batch's own reading of a
// row (ClosingRowReader), with optional columns for the file's details. The
// file is streamed, one row at a time. Each row is committed
// on its own, so that an interrupted import keeps what it committed and a
// rerun adds the rest.

#include "book/Book.h"

#include <istream>
#include <ostream>
#include <string_view>

namespace BookCli {

// 0 every row imported (or unchanged); 1 rows reported on `err` and
// skipped; 2 the file has no header the import can read, or the book could
// not be written. A new file without an underwriter column gets
// `defaultUnderwriter`. A row that changes a file with policies issued, or
// voided, is refused unless `amendReason` is given: the change is then an
// amendment for that reason. The optional columns owners_policy,
// loan_policy and issue_date (or owners_issue_date, loan_issue_date) record
// the policies issued after the row is saved.
int RunImport(Book::Book& book, std::istream& in, std::string_view source,
              const QString& defaultUnderwriter, const QString& amendReason, std::ostream& out,
              std::ostream& err);

} // namespace BookCli
