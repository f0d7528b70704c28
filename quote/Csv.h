#pragma once

// Reads and writes the rows of a CSV file as spreadsheets write them (RFC 4180): fields
// separated by ",", a field in double quotes may hold commas, line breaks and
// doubled quotes (""), records end with CRLF or LF. A byte-order mark at the
// start (spreadsheets write one in "CSV UTF-8") is skipped.

#include <cstddef>
#include <string>
#include <string_view>
#include <vector>

namespace Quote {

struct CsvRecord {
    std::size_t row = 0; // as a spreadsheet numbers it: the first record is row 1
    std::vector<std::string> fields;
    std::string error; // why the record could not be read; empty when it was
};

class CsvReader {
public:
    // The text must outlive the reader.
    explicit CsvReader(std::string_view text);

    // The next record; false at the end of the text. A record that cannot be
    // read (a quote inside an unquoted field, text after a closing quote, a
    // quoted field that is never closed) comes back with its error, and
    // reading goes on at the next line.
    bool Next(CsvRecord& record);

private:
    std::string_view m_text;
    std::size_t m_at = 0;
    std::size_t m_row = 0;
};

// A field as a CSV writer must put it: in quotes, with its quotes doubled,
// when it holds a comma, a quote or a line break.
std::string CsvField(std::string_view text);

// A text cell as a spreadsheet must not take it for a formula: a "'" before
// a text that begins with "=", "+", "-", "@", a tab or a carriage return.
std::string CsvText(std::string_view text);
// The text such a cell was made from: its leading "'" taken off again.
std::string CsvTextRead(std::string_view cell);

// A record of fields, ended by a line feed.
std::string CsvRow(const std::vector<std::string>& fields);

} // namespace Quote
