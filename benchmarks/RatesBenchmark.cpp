// How long the calculator takes for what the agent does all day: the engine
// arithmetic on its own, a month of closings in the engine, opening the rate
// window, and one whole calculation typed into the real window. Run by hand:
//   build/benchmarks/rates_benchmark

#include "engine/Closing.h"
#include "engine/NumberText.h"
#include "engine/Pricing.h"
#include "toolkit/Program.h"
#include "windows/frmRates.h"

#include <QApplication>
#include <QTest>

#include <benchmark/benchmark.h>

#include <cstdlib>
#include <random>
#include <string>
#include <vector>

namespace {

void FormatAnAmount(benchmark::State& state)
{
    double amount = 276.925;
    for (auto _ : state) {
        benchmark::DoNotOptimize(StateCalcs::FormatStandard(amount));
        amount += 0.01;
    }
}
BENCHMARK(FormatAnAmount);

void PriceAReissue(benchmark::State& state)
{
    double liability = 250'000;
    for (auto _ : state) {
        benchmark::DoNotOptimize(StateCalcs::PriceLine("901", {liability, 100'000}, 15));
        liability += 1'000;
    }
}
BENCHMARK(PriceAReissue);

// The engine's part of a month's remittance report: the closings of the
// quote benchmark's month, already read, quoted and their report cells
// written (split, codes and the five figures), without the reading and
// writing of the file.
std::vector<StateCalcs::ClosingRequest> MonthOfClosingRequests(int count)
{
    using namespace StateCalcs;
    std::mt19937 random(20130201);
    const auto amount = [&](int largest) {
        return static_cast<double>(1'000
                                   + static_cast<int>(random() % static_cast<unsigned>(largest)));
    };
    const auto endorsement = [](std::string_view text) { return *ReadEndorsement(text).value; };
    const std::vector<std::vector<EndorsementRequest>> endorsements{
        {},
        {endorsement("8.1"), endorsement("9-06")},
        {endorsement("3.1:loan"), endorsement("8.1")},
        {endorsement("27")},
        {endorsement("3:owner")},
    };
    std::vector<ClosingRequest> month;
    for (int i = 0; i < count; ++i) {
        const int kind = i % 5;
        ClosingRequest request;
        request.splitPercent = 10 + i % 61;
        if (kind != 2 && kind != 4)
            request.price = amount(900'000);
        if (kind != 3)
            request.loan = amount(900'000);
        if (kind == 3)
            request.priorOwners = amount(500'000);
        if (kind == 2)
            request.priorLoan = amount(500'000);
        if (kind == 4)
            request.coverage = Coverage::Expanded;
        request.endorsements = endorsements[kind == 1   ? 1 + i % 2
                                            : kind == 3 ? 4
                                            : kind == 4 ? 3
                                                        : 0];
        request.closingProtectionLetter = i % 2;
        month.push_back(std::move(request));
    }
    return month;
}

void QuoteAMonthInTheEngine(benchmark::State& state)
{
    using namespace StateCalcs;
    const auto month = MonthOfClosingRequests(static_cast<int>(state.range(0)));
    for (auto _ : state) {
        std::size_t written = 0;
        for (const ClosingRequest& request : month) {
            const ClosingOutcome outcome = QuoteClosing(request);
            const ClosingQuote& quote = *outcome.quote;
            std::string codes;
            for (const QuotedLine& line : quote.lines)
                codes += (codes.empty() ? "" : " ") + std::string(line.code);
            written += codes.size() + FormatStandard(quote.splitPercent).size()
                       + FormatCents(quote.grossCents, false).size()
                       + FormatCents(quote.remitCents, false).size()
                       + FormatCents(quote.trid.lendersDisclosedCents, false).size()
                       + FormatCents(quote.trid.ownersDisclosedCents, false).size()
                       + FormatCents(quote.trid.otherCents, false).size();
        }
        benchmark::DoNotOptimize(written);
    }
    state.SetItemsProcessed(state.iterations() * static_cast<std::int64_t>(month.size()));
}
BENCHMARK(QuoteAMonthInTheEngine)->Arg(100'000)->Unit(benchmark::kMillisecond);

void OpenTheRateWindow(benchmark::State& state)
{
    for (auto _ : state) {
        auto* rates = new frmRates;
        rates->Show();
        QCoreApplication::processEvents();
        tk::Program::DestroyAllForms();
    }
}
BENCHMARK(OpenTheRateWindow)->Unit(benchmark::kMillisecond);

// Line, liability, <ENTER>, read Gross and Remit, Continue: keys sent to the
// control with the focus, as the agent's keyboard does.
void OneCalculationAtTheKeyboard(benchmark::State& state)
{
    tk::Program::Begin();
    auto* rates = new frmRates;
    rates->Show();
    const auto key = [](Qt::Key k) { QTest::keyClick(QApplication::focusWidget(), k); };
    QTest::keyClicks(QApplication::focusWidget(), QStringLiteral("15"));
    key(Qt::Key_Return);
    for (auto _ : state) {
        key(Qt::Key_Return); // into the liability field
        QTest::keyClicks(QApplication::focusWidget(), QStringLiteral("250000"));
        key(Qt::Key_Return); // priced; the focus is on Continue
        key(Qt::Key_Return); // Continue: clipboard, reset, back to the list
    }
    tk::Program::DestroyAllForms();
}
BENCHMARK(OneCalculationAtTheKeyboard)->Unit(benchmark::kMicrosecond);

} // namespace

int main(int argc, char* argv[])
{
    if (!std::getenv("QT_QPA_PLATFORM") && !std::getenv("DISPLAY"))
        setenv("QT_QPA_PLATFORM", "offscreen", 1);
    QApplication app(argc, argv);
    tk::Program::Begin();
    benchmark::Initialize(&argc, argv);
    benchmark::RunSpecifiedBenchmarks();
    benchmark::Shutdown();
    return 0;
}
