#include "quote/Csv.h"

#include <algorithm>

namespace Quote {

namespace {
constexpr std::size_t kChunk = 64 * 1024;
}

CsvReader::CsvReader(std::istream& in) : m_in(in), m_buffer(kChunk) {}

bool CsvReader::Fill()
{
    if (m_failed || !m_in.good())
        return false;
    m_in.read(m_buffer.data(), static_cast<std::streamsize>(m_buffer.size()));
    m_at = 0;
    m_end = static_cast<std::size_t>(m_in.gcount());
    // The end of the input sets eof; anything else that stops a read (an
    // error of the device, a failed allocation in the stream) sets bad.
    if (m_in.bad() || (m_end == 0 && !m_in.eof()))
        m_failed = true;
    return m_end > 0 && !m_failed;
}

bool CsvReader::Next(CsvRecord& record)
{
    if (!m_started) {
        m_started = true;
        // Skipped only when all three bytes are there.
        if (Peek() == 0xEF && m_end - m_at >= 3 && m_buffer[m_at + 1] == '\xBB'
            && m_buffer[m_at + 2] == '\xBF')
            m_at += 3;
    }
    if (Peek() < 0)
        return false;
    record.row = ++m_row;
    record.error.clear();
    record.errorField.reset();
    std::size_t count = 0; // fields begun
    std::string* field = nullptr;
    const auto begin = [&] {
        if (count < record.fields.size())
            record.fields[count].clear(); // its storage kept for the next rows
        else
            record.fields.emplace_back();
        field = &record.fields[count++];
    };
    // A fault is noted and the record read on to its real end, quotes and
    // all, so that the records after it keep their rows.
    const auto fault = [&](const char* why, std::optional<std::size_t> at = std::nullopt) {
        if (record.error.empty()) {
            record.error = why;
            record.errorField = at;
        }
    };
    std::size_t index = 0; // of the field being read, kept or not
    bool kept = true;      // the field is within the width
    const auto add = [&](char c) {
        if (!kept)
            return;
        if (field->size() < kLongestCsvField)
            *field += c;
        else
            fault("the field is longer than 64 KiB", index);
    };
    begin();
    bool atStart = true;     // nothing of the field read yet
    bool quoted = false;     // inside a quoted field
    bool afterQuote = false; // a quoted field has just been closed
    for (int c; (c = Get()) >= 0;) {
        // A run of plain characters of an unquoted field, taken at once from
        // the buffer up to the next character that means something.
        if (!quoted && !afterQuote && kept && c != ',' && c != '\n' && c != '\r' && c != '"') {
            const char* const from = m_buffer.data() + m_at - 1;
            const char* const end = m_buffer.data() + m_end;
            const char* to = from + 1;
            while (to != end && *to != ',' && *to != '\n' && *to != '\r' && *to != '"')
                ++to;
            const auto length = static_cast<std::size_t>(to - from);
            if (field->size() + length <= kLongestCsvField) {
                field->append(from, length);
                m_at += length - 1;
                atStart = false;
                continue;
            }
        }
        if (quoted) {
            if (c != '"') {
                add(static_cast<char>(c));
            } else if (Peek() == '"') {
                add(static_cast<char>(Get()));
            } else {
                quoted = false;
                afterQuote = true;
            }
            continue;
        }
        if (c == ',') {
            afterQuote = false;
            atStart = true;
            ++index;
            if (index < m_width) {
                begin();
            } else {
                kept = false;
                fault("the row has more fields than the header has columns", index);
            }
        } else if (c == '\n' || c == '\r') {
            if (c == '\r' && Peek() == '\n')
                Get();
            break;
        } else if (afterQuote) {
            fault("a quoted field is followed by more text before the next \",\"");
            add(static_cast<char>(c));
        } else if (c == '"' && atStart) {
            quoted = true;
            atStart = false;
        } else {
            atStart = false;
            if (c == '"')
                fault("a field that holds a quote must be in quotes, its quote doubled");
            add(static_cast<char>(c));
        }
    }
    if (quoted)
        fault("a quoted field is not closed before the end of the file");
    record.fields.resize(count);
    return !m_failed;
}

std::string CsvField(std::string_view text)
{
    std::string field;
    AppendCsvField(field, text);
    return field;
}

void AppendCsvField(std::string& row, std::string_view text)
{
    // One pass over the text, not one search per character it could hold.
    const auto special = [](char c) { return c == ',' || c == '"' || c == '\r' || c == '\n'; };
    if (std::none_of(text.begin(), text.end(), special)) {
        row.append(text);
        return;
    }
    row += '"';
    for (const char c : text) {
        row += c;
        if (c == '"')
            row += '"';
    }
    row += '"';
}

namespace {
constexpr std::string_view kFormulaStarts = "=+-@\t\r";
}

std::string CsvText(std::string_view text)
{
    const bool formula = !text.empty() && kFormulaStarts.find(text[0]) != std::string_view::npos;
    return (formula ? "'" : "") + std::string(text);
}

std::string CsvTextRead(std::string_view cell)
{
    if (cell.size() > 1 && cell[0] == '\''
        && kFormulaStarts.find(cell[1]) != std::string_view::npos)
        cell.remove_prefix(1);
    return std::string(cell);
}

std::string CsvRow(const std::vector<std::string>& fields)
{
    std::string row;
    for (std::size_t i = 0; i < fields.size(); ++i) {
        if (i > 0)
            row += ',';
        AppendCsvField(row, fields[i]);
    }
    return row + '\n';
}

} // namespace Quote
