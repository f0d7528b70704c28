#pragma once

// One row of a batch file of closings, read and priced: the reading that
// tarnwell-quote's batch and tarnwell-book's import share, so that a row
// means the same closing to both. The header names the columns (in any
// order, in any case); a program may allow columns of its own beside the
// batch's, which it reads itself.

#include "quote/Csv.h"

#include "engine/Closing.h"

#include <cstddef>
#include <map>
#include <optional>
#include <ostream>
#include <string>
#include <string_view>
#include <variant>
#include <vector>

namespace Quote {

// Why a row cannot be priced, and the columns that say so (none: the row as
// a whole).
struct RowProblem {
    std::vector<std::string> columns;
    std::string reason;
};

// "tarnwell-quote: row 4, column price: ..." on one line.
void ReportRow(std::ostream& err, std::string_view program, std::size_t row,
               const RowProblem& problem);

struct PricedRow {
    std::string file; // the file number, trimmed
    StateCalcs::ClosingRequest request;
    StateCalcs::ClosingQuote quote;
};

class BatchLayout {
public:
    // Reads the header; the reason it cannot be read, or nothing. `extra`
    // are the columns the program allows besides the batch's.
    std::optional<std::string> ReadHeader(const CsvRecord& header,
                                          const std::vector<std::string_view>& extra = {});

    // A row: nothing for a blank row (as spreadsheets leave at the end), else
    // the closing priced or why it cannot be.
    std::optional<std::variant<PricedRow, RowProblem>> Price(const CsvRecord& record) const;

    // Where an extra column is, if the header has it.
    std::optional<std::size_t> Extra(std::string_view name) const;

    // A cell trimmed of blanks around it.
    static std::string Trimmed(std::string_view text);

private:
    std::map<std::string, std::size_t, std::less<>> m_columns;
    std::size_t m_width = 0;
};

} // namespace Quote
