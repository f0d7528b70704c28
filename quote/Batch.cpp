#include "quote/Batch.h"

#include "quote/BatchRow.h"
#include "quote/ClosingInput.h"
#include "quote/Csv.h"

#include "engine/NumberText.h"

#include <algorithm>
#include <array>
#include <optional>
#include <string>
#include <vector>

namespace Quote {

using namespace StateCalcs;

namespace {

class BatchRun {
public:
    BatchRun(std::string_view program, std::ostream& out, std::ostream& err)
        : m_program(program), m_out(out), m_err(err)
    {}

    // The header names the columns; false (reported) when it does not.
    bool ReadHeader(const CsvRecord& header, std::string_view source)
    {
        if (const auto why = m_layout.ReadHeader(header)) {
            m_err << m_program << ": " << source << ": " << *why << '\n';
            return false;
        }
        m_out << CsvRow({"file", "split", "codes", "gross", "remit", "lenders_disclosed",
                         "owners_disclosed", "other_disclosed"});
        return true;
    }

    void PriceRow(const CsvRecord& record)
    {
        const auto priced = m_layout.Price(record);
        if (!priced)
            return;
        if (const auto* problem = std::get_if<RowProblem>(&*priced)) {
            m_failed = true;
            return ReportRow(m_err, m_program, record.row, *problem);
        }
        const PricedRow& row = std::get<PricedRow>(*priced);
        Write(row.file, row.quote);
    }

    int Finish()
    {
        const auto plain = [](std::int64_t cents) { return FormatCents(cents, false); };
        m_out << CsvRow({"TOTAL", "", "", plain(m_grossCents), plain(m_remitCents), "", "", ""});
        return m_failed ? kBatchRowsFailed : kBatchPriced;
    }

private:
    void Write(const std::string& file, const ClosingQuote& quote)
    {
        const auto plain = [](std::int64_t cents) { return FormatCents(cents, false); };
        std::string codes;
        for (const QuotedLine& line : quote.lines)
            codes += (codes.empty() ? "" : " ") + std::string(line.code);
        const TridDisclosure& trid = quote.trid;
        m_out << CsvRow({CsvText(file), FormatStandard(quote.splitPercent), codes,
                         plain(quote.grossCents), plain(quote.remitCents),
                         plain(trid.lendersDisclosedCents), plain(trid.ownersDisclosedCents),
                         plain(trid.otherCents)});
        m_grossCents += quote.grossCents;
        m_remitCents += quote.remitCents;
    }

    std::string_view m_program;
    std::ostream& m_out;
    std::ostream& m_err;
    BatchLayout m_layout;
    std::int64_t m_grossCents = 0;
    std::int64_t m_remitCents = 0;
    bool m_failed = false;
};

} // namespace

int RunBatch(std::string_view text, std::string_view source, std::string_view program,
             std::ostream& out, std::ostream& err)
{
    CsvReader reader(text);
    CsvRecord record;
    BatchRun run(program, out, err);
    if (!reader.Next(record)) {
        err << program << ": " << source << ": the file is empty; it needs a header row\n";
        return kBatchUnreadable;
    }
    if (!run.ReadHeader(record, source))
        return kBatchUnreadable;
    while (reader.Next(record))
        run.PriceRow(record);
    return run.Finish();
}

} // namespace Quote
