// RFC 4180 as spreadsheets write it, and the ways a hand-edited file goes wrong.

#include "quote/Csv.h"

#include <gtest/gtest.h>

#include <sstream>
#include <string>
#include <vector>

namespace Quote {
namespace {

// Each record as its fields joined by "|", or "!" and its row (and ":" and
// the field at fault) when it fails.
std::vector<std::string> Read(const std::string& text, std::size_t width = 100)
{
    std::vector<std::string> records;
    std::istringstream in(text);
    CsvReader reader(in);
    reader.SetWidth(width);
    CsvRecord record;
    while (reader.Next(record)) {
        std::string shown = record.error.empty() ? "" : "!" + std::to_string(record.row);
        if (record.errorField)
            shown += ":" + std::to_string(*record.errorField);
        for (std::size_t i = 0; i < record.fields.size() && record.error.empty(); ++i)
            shown += (i ? "|" : "") + record.fields[i];
        records.push_back(shown);
    }
    return records;
}

TEST(Csv, ReadsWhatSpreadsheetsWrite)
{
    using R = std::vector<std::string>;
    const std::pair<std::string, R> cases[] = {
        {"a,b\r\nc,d\r\n", {"a|b", "c|d"}},
        {"a,b\nc,d", {"a|b", "c|d"}},
        {"\"1,5\",\"say \"\"hi\"\"\"\n", {"1,5|say \"hi\""}},
        {"\"two\r\nlines\",x\n", {"two\r\nlines|x"}},
        {",,\n", {"||"}},
        {"\"\"\n", {""}},
        {"\xEF\xBB\xBF"
         "a,b\n",
         {"a|b"}},
        // A lone CR ends a line, as old spreadsheet exports write them.
        {"a\r,b\n", {"a", "|b"}},
        {"file,cpl\r1,no\r", {"file|cpl", "1|no"}},
        {"\"x\ry\"\r", {"x\ry"}},
        {"a,b\"c\nnext\n", {"!1", "next"}},
        {"\"a\"b,c\nnext\n", {"!1", "next"}},
        {"x\n\"open\n", {"x", "!2"}},
        // A faulty record is read to its real end: the next keeps its row.
        {"a,1x\"0,\"8\n9\"\nb,c\n", {"!1", "b|c"}},
        {"a,b\r", {"a|b"}},
        // A field too long, named by its place.
        {"a,\"" + std::string(64 * 1024 + 1, 'x') + "\"\nb,c\n", {"!1:1", "b|c"}},
        {"a," + std::string(64 * 1024, 'x') + "\n", {"a|" + std::string(64 * 1024, 'x')}},
    };
    for (const auto& [text, records] : cases)
        EXPECT_EQ(Read(text), records) << text.substr(0, 40);
    // Fields beyond the width: an error at the first, the rest of the row dropped.
    EXPECT_EQ(Read("a,b,\"c,\nd\",e\nf,g\n", 2), (std::vector<std::string>{"!1:2", "f|g"}));
}

TEST(Csv, WritesFieldsSoThatTheyReadBack)
{
    const std::vector<std::string> fields{"plain", "1,5", "say \"hi\"", "two\nlines", ""};
    EXPECT_EQ(CsvRow(fields), "plain,\"1,5\",\"say \"\"hi\"\"\",\"two\nlines\",\n");
    EXPECT_EQ(Read(CsvRow(fields)), std::vector<std::string>{"plain|1,5|say \"hi\"|two\nlines|"});
}

} // namespace
} // namespace Quote
