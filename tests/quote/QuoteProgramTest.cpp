// The whole program run in-process: its outputs against golden files, every
// kind of bad input against its one-line message, and the batch report.
//
// After a deliberate change of an output, rewrite the golden files with
//   TARNWELL_UPDATE_GOLDEN=1 build/tests/quote_tests
// and read the difference (git diff tests/quote/golden) before committing it.

#include "quote/QuoteProgram.h"

#include <gtest/gtest.h>

#include <cstdlib>
#include <fstream>
#include <sstream>
#include <string>
#include <vector>

namespace {

const std::string kGolden = TARNWELL_GOLDEN_DIR;

struct Outcome {
    int status;
    std::string out, err;
};

Outcome Quote(const std::vector<std::string>& args, const std::string& input = "")
{
    std::istringstream in(input);
    std::ostringstream out, err;
    const int status = Quote::RunQuote(args, in, out, err);
    return {status, out.str(), err.str()};
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

std::vector<std::string> With(std::vector<std::string> args, const std::string& option)
{
    args.push_back(option);
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
        GoldenCase{"purchase.json", With(kPurchase, "--json")},
        GoldenCase{"purchase.csv", With(kPurchase, "--csv")},
        GoldenCase{"loan-above-price.txt", kLoanAbovePrice},
        GoldenCase{"loan-above-price.json", With(kLoanAbovePrice, "--json")},
        GoldenCase{"loan-above-price.csv", With(kLoanAbovePrice, "--csv")},
        GoldenCase{"refinance.txt", kRefinance},
        GoldenCase{"refinance.json", With(kRefinance, "--json")},
        GoldenCase{"refinance.csv", With(kRefinance, "--csv")},
        GoldenCase{"explain-loan-above-price.txt", With(kLoanAbovePrice, "--explain")},
        GoldenCase{"explain-refinance.json", With(With(kRefinance, "--json"), "--explain")},
        // A prior policy above the price (60 %) and zoning on the owner's policy.
        GoldenCase{"explain-reissue.txt",
                   {"--split", "12.5", "--price", "300,000", "--prior-owners", "400000",
                    "--endorse", "3:owner", "--explain"}},
        // The surcharge of expanded coverage, below its minimum.
        GoldenCase{"explain-expanded.txt",
                   {"--split", "20", "--loan", "10000", "--coverage", "expanded", "--explain"}}),
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
}

// clang-format off
INSTANTIATE_TEST_SUITE_P(
    Quote, Refused,
    ::testing::Values(
        BadInput{"UnknownOption", {"--split", "15", "--bogus"}, "--bogus"},
        BadInput{"StrayArgument", {"--split", "15", "--price", "1", "250000"}, "250000"},
        BadInput{"MissingValue", {"--split", "15", "--price"}, "--price"},
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
        BadInput{"PriorLoanWithoutLoan", {"--split", "15", "--prior-loan", "5", "--cpl"}, "--prior-loan, --loan"}),
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
    for (const char* input :
         {"", "file,price\n1,100\n", "file,split,splt\n", "file,split,file\n"}) {
        const Outcome run = Quote({"--batch", "-"}, input);
        EXPECT_EQ(run.status, 2) << input;
        EXPECT_EQ(run.out, "") << input;
        EXPECT_EQ(Lines(run.err).size(), 1u) << input;
    }
}

TEST(QuoteProgram, HelpAndVersion)
{
    const Outcome help = Quote({"--help"});
    EXPECT_EQ(help.status, 0);
    EXPECT_NE(help.out.find("--batch FILE"), std::string::npos);
    const Outcome version = Quote({"--version"});
    EXPECT_EQ(version.status, 0);
    EXPECT_EQ(version.out, std::string("tarnwell-quote ") + TARNWELL_VERSION + "\n");
}

} // namespace
