#pragma once

// The month's remittance report: every closing of a CSV file priced, one row
// each with its Gross and Remit and its TRID figures, and a last row with the
// totals the agency remits to its underwriter. A row that cannot be priced is
// reported with its row and column and left out; the others are priced.
//
// The file is streamed: each row is read, priced and written before the next
// is read, the rows handed to the output some 64 KiB at a time, so that
// memory does not grow with the file. A TOTAL row is written
// only when the whole file was read: a read that fails, or memory that runs
// out, ends the report without one.

#include <istream>
#include <ostream>
#include <string_view>

namespace Quote {

// Exit statuses of a batch.
inline constexpr int kBatchPriced = 0;     // every closing priced
inline constexpr int kBatchRowsFailed = 1; // some rows reported on `err`, the rest priced
// No header with the columns it needs, the file not read to its end, or the
// report not written (then `out` is bad and nothing is said here).
inline constexpr int kBatchUnreadable = 2;

// `source` names the file in messages, quoted if need be. Messages go to
// `err`, each one line beginning with `program`.
int RunBatch(std::istream& in, std::string_view source, std::string_view program, std::ostream& out,
             std::ostream& err);

} // namespace Quote
