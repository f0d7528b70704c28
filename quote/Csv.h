#pragma once

// Reads and writes the rows of a CSV file as spreadsheets write them (RFC 4180): fields
// separated by ",", a field in double quotes may hold commas, line breaks and
// doubled quotes (""), records end with CRLF, LF or a lone CR (old spreadsheet
// exports). A byte-order mark at the start (spreadsheets write one in "CSV
// UTF-8") is skipped.
//
// The reader streams: it holds one record at a time, whatever the size of the
// file, and bounds what one record may hold, so that a hostile or broken file
// is a row error rather than memory without end.

#include <cstddef>
#include <istream>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

namespace Quote {

// The longest field a record holds; a longer one is a row error.
inline constexpr std::size_t kLongestCsvField = 64 * 1024;

struct CsvRecord {
    std::size_t row = 0; // as a spreadsheet numbers it: the first record is row 1
    std::vector<std::string> fields;
    std::string error; // why the record could not be read; empty when it was
    // The field (from 0) the error is in, when it is in one.
    std::optional<std::size_t> errorField;
};

class CsvReader {
public:
    // The stream must outlive the reader.
    explicit CsvReader(std::istream& in);

    // The most fields a record may have; the first field beyond is an error
    // (the record is read on to its end, its extra fields dropped).
    void SetWidth(std::size_t fields) { m_width = fields; }

    // The next record; false at the end of the input or when it cannot be read
    // (Failed()). A record that cannot be read (a quote inside an unquoted
    // field, text after a closing quote, a quoted field that is never closed,
    // a field too long, too many fields) comes back with its error, and
    // reading goes on at the next line. The record's storage is reused.
    bool Next(CsvRecord& record);

    // True when reading stopped before the end of the input: the stream
    // failed (a read error, memory). What was read is then not the whole file.
    bool Failed() const { return m_failed; }

private:
    int Get()
    {
        if (m_at == m_end && !Fill())
            return -1;
        return static_cast<unsigned char>(m_buffer[m_at++]);
    }
    int Peek()
    {
        if (m_at == m_end && !Fill())
            return -1;
        return static_cast<unsigned char>(m_buffer[m_at]);
    }
    bool Fill();

    std::istream& m_in;
    std::vector<char> m_buffer;
    std::size_t m_at = 0, m_end = 0;
    std::size_t m_row = 0;
    std::size_t m_width = static_cast<std::size_t>(-1);
    bool m_started = false;
    bool m_failed = false;
};

// A field as a CSV writer must put it: in quotes, with its quotes doubled,
// when it holds a comma, a quote or a line break.
std::string CsvField(std::string_view text);

// The same written at the end of `row`, which a report reuses row after row.
void AppendCsvField(std::string& row, std::string_view text);

// A text cell as a spreadsheet must not take it for a formula: a "'" before
// a text that begins with "=", "+", "-", "@", a tab or a carriage return.
std::string CsvText(std::string_view text);
// The text such a cell was made from: its leading "'" taken off again.
std::string CsvTextRead(std::string_view cell);

// A record of fields, ended by a line feed.
std::string CsvRow(const std::vector<std::string>& fields);

} // namespace Quote
