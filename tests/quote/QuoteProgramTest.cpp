// The whole program run in-process: its outputs against golden files, every
// kind of bad input against its one-line message, and the batch report.
//
// After a deliberate change of an output, rewrite the golden files with
//   TARNWELL_UPDATE_GOLDEN=1 build/tests/quote_tests
// and read the difference (git diff tests/quote/golden) before committing it.

#include "quote/QuoteProgram.h"

#include "../data/ClosingTable.h"
#include "engine/Closing.h"

#include <gtest/gtest.h>

#include <cstdlib>
#include <exception>
#include <fstream>
#include <sstream>
#include <stdexcept>
#include <string>
#include <utility>
#include <vector>

namespace {

const std::string kGolden = TARNWELL_GOLDEN_DIR;

struct Outcome {
    int status;
    std::string out, err;
};

Outcome Quote(const std::vector<std::string>& args, std::istream& in)
{
    std::ostringstream out, err;
    const int status = Quote::RunQuote(args, in, out, err);
    return {status, out.str(), err.str()};
}

Outcome Quote(const std::vector<std::string>& args, const std::string& input = "")
{
    std::istringstream in(input);
    return Quote(args, in);
}

std::string ReadFile(const std::string& path)
{
    std::ifstream file(path, std::ios::binary);
    std::ostringstream text;
    text << file.rdbuf();
    return text.str();
}

void ExpectGolden(const std::string& name, const std::string& actual)
{
    const std::string path = kGolden + "/" + name;
    if (std::getenv("TARNWELL_UPDATE_GOLDEN")) {
        std::ofstream(path, std::ios::binary) << actual;
        return;
    }
    EXPECT_EQ(actual, ReadFile(path)) << path;
}

std::vector<std::string> Lines(const std::string& text)
{
    std::vector<std::string> lines;
    std::istringstream in(text);
    for (std::string line; std::getline(in, line);)
        lines.push_back(line);
    return lines;
}

// ---- Golden outputs: figures checked by hand against the rates -------------

struct GoldenCase {
    const char* file;
    std::vector<std::string> args;
};

// clang-format off
const std::vector<std::string> kPurchase{"--split", "15", "--price", "250000", "--loan", "200000",
                                         "--endorse", "8.1", "--endorse", "9-06", "--cpl"};
const std::vector<std::string> kLoanAbovePrice{"--split", "15", "--price", "200000", "--loan", "250000"};
const std::vector<std::string> kRefinance{"--split", "20", "--loan", "300000", "--prior-loan", "200000",
                                          "--endorse", "3.1"};
// clang-format on

std::vector<std::string> With(std::vector<std::string> args,
                              const std::vector<std::string>& options)
{
    args.insert(args.end(), options.begin(), options.end());
    return args;
}

class Golden : public ::testing::TestWithParam<GoldenCase> {};

TEST_P(Golden, OutputIsExactlyTheGoldenFile)
{
    const Outcome run = Quote(GetParam().args);
    EXPECT_EQ(run.status, 0);
    EXPECT_EQ(run.err, "");
    ExpectGolden(GetParam().file, run.out);
}

INSTANTIATE_TEST_SUITE_P(
    Quote, Golden,
    ::testing::Values(
        GoldenCase{"purchase.txt", kPurchase},
        GoldenCase{"purchase.json", With(kPurchase, {"--json"})},
        GoldenCase{"purchase.csv", With(kPurchase, {"--csv"})},
        GoldenCase{"loan-above-price.txt", kLoanAbovePrice},
        GoldenCase{"loan-above-price.json", With(kLoanAbovePrice, {"--json"})},
        GoldenCase{"loan-above-price.csv", With(kLoanAbovePrice, {"--csv"})},
        GoldenCase{"refinance.txt", kRefinance},
        GoldenCase{"refinance.json", With(kRefinance, {"--json"})},
        GoldenCase{"refinance.csv", With(kRefinance, {"--csv"})},
        GoldenCase{"explain-loan-above-price.txt", With(kLoanAbovePrice, {"--explain"})},
        GoldenCase{"explain-refinance.json", With(kRefinance, {"--json", "--explain"})},
        // A prior policy above the price (60 %) and zoning on the owner's policy.
        GoldenCase{"explain-reissue.txt",
                   {"--split", "12.5", "--price", "300,000", "--prior-owner", "400000", "--endorse",
                    "3:owner", "--explain"}},
        // The surcharge of expanded coverage, below its minimum.
        GoldenCase{"explain-expanded.txt",
                   {"--split", "20", "--loan", "10000", "--coverage", "expanded", "--explain"}},
        // For the buyer or the lender: no split, no remittance.
        GoldenCase{"customer-explain.txt", With(kPurchase, {"--customer", "--explain"})},
        GoldenCase{"customer.json", With(kPurchase, {"--customer", "--json"})},
        GoldenCase{"customer.csv", With(kPurchase, {"--customer", "--csv"})},
        // Figures of ten million and more keep the columns aligned.
        GoldenCase{"wide-figures.txt",
                   {"--split", "15", "--price", "9,000,000,000", "--loan", "9500000000",
                    "--endorse", "3.1:loan"}},
        GoldenCase{"endorsements.txt", {"--list-endorsements"}},
        GoldenCase{"endorsements.json", {"--list-endorsements", "--json"}}),
    [](const auto& info) {
        std::string name = info.param.file;
        for (char& c : name)
            c = std::isalnum(static_cast<unsigned char>(c)) ? c : '_';
        return name;
    });

// ---- Bad input: one line naming the argument, nothing on stdout, status 2 --

struct BadInput {
    const char* name;
    std::vector<std::string> args;
    const char* named; // what the message must name
};

class Refused : public ::testing::TestWithParam<BadInput> {};

TEST_P(Refused, OneLineNamingTheArgument)
{
    const Outcome run = Quote(GetParam().args);
    EXPECT_EQ(run.status, 2);
    EXPECT_EQ(run.out, "");
    const auto lines = Lines(run.err);
    ASSERT_EQ(lines.size(), 1u) << run.err;
    EXPECT_TRUE(lines[0].starts_with("tarnwell-quote: ")) << lines[0];
    EXPECT_NE(lines[0].find(GetParam().named), std::string::npos) << lines[0];
    // What was typed is never echoed raw: no control or invisible character.
    EXPECT_FALSE(StateCalcs::HiddenCharacterIn(lines[0]));
    EXPECT_TRUE(std::none_of(lines[0].begin(), lines[0].end(),
                             [](unsigned char c) { return c < 32 || c == 127; }));
}

// clang-format off
INSTANTIATE_TEST_SUITE_P(
    Quote, Refused,
    ::testing::Values(
        BadInput{"UnknownOption", {"--split", "15", "--bogus"}, "--bogus"},
        BadInput{"StrayArgument", {"--split", "15", "--price", "1", "250000"}, "250000"},
        BadInput{"MissingValue", {"--split", "15", "--price"}, "--price"},
        BadInput{"MissingForm", {"--split", "15", "--endorse"}, "needs one, as in --endorse 8.1"},
        BadInput{"MissingSplit", {"--price", "100000"}, "--split"},
        BadInput{"Letters", {"--split", "15", "--price", "12a"}, "--price \"12a\""},
        BadInput{"TwoPoints", {"--split", "15", "--loan", "1.2.3"}, "--loan \"1.2.3\""},
        BadInput{"Sign", {"--split", "15", "--price", "-5"}, "--price \"-5\""},
        BadInput{"Exponent", {"--split", "15", "--price", "1e5"}, "--price \"1e5\""},
        BadInput{"Infinity", {"--split", "15", "--prior-owners", "inf"}, "--prior-owners"},
        BadInput{"NotANumber", {"--split", "15", "--prior-loan", "nan"}, "--prior-loan"},
        BadInput{"BeyondTheLimit", {"--split", "15", "--price", "1,000,000,000,000"}, "--price"},
        BadInput{"LineBreak", {"--split", "15", "--price", "1\n2"}, "--price"},
        BadInput{"UnknownEndorsement", {"--split", "15", "--endorse", "21"}, "--endorse \"21\""},
        BadInput{"UnknownPolicy", {"--split", "15", "--endorse", "9:buyer"}, "--endorse"},
        BadInput{"SplitBelowRange", {"--split", "9.99", "--price", "1"}, "--split \"9.99\""},
        BadInput{"SplitAboveRange", {"--split", "70.01", "--price", "1"}, "--split"},
        BadInput{"UnknownCoverage", {"--split", "15", "--price", "1", "--coverage", "gold"}, "--coverage"},
        BadInput{"RefusedClosing", {"--split", "15", "--price", "1", "--prior-loan", "5"}, "--prior-loan"},
        BadInput{"NothingToQuote", {"--split", "15"}, "--price"},
        BadInput{"BatchWithAClosing", {"--batch", "-", "--price", "1"}, "--price"},
        BadInput{"BatchWithJson", {"--batch", "-", "--json"}, "--json"},
        BadInput{"JsonAndCsv", {"--split", "15", "--price", "1", "--json", "--csv"}, "--csv"},
        BadInput{"ExplainAndCsv", {"--split", "15", "--price", "1", "--explain", "--csv"}, "--explain"},
        BadInput{"BatchNotFound", {"--batch", "/nonexistent/closings.csv"}, "--batch"},
        BadInput{"BatchFolder", {"--batch", "/tmp"}, "a folder"},
        BadInput{"EmptyValue", {"--split", "15", "--loan=", "--cpl"}, "--loan \"\": no amount"},
        BadInput{"SplitTooLargeForADouble", {"--split", "1" + std::string(400, '0'), "--cpl"}, "…\" is not a premium split"},
        BadInput{"PriorLoanWithoutLoan", {"--split", "15", "--prior-loan", "5", "--cpl"}, "--prior-loan, --loan"},
        BadInput{"ValueMissingBeforeAnOption", {"--split", "--price", "1000"}, "--split has no value"},
        BadInput{"GivenTwice", {"--split", "15", "--split", "20", "--cpl"}, "--split is given twice (\"15\" and \"20\")"},
        BadInput{"FirstStrayArgumentNamed", {"--split", "15", "--price", "1", "2", "3"}, ": \"2\" follows no option"},
        BadInput{"FlagGivenAWord", {"--split", "15", "--price", "1", "--cpl=no"}, "--cpl takes no value"},
        BadInput{"FlagGivenANumber", {"--split", "15", "--price", "1", "--cpl=-1"}, "--cpl takes no value"},
        BadInput{"FlagGivenFalse", {"--split", "15", "--price", "1", "--json=false"}, "--json takes no value"},
        BadInput{"FlagFollowedByAWord", {"--split", "15", "--cpl", "yes"}, "--cpl takes no value, yet \"yes\""},
        BadInput{"FormsSeparatedByABlank", {"--split", "15", "--endorse", "8.1 9-06"}, "separate forms with \",\""},
        BadInput{"SecondFormWithoutItsOption", {"--split", "15", "--endorse", "8.1", "9-06"}, "--endorse 8.1,9-06"},
        BadInput{"FormMissingInAList", {"--split", "15", "--endorse", "8.1,"}, "a form is missing"},
        BadInput{"ZeroWidthSpace", {"--split", "15", "--price", "250,000\u200B"}, "\"250,000<U+200B>\" holds an invisible character, U+200B"},
        BadInput{"RightToLeftOverride", {"--split", "15", "--loan", "\u202E000,052"}, "holds an invisible character, U+202E"},
        BadInput{"BlanksAround", {"--split", "15", "--price", " 250000 "}, "has blanks around it"},
        BadInput{"DollarSign", {"--split", "15", "--price", "$250,000"}, "begins with $"},
        BadInput{"EscapeInAnOptionName", {"--split", "15", "--\x1b[2J"}, "\"--<U+001B>[2J\" is no option"},
        BadInput{"BatchForACustomer", {"--batch", "-", "--customer"}, "--batch takes no --customer"},
        BadInput{"ListWithAClosing", {"--list-endorsements", "--price", "5"}, "--price"}),
    [](const auto& info) { return std::string(info.param.name); });
// clang-format on

// A quote cut off by a full disk or a closed pipe is never taken for a whole one.
TEST(Quote, AnOutputThatCannotBeWrittenIsStatusTwo)
{
    std::istringstream in;
    std::ostringstream out, err;
    out.setstate(std::ios::badbit);
    EXPECT_EQ(Quote::RunQuote({"--split", "15", "--price", "1000"}, in, out, err), 2);
    EXPECT_EQ(err.str(), "tarnwell-quote: the output could not be written\n");
}

// ---- The batch: good rows priced, bad rows reported, status 1 ---------------

TEST(QuoteBatch, PricesGoodRowsAndReportsBadOnes)
{
    const Outcome run = Quote({"--batch", "-"}, ReadFile(kGolden + "/batch-input.csv"));
    EXPECT_EQ(run.status, 1);
    ExpectGolden("batch-output.csv", run.out);
    ExpectGolden("batch-errors.txt", run.err);
}

TEST(QuoteBatch, AllGoodIsStatusZeroAndAFileIsReadByName)
{
    const Outcome run = Quote({"--batch", kGolden + "/batch-input.csv"});
    EXPECT_EQ(Lines(run.out).size(), 6u);
    const Outcome good = Quote({"--batch", "-"}, " File ,SPLIT,Price\n1,15,100000\n");
    EXPECT_EQ(good.status, 0);
    EXPECT_EQ(good.err, "");
    EXPECT_EQ(Lines(good.out).back(), "TOTAL,,,350.00,52.50,,,");
}

TEST(QuoteBatch, AHeaderWithoutTheColumnsItNeedsIsOneLineAndStatusTwo)
{
    const std::string columns = "; the columns are file, split, price, loan, prior_owners, "
                                "prior_loan, coverage, endorsements and cpl\n";
    const std::pair<std::string, std::string> headers[] = {
        {"", "the file is empty; it needs a header row\n"},
        {"file,price\n1,100\n", "row 1: the header has no column split; file and split are "
                                "required\n"},
        {"file,split,file\n", "row 1: the header has the column file twice\n"},
        // Names echoed quoted, cut short, escapes shown.
        {"file,split,\x1b]0;x\x07\n",
         "row 1: the header has an unknown column \"<U+001B>]0;x<U+0007>\"" + columns},
        {"file,split," + std::string(50'000, 'c') + "\n",
         "row 1: the header has an unknown column \"" + std::string(40, 'c') + "…\"" + columns},
        {"file,split,price,loan,prior_owners,prior_loan,coverage,endorsements,cpl,"
             + std::string(100'000, ',') + "\n",
         "row 1: the header has more columns than the nine a closing has" + columns},
    };
    for (const auto& [input, error] : headers) {
        const Outcome run = Quote({"--batch", "-"}, input);
        EXPECT_EQ(run.status, 2);
        EXPECT_EQ(run.out, "");
        EXPECT_EQ(run.err, "tarnwell-quote: standard input: " + error);
    }
}

// Other spellings of the same closing quote it exactly as the golden one.
TEST(Quote, OtherSpellingsOfTheSameClosing)
{
    const std::vector<std::string> pairs[][2] = {
        {kPurchase,
         {"--split", "15", "--price", "250000", "--loan=200000", "--endorse", "8.1,9-06", "--cpl"}},
        {{"--split", "15", "--price", "300000", "--prior-owners", "400000"},
         {"--split=15", "--price", "300000", "--prior-owner", "400000"}},
    };
    for (const auto& [golden, other] : pairs) {
        const Outcome run = Quote(other);
        EXPECT_EQ(run.status, 0) << run.err;
        EXPECT_EQ(run.out, Quote(golden).out);
    }
}

// Every closing of the shared table, given as options: its lines, totals and
// disclosure in the JSON, or the refusal naming the options at fault.
TEST(Quote, EveryClosingOfTheTableIsQuotedOrRefusedAsWorkedByHand)
{
    const auto option = [](const std::string& field) -> std::string {
        if (field == "priorOwners")
            return "--prior-owner";
        if (field == "priorLoan")
            return "--prior-loan";
        return field == "endorsements" ? "--endorse" : field == "letter" ? "--cpl" : "--" + field;
    };
    for (const closings::Closing& row : closings::Table()) {
        SCOPED_TRACE(row.name);
        std::vector<std::string> args{"--split", row.split, "--json"};
        for (const auto& [name, value] : {std::pair{"price", row.price},
                                          {"loan", row.loan},
                                          {"priorOwners", row.priorOwners},
                                          {"priorLoan", row.priorLoan}})
            if (!value.empty())
                args.insert(args.end(), {option(name), value});
        if (row.expanded)
            args.insert(args.end(), {"--coverage", "expanded"});
        for (const std::string& form : row.endorse)
            args.insert(args.end(), {"--endorse", form});
        if (row.letter)
            args.push_back("--cpl");
        const Outcome run = Quote(args);
        if (!row.refused.empty()) {
            std::string options;
            for (const std::string& field : row.fields)
                options += (options.empty() ? "" : ", ") + option(field);
            EXPECT_EQ(run.status, 2);
            EXPECT_EQ(run.err, "tarnwell-quote: " + options + ": " + row.refused + "\n");
            EXPECT_EQ(run.out, "");
            continue;
        }
        ASSERT_EQ(run.status, 0) << run.err;
        const nlohmann::json quote = nlohmann::json::parse(run.out);
        std::vector<std::vector<std::string>> lines, expected;
        for (const nlohmann::json& line : quote.at("lines")) {
            std::string on;
            for (const nlohmann::json& amount : line.at("priced_on"))
                on += (on.empty() ? "" : "; ") + amount.at("name").get<std::string>() + ' '
                      + amount.at("amount").at("text").get<std::string>();
            if (!line.at("policy").is_null())
                on += (on.empty() ? "" : ", ")
                      + std::string(line.at("policy") == "owner" ? "owner's" : "loan") + " policy";
            lines.push_back({std::to_string(line.at("line").get<int>()), line.at("code"), on,
                             line.at("gross").at("text"), line.at("remit").at("text")});
        }
        for (const closings::Line& line : row.lines)
            expected.push_back({std::to_string(line.catalogueLine), line.code, line.pricedOn,
                                line.gross, line.remit});
        EXPECT_EQ(lines, expected);
        EXPECT_EQ(quote.at("totals").at("gross").at("text"), row.gross);
        EXPECT_EQ(quote.at("totals").at("remit").at("text"), row.remit);
        const nlohmann::json& trid = quote.at("trid");
        for (const auto& [key, figure] :
             {std::pair{"lenders", row.lenders}, {"owners", row.owners}})
            EXPECT_EQ(trid.at(key).is_null()
                          ? "0.00"
                          : trid.at(key).at("disclosed").at("text").get<std::string>(),
                      figure)
                << key;
        EXPECT_EQ(trid.at("total").at("disclosed").at("text"), row.gross);
    }
}

// The manual page's list of endorsements is the program's, line for line.
TEST(Quote, TheManualPageListsTheEndorsementsAsTheProgramDoes)
{
    const std::string page = ReadFile(TARNWELL_MANUAL_PAGE);
    const std::string begin = ".SS ENDORSEMENTS\n", start = ".EX\n", end = ".EE\n";
    const auto at = page.find(start, page.find(begin));
    ASSERT_NE(page.find(begin), std::string::npos);
    std::string table = page.substr(at + start.size(), page.find(end, at) - at - start.size());
    for (std::size_t dash; (dash = table.find("\\-")) != std::string::npos;)
        table.replace(dash, 2, "-");
    EXPECT_EQ(table, Quote({"--list-endorsements"}).out);
}

// A stream that gives its text, then fails as a disk, a network share or
// memory can.
class FailingBuffer : public std::streambuf {
public:
    FailingBuffer(std::string text, std::exception_ptr failure)
        : m_text(std::move(text)), m_failure(std::move(failure))
    {}

protected:
    int_type underflow() override
    {
        if (std::exchange(m_given, true))
            std::rethrow_exception(m_failure);
        setg(m_text.data(), m_text.data(), m_text.data() + m_text.size());
        return traits_type::to_int_type(m_text[0]);
    }

private:
    std::string m_text;
    std::exception_ptr m_failure;
    bool m_given = false;
};

// Part of a file is never passed off as the whole: no TOTAL, one line, status 2.
TEST(QuoteBatch, AFileNotReadToItsEndGivesNoTotal)
{
    std::string rows = "file,split,price\n";
    for (int i = 0; i < 10'000; ++i)
        rows += "1,15,100000\n"; // 120 kB: the read fails after the first 64 KiB
    FailingBuffer device(rows, std::make_exception_ptr(std::runtime_error("read")));
    FailingBuffer memory(rows, std::make_exception_ptr(std::bad_alloc()));
    for (std::streambuf* buffer :
         {static_cast<std::streambuf*>(&device), static_cast<std::streambuf*>(&memory)}) {
        std::istream in(buffer);
        const Outcome run = Quote({"--batch", "-"}, in);
        EXPECT_EQ(run.status, 2);
        EXPECT_EQ(run.out.find("TOTAL"), std::string::npos);
        EXPECT_GT(Lines(run.out).size(), 5000u);
        EXPECT_TRUE(run.err.starts_with("tarnwell-quote: standard input: the file could not be "
                                        "read to its end (stopped at row "))
            << run.err;
        EXPECT_TRUE(run.err.ends_with("); the report has no TOTAL\n")) << run.err;
    }
}

// Each fault of a row names its row and its column, and echoes nothing raw.
TEST(QuoteBatch, RowFaultsNameTheirRowAndColumn)
{
    const std::string header = "file,split,price\n";
    const std::string plain = " is not a plain amount: digits, with \",\" between thousands and "
                              "at most one \".\"\n";
    const std::pair<std::string, std::string> rows[] = {
        {"1,15,5,,,,\n", "row 2, column 4: the row has more fields than the header's 3 columns\n"},
        {" ,15,5\n", "row 2, column file: no file number: the column is required\n"},
        {std::string("7\0,15,5\n", 8),
         "row 2, column file: \"7<U+0000>\" holds a NUL byte, which no file number has\n"},
        {"1,15," + std::string(70'000, '1') + "\n",
         "row 2, column price: the field is longer than 64 KiB\n"},
        {"1,15,\x1b[2J\n", "row 2, column price: \"<U+001B>[2J\"" + plain},
    };
    for (const auto& [row, error] : rows) {
        const Outcome run = Quote({"--batch", "-"}, header + row + "2,15,100000\n");
        EXPECT_EQ(run.status, 1);
        EXPECT_EQ(run.err, "tarnwell-quote: " + error);
        EXPECT_EQ(Lines(run.out).back(), "TOTAL,,,350.00,52.50,,,");
    }
}

TEST(QuoteBatch, OldExportsCommaListsAndTheSingularColumn)
{
    // Lone CRs end the lines; forms separated by commas; prior_owner.
    const Outcome run = Quote({"--batch", "-"}, "file,split,price,endorsements,Prior_Owner\r"
                                                "1,15,100000,\"8.1,9-06\",100000\r");
    EXPECT_EQ(run.err, "");
    EXPECT_EQ(run.out, "file,split,codes,gross,remit,lenders_disclosed,owners_disclosed,"
                       "other_disclosed\n1,15.00,901 500 550,260.00,39.00,0.00,210.00,50.00\n"
                       "TOTAL,,,260.00,39.00,,,\n");
}

// A file number a spreadsheet would take for a formula goes out as text;
// blanks around a cell are the spreadsheet's, not the agent's.
TEST(QuoteBatch, AFormulaIsWrittenAsTextAndCellsAreTrimmed)
{
    const Outcome run = Quote({"--batch", "-"}, "file,split,price\n=1+1, 15 , 100000 \n");
    EXPECT_EQ(run.err, "");
    EXPECT_EQ(Lines(run.out).at(1), "'=1+1,15.00,101,350.00,52.50,0.00,350.00,0.00");
}

TEST(QuoteProgram, HelpAndVersion)
{
    const Outcome help = Quote({"--help"});
    EXPECT_EQ(help.status, 0);
    EXPECT_NE(help.out.find("--batch FILE"), std::string::npos);
    // One --endorse takes a list; nothing reads as several values after it.
    EXPECT_NE(help.out.find("--endorse FORM[:owner|:loan][,FORM...]\n"), std::string::npos);
    const Outcome version = Quote({"--version"});
    EXPECT_EQ(version.status, 0);
    EXPECT_EQ(version.out, std::string("tarnwell-quote ") + TARNWELL_VERSION + "\n");
}

} // namespace
