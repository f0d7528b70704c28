#pragma once

// The month's remittance report: every closing of a CSV file priced, one row
// each with its Gross and Remit and its TRID figures, and a last row with the
// totals the agency remits to its underwriter. A row that cannot be priced is
// reported with its row and column and left out; the others are priced.

#include <ostream>
#include <string_view>

namespace Quote {

// Exit statuses of a batch.
inline constexpr int kBatchPriced = 0;     // every closing priced
inline constexpr int kBatchRowsFailed = 1; // some rows reported on `err`, the rest priced
inline constexpr int kBatchUnreadable = 2; // no header with the columns it needs

// `source` names the file in messages. Messages go to `err`, each one line
// beginning with `program`.
int RunBatch(std::string_view text, std::string_view source, std::string_view program,
             std::ostream& out, std::ostream& err);

} // namespace Quote
