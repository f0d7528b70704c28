#include "quote/QuoteProgram.h"

#include "quote/Batch.h"
#include "quote/ClosingInput.h"
#include "quote/EndorsementList.h"
#include "quote/QuoteWriters.h"

#include <CLI/CLI.hpp>

#include <algorithm>
#include <filesystem>
#include <fstream>
#include <iostream>
#include <new>
#include <variant>

namespace Quote {

using namespace StateCalcs;

namespace {

struct Options {
    ClosingTexts closing;
    std::optional<std::string> batch;
    bool json = false;
    bool csv = false;
    bool explain = false;
    bool customer = false;
    bool listEndorsements = false;
};

// What the program takes on its command line, for reading it before the
// parser does: each option's names and whether it takes a value.
struct OptionRule {
    std::vector<std::string_view> names; // the first is the one messages use
    bool value;
    bool repeats = false;
};

const std::vector<OptionRule>& OptionRules()
{
    static const std::vector<OptionRule> rules{
        {{"--split"}, true},
        {{"--price"}, true},
        {{"--loan"}, true},
        {{"--prior-owner", "--prior-owners"}, true},
        {{"--prior-loan"}, true},
        {{"--coverage"}, true},
        {{"--endorse"}, true, true},
        {{"--cpl"}, false},
        {{"--json"}, false},
        {{"--csv"}, false},
        {{"--explain"}, false},
        {{"--customer"}, false},
        {{"--list-endorsements"}, false},
        {{"--batch"}, true},
        {{"--help", "-h"}, false},
        {{"--version"}, false},
    };
    return rules;
}

const OptionRule* OptionRuleOf(std::string_view name)
{
    for (const OptionRule& rule : OptionRules())
        if (std::find(rule.names.begin(), rule.names.end(), name) != rule.names.end())
            return &rule;
    return nullptr;
}

// The command line read into (option, value) pairs in the order given, or
// the one-line reason it cannot be. A value is the rest of "--price=250000"
// or the next argument, never one that begins with "--"; a flag takes none.
struct Given {
    std::string name; // as typed: "--prior-owners"
    const OptionRule* rule;
    std::optional<std::string> value;
};

std::variant<std::vector<Given>, std::string> ReadCommandLine(const std::vector<std::string>& args)
{
    std::vector<Given> given;
    for (std::size_t i = 0; i < args.size(); ++i) {
        const std::string& arg = args[i];
        // "-5" is a value (refused as an amount), "-x" an option.
        const bool option = arg.starts_with("--")
                            || (arg.size() == 2 && arg[0] == '-' && (arg[1] < '0' || arg[1] > '9'));
        if (!option) {
            if (!given.empty() && !given.back().rule->value)
                return given.back().name + " takes no value, yet " + QuotedInput(arg)
                       + " follows it: give " + given.back().name + " alone, or leave it out";
            if (!given.empty() && given.back().rule->repeats)
                return QuotedInput(arg) + " follows no option: one " + given.back().name
                       + " takes several forms separated by \",\", as in --endorse 8.1,9-06";
            return QuotedInput(arg) + " follows no option: each value goes after its option, "
                   + "as in --price 250000";
        }
        const auto equals = arg.find('=');
        const std::string name = arg.substr(0, equals);
        const OptionRule* rule = OptionRuleOf(name);
        if (!rule)
            return QuotedInput(name) + " is no option of " + kProgramName + "; see " + kProgramName
                   + " --help";
        Given one{name, rule, std::nullopt};
        if (equals != std::string::npos)
            one.value = arg.substr(equals + 1);
        if (!rule->value && one.value)
            return name + " takes no value, yet it is given " + QuotedInput(*one.value) + ": give "
                   + name + " alone, or leave it out";
        if (rule->value && !one.value) {
            if (i + 1 == args.size() || args[i + 1].starts_with("--"))
                return name + " has no value: it needs one, as in " + name + " "
                       + std::string(name == "--split"      ? "15"
                                     : name == "--endorse"  ? "8.1"
                                     : name == "--coverage" ? "expanded"
                                     : name == "--batch"    ? "closings.csv"
                                                            : "250000");
            one.value = args[++i];
        }
        for (const Given& before : given)
            if (before.rule == rule && (rule->value && !rule->repeats))
                return std::string(rule->names.front()) + " is given twice ("
                       + QuotedInput(*before.value) + " and " + QuotedInput(*one.value)
                       + "): give it once";
        given.push_back(std::move(one));
    }
    return given;
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
        // Help and version whatever else is given, as every program does.
        for (const std::string& arg : args) {
            if (arg == "--help" || arg == "-h") {
                m_out << m_app.help() << '\n';
                return kQuoted;
            }
            if (arg == "--version") {
                m_out << kProgramName << ' ' << TARNWELL_VERSION << '\n';
                return kQuoted;
            }
        }
        // The command line is read here, so that every message about it is
        // the program's own; the parser then takes what is known good, each
        // value joined to its option so that none is taken for an option.
        const auto read = ReadCommandLine(args);
        if (const auto* why = std::get_if<std::string>(&read))
            return Fail(*why);
        std::vector<std::string> checked;
        for (const Given& given : std::get<std::vector<Given>>(read)) {
            if (given.name == "--prior-owners" || given.name == "--prior-owner")
                m_priorOwners = given.name;
            if (!given.value) {
                if (std::find(checked.begin(), checked.end(), given.name) == checked.end())
                    checked.push_back(given.name);
            } else if (given.value->empty()) {
                checked.push_back(given.name); // an empty value, refused as no amount
                checked.emplace_back();
            } else {
                checked.push_back(given.name + "=" + *given.value);
            }
        }
        try {
            // CLI11 takes the arguments last first.
            std::vector<std::string> reversed(checked.rbegin(), checked.rend());
            m_app.parse(reversed);
        } catch (const CLI::ParseError&) {
            return Fail("the command line cannot be read; see " + std::string(kProgramName)
                        + " --help");
        }
        if (const auto conflict = Conflict())
            return Fail(*conflict);
        if (m_options.listEndorsements) {
            if (m_options.json)
                WriteEndorsementJson(m_out);
            else
                WriteEndorsementTable(m_out);
            return kQuoted;
        }
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
            amount("--prior-owner,--prior-owners", c.priorOwners,
                   "Prior owner's policy liability, for the reissue credit"),
            amount("--prior-loan", c.priorLoan,
                   "Prior loan policy liability, for the refinance credit"),
            m_app.add_option("--coverage", c.coverage, "standard (the default) or expanded")
                ->type_name("COVERAGE"),
            m_app
                .add_option("--endorse", m_endorse,
                            "ALTA endorsements by form: 8.1, 9-06, 3.1:loan; several as "
                            "8.1,9-06 or by repeating the option")
                ->option_text("FORM[:owner|:loan][,FORM...]")
                ->allow_extra_args(false),
            m_app.add_flag("--cpl", c.closingProtectionLetter, "The closing protection letter"),
        };
        auto* json = m_app.add_flag("--json", m_options.json, "Write the quote as JSON");
        auto* csv = m_app.add_flag("--csv", m_options.csv, "Write the quote's lines as CSV");
        auto* explain = m_app.add_flag("--explain", m_options.explain,
                                       "Show the math of each figure (with the table or --json)");
        auto* customer = m_app.add_flag(
            "--customer", m_options.customer,
            "A quote for the buyer or the lender: no premium split, no remittance");
        auto* list = m_app.add_flag("--list-endorsements", m_options.listEndorsements,
                                    "List the ALTA endorsements with their charges (or --json)");
        auto* batch = m_app
                          .add_option("--batch", m_options.batch,
                                      "Price each closing of a CSV file (- reads standard input)")
                          ->type_name("FILE");
        m_app.set_version_flag("--version", std::string(kProgramName) + " " + TARNWELL_VERSION);
        m_single = single;
        m_formats = {json, csv, explain, customer};
        m_batchOption = batch;
        m_listOption = list;
        m_app.footer(
            "Amounts are digits, with \",\" between thousands and at most one \".\".\n"
            "Example: tarnwell-quote --split 15 --price 250000 --loan 200000 "
            "--endorse 8.1,9-06 --cpl\n"
            "Exit status: 0 quoted; 1 a batch with rows that failed; 2 nothing quoted, a batch\n"
            "not read to its end, or output that could not be written.\n"
            "See tarnwell-quote(1) for the JSON keys, the CSV columns and the batch file.");
    }

    // Options that do not go together, said in the agent's terms.
    std::optional<std::string> Conflict() const
    {
        if (m_listOption->count()) {
            for (const CLI::Option* option : m_single)
                if (option->count())
                    return "--list-endorsements takes no " + option->get_name()
                           + ": it lists the endorsements, it quotes no closing";
            for (const CLI::Option* option :
                 {m_batchOption, m_formats[1], m_formats[2], m_formats[3]})
                if (option->count())
                    return "--list-endorsements takes no " + option->get_name()
                           + ": it is a table, or JSON with --json";
        }
        if (m_batchOption->count())
            for (const CLI::Option* option : m_single)
                if (option->count())
                    return "--batch takes no " + option->get_name()
                           + ": the file holds each closing's inputs";
        if (m_batchOption->count() && m_options.customer)
            return std::string("--batch takes no --customer: the remittance report is the "
                               "agency's own, with its split and remittance");
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

    // The option a closing input comes from, for messages: as the agent typed it.
    std::string OptionOf(ClosingField field) const
    {
        switch (field) {
        case ClosingField::Split:
            return "--split";
        case ClosingField::Price:
            return "--price";
        case ClosingField::Loan:
            return "--loan";
        case ClosingField::PriorOwners:
            return m_priorOwners;
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

    int Closing()
    {
        if (!m_split)
            return Fail("--split is required: the agency's premium split, 10 to 70 percent");
        ClosingTexts& texts = m_options.closing;
        texts.split = *m_split;
        // One --endorse may name several forms: "8.1,9-06".
        for (const std::string& value : m_endorse) {
            if (value.find_first_of(" \t") != std::string::npos)
                return Fail("--endorse " + QuotedInput(value)
                            + ": separate forms with \",\" (8.1,9-06), not with blanks");
            std::size_t at = 0;
            for (std::size_t comma; at <= value.size(); at = comma + 1) {
                comma = std::min(value.find(',', at), value.size());
                if (comma == at)
                    return Fail("--endorse " + QuotedInput(value)
                                + ": a form is missing before or after a \",\"");
                texts.endorsements.push_back(value.substr(at, comma - at));
            }
        }
        const auto read = ReadClosing(texts);
        if (const auto* error = std::get_if<InputError>(&read))
            return Fail(OptionOf(error->field) + " " + QuotedInput(error->text) + ": "
                        + error->reason);
        const ClosingRequest& request = std::get<ClosingRequest>(read);
        const ClosingOutcome outcome = QuoteClosing(request);
        if (!outcome.quote) {
            std::string options;
            for (const ClosingField field : outcome.refusal.fields)
                options += (options.empty() ? "" : ", ") + OptionOf(field);
            return Fail((options.empty() ? "closing" : options) + ": " + outcome.refusal.reason);
        }
        const Audience audience = m_options.customer ? Audience::Customer : Audience::Agency;
        if (m_options.json)
            WriteJson(m_out, request, *outcome.quote, m_options.explain, audience);
        else if (m_options.csv)
            WriteCsv(m_out, *outcome.quote, audience);
        else
            WriteTable(m_out, request, *outcome.quote, m_options.explain, audience);
        return kQuoted;
    }

    int Batch()
    {
        const std::string& name = *m_options.batch;
        if (name == "-")
            return RunBatch(m_in, "standard input", kProgramName, m_out, m_err);
        std::error_code error;
        if (std::filesystem::is_directory(name, error))
            return Fail("--batch " + QuotedInput(name) + ": that is a folder, not a file");
        std::ifstream file(name, std::ios::binary);
        if (!file)
            return Fail("--batch " + QuotedInput(name) + ": the file cannot be opened");
        return RunBatch(file, QuotedInput(name), kProgramName, m_out, m_err);
    }

    std::istream& m_in;
    std::ostream& m_out;
    std::ostream& m_err;
    CLI::App m_app;
    Options m_options;
    std::optional<std::string> m_split;
    std::vector<std::string> m_endorse; // as given: "8.1,9-06"
    std::string m_priorOwners = "--prior-owner";
    std::vector<CLI::Option*> m_single;  // the inputs of one closing
    std::vector<CLI::Option*> m_formats; // --json, --csv, --explain, --customer
    CLI::Option* m_batchOption = nullptr;
    CLI::Option* m_listOption = nullptr;
};

} // namespace

int RunQuote(const std::vector<std::string>& args, std::istream& in, std::ostream& out,
             std::ostream& err)
{
    int status = kUsageError;
    try {
        status = Program(in, out, err).Run(args);
    } catch (const std::bad_alloc&) {
        err << kProgramName << ": not enough memory to go on\n";
        return kUsageError;
    }
    // Closing software must never take a cut-off quote for a whole one.
    out.flush();
    if (!out) {
        err << kProgramName << ": the output could not be written\n";
        return kUsageError;
    }
    return status;
}

} // namespace Quote
