#include "quote/QuoteProgram.h"

#include "quote/Batch.h"
#include "quote/ClosingInput.h"
#include "quote/QuoteWriters.h"

#include <CLI/CLI.hpp>

#include <algorithm>
#include <filesystem>
#include <fstream>
#include <iostream>
#include <sstream>

namespace Quote {

using namespace StateCalcs;

namespace {

struct Options {
    ClosingTexts closing;
    std::optional<std::string> batch;
    bool json = false;
    bool csv = false;
    bool explain = false;
};

// The option a closing input comes from, for messages.
std::string_view OptionOf(ClosingField field)
{
    switch (field) {
    case ClosingField::Split:
        return "--split";
    case ClosingField::Price:
        return "--price";
    case ClosingField::Loan:
        return "--loan";
    case ClosingField::PriorOwners:
        return "--prior-owners";
    case ClosingField::PriorLoan:
        return "--prior-loan";
    case ClosingField::Coverage:
        return "--coverage";
    case ClosingField::Endorsements:
        return "--endorse";
    case ClosingField::Letter:
        break;
    }
    return "--cpl";
}

class Program {
public:
    Program(std::istream& in, std::ostream& out, std::ostream& err)
        : m_in(in), m_out(out), m_err(err)
    {
        Describe();
    }

    int Run(const std::vector<std::string>& args)
    {
        try {
            // "--price=" gives the option an empty value (which is then refused
            // as no amount) rather than taking the next argument as its value.
            std::vector<std::string> given;
            for (const std::string& arg : args) {
                given.push_back(arg);
                if (arg.starts_with("--") && arg.ends_with('=')
                    && arg.find('=') == arg.size() - 1) {
                    given.back().pop_back();
                    given.emplace_back();
                }
            }
            // CLI11 takes the arguments last first.
            std::vector<std::string> reversed(given.rbegin(), given.rend());
            m_app.parse(reversed);
        } catch (const CLI::CallForHelp&) {
            m_out << m_app.help() << '\n';
            return kQuoted;
        } catch (const CLI::CallForVersion& version) {
            m_out << version.what() << '\n';
            return kQuoted;
        } catch (const CLI::ParseError& error) {
            return Fail(error.what());
        }
        if (const auto conflict = Conflict())
            return Fail(*conflict);
        if (m_options.batch)
            return Batch();
        return Closing();
    }

private:
    void Describe()
    {
        m_app.name(kProgramName);
        m_app.description("Every title charge of an Arkansas real-estate closing under the rates\n"
                          "effective 2/1/2013: Gross, Remit at the agency's premium split, and\n"
                          "the TRID disclosure.");
        m_app.set_version_flag("--version", std::string(kProgramName) + " " + TARNWELL_VERSION);
        ClosingTexts& c = m_options.closing;
        const auto amount = [&](const char* name, std::optional<std::string>& text,
                                const char* help) {
            return m_app.add_option(name, text, help)->type_name("AMOUNT");
        };
        const std::vector<CLI::Option*> single{
            m_app.add_option("--split", m_split, "The agency's premium split, 10 to 70 percent")
                ->type_name("PERCENT"),
            amount("--price", c.price, "Sales price (the owner's policy); none for a refinance"),
            amount("--loan", c.loan, "Loan amount (the loan policy); none for a cash purchase"),
            amount("--prior-owners", c.priorOwners,
                   "Prior owner's policy liability, for the reissue credit"),
            amount("--prior-loan", c.priorLoan,
                   "Prior loan policy liability, for the refinance credit"),
            m_app.add_option("--coverage", c.coverage, "standard (the default) or expanded")
                ->type_name("COVERAGE"),
            m_app
                .add_option("--endorse", c.endorsements,
                            "An ALTA endorsement (8.1, 9-06, 3.1:loan); repeat for each")
                ->type_name("FORM[:owner|:loan]")
                ->allow_extra_args(false),
            m_app.add_flag("--cpl", c.closingProtectionLetter, "The closing protection letter"),
        };
        auto* json = m_app.add_flag("--json", m_options.json, "Write the quote as JSON");
        auto* csv = m_app.add_flag("--csv", m_options.csv, "Write the quote's lines as CSV");
        auto* explain = m_app.add_flag("--explain", m_options.explain,
                                       "Show the math of each figure (with the table or --json)");
        auto* batch = m_app
                          .add_option("--batch", m_options.batch,
                                      "Price each closing of a CSV file (- reads standard input)")
                          ->type_name("FILE");
        m_single = single;
        m_formats = {json, csv, explain};
        m_batchOption = batch;
        m_app.footer(
            "Amounts are digits, with \",\" between thousands and at most one \".\".\n"
            "Example: tarnwell-quote --split 15 --price 250000 --loan 200000 "
            "--endorse 8.1 --cpl\n"
            "See tarnwell-quote(1) for the JSON keys, the CSV columns and the batch file.");
    }

    // Options that do not go together, said in the agent's terms.
    std::optional<std::string> Conflict() const
    {
        if (m_batchOption->count())
            for (const CLI::Option* option : m_single)
                if (option->count())
                    return "--batch takes no " + option->get_name()
                           + ": the file holds each closing's inputs";
        if (m_batchOption->count())
            for (const CLI::Option* option : m_formats)
                if (option->count())
                    return "--batch takes no " + option->get_name()
                           + ": it always writes its report as CSV";
        if (m_options.json && m_options.csv)
            return std::string("--json and --csv: choose one");
        if (m_options.explain && m_options.csv)
            return std::string("--explain goes with the table or with --json, not with --csv");
        return std::nullopt;
    }

    int Fail(const std::string& message)
    {
        m_err << kProgramName << ": " << OneLine(message) << '\n';
        return kUsageError;
    }

    int Closing()
    {
        if (!m_split)
            return Fail("--split is required: the agency's premium split, 10 to 70 percent");
        ClosingTexts& texts = m_options.closing;
        texts.split = *m_split;
        const auto read = ReadClosing(texts);
        if (const auto* error = std::get_if<InputError>(&read))
            return Fail(std::string(OptionOf(error->field)) + " " + QuotedInput(error->text) + ": "
                        + error->reason);
        const ClosingRequest& request = std::get<ClosingRequest>(read);
        const ClosingOutcome outcome = QuoteClosing(request);
        if (!outcome.quote) {
            std::string options;
            for (const ClosingField field : outcome.refusal.fields)
                options += (options.empty() ? "" : ", ") + std::string(OptionOf(field));
            return Fail((options.empty() ? "closing" : options) + ": " + outcome.refusal.reason);
        }
        if (m_options.json)
            WriteJson(m_out, request, *outcome.quote, m_options.explain);
        else if (m_options.csv)
            WriteCsv(m_out, *outcome.quote);
        else
            WriteTable(m_out, request, *outcome.quote, m_options.explain);
        return kQuoted;
    }

    int Batch()
    {
        const std::string& name = *m_options.batch;
        std::ostringstream text;
        if (name == "-") {
            text << m_in.rdbuf();
        } else {
            std::error_code error;
            if (std::filesystem::is_directory(name, error))
                return Fail("--batch " + QuotedInput(name) + ": that is a folder, not a file");
            std::ifstream file(name, std::ios::binary);
            if (!file)
                return Fail("--batch " + QuotedInput(name) + ": the file cannot be opened");
            text << file.rdbuf();
            if (file.bad())
                return Fail("--batch " + QuotedInput(name) + ": the file cannot be read");
        }
        return RunBatch(text.view(), name == "-" ? "standard input" : name, kProgramName, m_out,
                        m_err);
    }

    std::istream& m_in;
    std::ostream& m_out;
    std::ostream& m_err;
    CLI::App m_app;
    Options m_options;
    std::optional<std::string> m_split;
    std::vector<CLI::Option*> m_single;  // the inputs of one closing
    std::vector<CLI::Option*> m_formats; // --json, --csv, --explain
    CLI::Option* m_batchOption = nullptr;
};

} // namespace

int RunQuote(const std::vector<std::string>& args, std::istream& in, std::ostream& out,
             std::ostream& err)
{
    const int status = Program(in, out, err).Run(args);
    // Closing software must never take a cut-off quote for a whole one.
    out.flush();
    if (!out) {
        err << kProgramName << ": the output could not be written\n";
        return kUsageError;
    }
    return status;
}

} // namespace Quote
