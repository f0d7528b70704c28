#include "quote/Csv.h"

namespace Quote {

CsvReader::CsvReader(std::string_view text) : m_text(text)
{
    if (m_text.starts_with("\xEF\xBB\xBF"))
        m_at = 3;
}

bool CsvReader::Next(CsvRecord& record)
{
    if (m_at >= m_text.size())
        return false;
    record = CsvRecord{++m_row, {std::string()}, {}};
    // A fault is noted and the record read on to its real end, quotes and
    // all, so that the records after it keep their rows.
    const auto fault = [&](const char* why) {
        if (record.error.empty())
            record.error = why;
    };
    bool quoted = false;     // inside a quoted field
    bool afterQuote = false; // a quoted field has just been closed
    while (m_at < m_text.size()) {
        const char c = m_text[m_at++];
        std::string& field = record.fields.back();
        if (quoted) {
            if (c != '"') {
                field += c;
            } else if (m_at < m_text.size() && m_text[m_at] == '"') {
                field += m_text[m_at++];
            } else {
                quoted = false;
                afterQuote = true;
            }
            continue;
        }
        const bool lineEnd = m_at == m_text.size() || m_text[m_at] == '\n';
        if (c == ',') {
            record.fields.emplace_back();
            afterQuote = false;
        } else if (c == '\n' || (c == '\r' && lineEnd)) {
            m_at += c == '\r' && m_at < m_text.size() ? 1 : 0;
            return true;
        } else if (afterQuote) {
            fault("a quoted field is followed by more text before the next \",\"");
            field += c;
        } else if (c == '"' && field.empty()) {
            quoted = true;
        } else {
            if (c == '"')
                fault("a field that holds a quote must be in quotes, its quote doubled");
            field += c;
        }
    }
    if (quoted)
        fault("a quoted field is not closed before the end of the file");
    return true;
}

std::string CsvField(std::string_view text)
{
    if (text.find_first_of(",\"\r\n") == std::string_view::npos)
        return std::string(text);
    std::string field = "\"";
    for (const char c : text) {
        field += c;
        if (c == '"')
            field += '"';
    }
    return field + '"';
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
    for (std::size_t i = 0; i < fields.size(); ++i)
        row += (i > 0 ? "," : "") + CsvField(fields[i]);
    return row + '\n';
}

} // namespace Quote
