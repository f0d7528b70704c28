#include "quote/Batch.h"

#include "quote/ClosingRow.h"
#include "quote/Csv.h"

#include "engine/NumberText.h"

#include <new>
#include <string>
#include <vector>

namespace Quote {

using namespace StateCalcs;

namespace {

class BatchRun {
public:
    BatchRun(const ClosingRowReader& rows, std::string_view program, std::ostream& out,
             std::ostream& err)
        : m_rows(rows), m_program(program), m_out(out), m_err(err)
    {
        m_out << CsvRow({"file", "split", "codes", "gross", "remit", "lenders_disclosed",
                         "owners_disclosed", "other_disclosed"});
    }

    void PriceRow(const CsvRecord& record)
    {
        const auto reading = m_rows.Read(record);
        if (!reading)
            return; // a blank row
        if (const auto* fault = std::get_if<RowFault>(&*reading))
            return Report(record.row, *fault);
        const ClosingRow& row = std::get<ClosingRow>(*reading);
        // The report shows each closing's codes and figures, not their texts.
        // Each closing is priced into the quote kept from row to row.
        if (!QuoteClosing(row.request, QuoteDetail::Figures, m_quote, m_refusal)) {
            RowFault fault{{}, m_refusal.reason};
            for (const ClosingField field : m_refusal.fields)
                fault.columns.push_back(m_rows.ColumnOf(field));
            return Report(record.row, fault);
        }
        Write(row.file, m_quote);
    }

    int Finish()
    {
        const auto plain = [](std::int64_t cents) { return FormatCents(cents, false); };
        m_written.append(
            CsvRow({"TOTAL", "", "", plain(m_grossCents), plain(m_remitCents), "", "", ""}));
        Flush();
        return m_failed ? kBatchRowsFailed : kBatchPriced;
    }

    // Whatever way the run ends, the rows priced are written.
    ~BatchRun() { Flush(); }

    BatchRun(const BatchRun&) = delete;
    BatchRun& operator=(const BatchRun&) = delete;

    // Hands the rows written so far to the stream.
    void Flush()
    {
        m_out.write(m_written.data(), static_cast<std::streamsize>(m_written.size()));
        m_written.clear();
    }

private:
    void Report(std::size_t row, const RowFault& fault)
    {
        m_failed = true;
        m_err << m_program << ": row " << row << ", ";
        if (fault.columns.empty())
            m_err << "closing";
        else
            m_err << (fault.columns.size() == 1 ? "column " : "columns ");
        for (std::size_t i = 0; i < fault.columns.size(); ++i)
            m_err << (i > 0 ? ", " : "") << fault.columns[i];
        m_err << ": " << OneLine(fault.reason) << '\n';
    }

    // The row is written after the others in storage kept from row to row,
    // and the rows handed to the stream some 64 KiB at a time: one write of
    // the stream for many rows.
    void Write(const std::string& file, const ClosingQuote& quote)
    {
        std::string& row = m_written;
        // A file number that a spreadsheet would take for a formula is written
        // as text.
        AppendCsvField(row, CsvText(file));
        row += ',';
        // The split (10 to 70) to the cent, as the "Standard" format shows it.
        if (const std::int64_t split = StandardCentsOrNone(quote.splitPercent);
            split != kNoCents && split >= 0 && split < 100'000)
            AppendCents(row, split);
        else
            AppendCsvField(row, FormatStandard(quote.splitPercent));
        row += ',';
        m_cell.clear();
        for (const QuotedLine& line : quote.lines)
            m_cell.append(m_cell.empty() ? "" : " ").append(line.code);
        AppendCsvField(row, m_cell);
        const TridDisclosure& trid = quote.trid;
        for (const std::int64_t cents :
             {quote.grossCents, quote.remitCents, trid.lendersDisclosedCents,
              trid.ownersDisclosedCents, trid.otherCents}) {
            row += ',';
            AppendCents(row, cents, false);
        }
        row += '\n';
        if (row.size() >= kRowsKept)
            Flush();
        m_grossCents += quote.grossCents;
        m_remitCents += quote.remitCents;
    }

    const ClosingRowReader& m_rows;
    std::string_view m_program;
    std::ostream& m_out;
    std::ostream& m_err;
    std::int64_t m_grossCents = 0;
    std::int64_t m_remitCents = 0;
    bool m_failed = false;
    static constexpr std::size_t kRowsKept = 64 * 1024;
    std::string m_written, m_cell; // storage kept from row to row
    ClosingQuote m_quote;
    ClosingRefusal m_refusal;
};

} // namespace

int RunBatch(std::istream& in, std::string_view source, std::string_view program, std::ostream& out,
             std::ostream& err)
{
    const auto fail = [&](const std::string& why) {
        err << program << ": " << source << ": " << why << '\n';
        return kBatchUnreadable;
    };
    try {
        CsvReader reader(in);
        CsvRecord record;
        // A header has at most one field per column a closing has.
        reader.SetWidth(ClosingRowReader::kMostColumns);
        if (!reader.Next(record))
            return fail(reader.Failed() ? "the file cannot be read"
                                        : "the file is empty; it needs a header row");
        auto header = ClosingRowReader::FromHeader(record);
        if (const auto* why = std::get_if<std::string>(&header))
            return fail("row 1: " + OneLine(*why));
        const ClosingRowReader& rows = std::get<ClosingRowReader>(header);
        reader.SetWidth(rows.Width());
        BatchRun run(rows, program, out, err);
        // A report that cannot be written is given up at the first write that
        // fails; the caller says so.
        while (out && reader.Next(record))
            run.PriceRow(record);
        run.Flush();
        if (!out)
            return kBatchUnreadable;
        if (reader.Failed())
            return fail("the file could not be read to its end (stopped at row "
                        + std::to_string(record.row) + "); the report has no TOTAL");
        return run.Finish();
    } catch (const std::bad_alloc&) {
        return fail("not enough memory to go on; the report has no TOTAL");
    }
}

} // namespace Quote
