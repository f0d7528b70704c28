#pragma once

// The month's remittance report and what needs doing, written out: a table
// for the terminal, CSV (money plain, 1234.50; text cells guarded) and JSON
// (money as integer cents, each line as `show --json` writes it). The
// README and the manual page list the columns and keys.

#include "bookcli/FileWriters.h"

#include "book/Remittance.h"

namespace BookCli {

std::vector<std::string> ReportColumns();
void WriteReportCsv(std::ostream& out, const Book::RemittanceReport& report);
Json ReportJson(const Book::RemittanceReport& report);
void WriteReportTable(std::ostream& out, const Book::RemittanceReport& report);

Json DueJson(const Book::DueList& due);
void WriteDueTable(std::ostream& out, const Book::DueList& due);

} // namespace BookCli
