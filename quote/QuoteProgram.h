#pragma once

// tarnwell-quote: every title charge of a closing from the command line, as
// a table, JSON or CSV, or a whole batch of closings as the month's
// remittance report. The program runs on the streams it is given, so that
// the tests run it whole, in-process.
//
//   ClosingInput  the options or a batch row, read into a ClosingRequest
//   QuoteWriters  the table, JSON and CSV of one closing
//   Explain       the math behind each figure
//   Batch, Csv    the batch file and its report
//   ClosingRow    one row of a batch file read into a closing
//   EndorsementList  the endorsements with their charges (--list-endorsements)

#include <iosfwd>
#include <string>
#include <vector>

namespace Quote {

inline constexpr const char* kProgramName = "tarnwell-quote";

// Exit statuses: 0 quoted; 1 a batch priced with rows that failed; 2 nothing
// quoted (a bad option or amount, a refused closing, an unreadable batch), a
// batch not read to its end, or output that could not be written (a full
// disk, a closed pipe).
inline constexpr int kQuoted = 0;
inline constexpr int kUsageError = 2;

// `args` are the command line without the program's name. A batch given as
// "-" is read from `in`.
int RunQuote(const std::vector<std::string>& args, std::istream& in, std::ostream& out,
             std::ostream& err);

} // namespace Quote
