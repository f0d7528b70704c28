#pragma once

// One closing of a batch file: a CSV record read, by the columns its header
// names, into the engine's ClosingRequest and the agency's file number. What
// cannot be read is a row fault naming the columns at fault, so that the
// caller reports it against its row and goes on with the next. The batch
// report reads its rows here; so may anything else that takes closings from
// a spreadsheet.
//
// The columns: file and split (required), price, loan, prior_owners (or
// prior_owner), prior_loan, coverage, endorsements (forms separated by blanks
// or commas) and cpl (yes or no), in any order and case, blanks around a name
// or a cell ignored. An empty cell is an absent input.

#include "quote/ClosingInput.h"
#include "quote/Csv.h"

#include "engine/Closing.h"

#include <array>
#include <optional>
#include <string>
#include <string_view>
#include <variant>
#include <vector>

namespace Quote {

struct ClosingRow {
    std::string file; // the agency's file number, blanks around it trimmed
    StateCalcs::ClosingRequest request;
};

struct RowFault {
    std::vector<std::string> columns; // as the header names them; none: the row as a whole
    std::string reason;               // one line, any input in it quoted
};

using RowReading = std::variant<ClosingRow, RowFault>;

class ClosingRowReader {
public:
    // The columns a header can name, each once: the most fields it has.
    static constexpr std::size_t kMostColumns = 9;

    // The reader of a file's rows, or why its header (row 1) does not name
    // the columns of a closing (one line).
    static std::variant<ClosingRowReader, std::string> FromHeader(const CsvRecord& header);

    // The columns of the header: the most fields a row may have.
    std::size_t Width() const { return m_width; }

    // A row read; nothing for a blank row (every cell empty, as spreadsheets
    // leave at the end).
    std::optional<RowReading> Read(const CsvRecord& record) const;

    // The column an input of a closing comes from, as the header names it.
    std::string ColumnOf(StateCalcs::ClosingField field) const;

private:
    enum Column { File, Split, Price, Loan, PriorOwners, PriorLoan, Coverage, Endorsements, Cpl };
    static constexpr std::size_t kColumnCount = kMostColumns;

    std::string NameOfField(std::size_t field) const;

    std::array<std::optional<std::size_t>, kColumnCount> m_at{}; // field of each column
    std::array<std::string, kColumnCount> m_names;               // as the header writes them
    std::size_t m_width = 0;
};

} // namespace Quote
