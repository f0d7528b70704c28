#include "quote/ClosingInput.h"

#include <algorithm>
#include <cctype>

namespace Quote {

using namespace StateCalcs;

std::string LowerCase(std::string_view text)
{
    std::string lower(text);
    std::transform(lower.begin(), lower.end(), lower.begin(),
                   [](unsigned char c) { return static_cast<char>(std::tolower(c)); });
    return lower;
}

std::string OneLine(std::string text)
{
    std::replace(text.begin(), text.end(), '\n', ' ');
    std::replace(text.begin(), text.end(), '\r', ' ');
    text.erase(text.find_last_not_of(' ') + 1);
    return text;
}

std::optional<Coverage> ReadCoverage(std::string_view text)
{
    const std::string word = LowerCase(text);
    if (word == "standard")
        return Coverage::Standard;
    if (word == "expanded")
        return Coverage::Expanded;
    return std::nullopt;
}

std::string_view CoverageWord(Coverage coverage)
{
    return coverage == Coverage::Expanded ? "expanded" : "standard";
}

std::string_view PolicyWord(Policy policy)
{
    return policy == Policy::Owners ? "owner" : "loan";
}

std::variant<ClosingRequest, InputError> ReadClosing(const ClosingTexts& texts)
{
    using F = ClosingField;
    ClosingRequest request;
    const auto split = ReadSplit(texts.split);
    if (!split.value)
        return InputError{F::Split, texts.split, split.error};
    request.splitPercent = *split.value;

    struct AmountInput {
        F field;
        const std::optional<std::string>& text;
        std::optional<double>& value;
    };
    const AmountInput amounts[] = {
        {F::Price, texts.price, request.price},
        {F::Loan, texts.loan, request.loan},
        {F::PriorOwners, texts.priorOwners, request.priorOwners},
        {F::PriorLoan, texts.priorLoan, request.priorLoan},
    };
    for (const AmountInput& amount : amounts) {
        if (!amount.text)
            continue;
        const auto read = ReadClosingAmount(*amount.text);
        if (!read.value)
            return InputError{amount.field, *amount.text, read.error};
        amount.value = read.value;
    }

    if (texts.coverage) {
        const auto coverage = ReadCoverage(*texts.coverage);
        if (!coverage)
            return InputError{F::Coverage, *texts.coverage,
                              QuotedInput(*texts.coverage)
                                  + " is no coverage: standard or expanded"};
        request.coverage = *coverage;
    }
    request.endorsements.reserve(texts.endorsements.size());
    for (const std::string& form : texts.endorsements) {
        const auto read = ReadEndorsement(form);
        if (!read.value)
            return InputError{F::Endorsements, form, read.error};
        request.endorsements.push_back(*read.value);
    }
    request.closingProtectionLetter = texts.closingProtectionLetter;
    return request;
}

} // namespace Quote
