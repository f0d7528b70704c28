// How long the month's remittance report takes: 100,000 closings of a batch
// file priced as tarnwell-quote prices them, reading the CSV and writing the
// report included. Run by hand:
//   build/benchmarks/quote_benchmark

#include "quote/QuoteProgram.h"

#include <benchmark/benchmark.h>

#include <random>
#include <sstream>
#include <string>

namespace {

// Purchases with and without a loan, refinances, reissues and expanded
// policies, with endorsements and the letter, as a month of closings mixes them.
std::string MonthOfClosings(int count)
{
    std::mt19937 random(20130201);
    const auto amount = [&](int largest) {
        return std::to_string(1'000 + static_cast<int>(random() % static_cast<unsigned>(largest)));
    };
    const char* endorsements[] = {"", "8.1 9-06", "\"3.1:loan 8.1\"", "27", "3:owner"};
    std::ostringstream csv;
    csv << "file,split,price,loan,prior_owners,prior_loan,coverage,endorsements,cpl\n";
    for (int i = 0; i < count; ++i) {
        const int kind = i % 5;
        const std::string price = kind == 2 || kind == 4 ? "" : amount(900'000);
        const std::string loan = kind == 3 ? "" : amount(900'000);
        csv << "2026-" << i << ',' << 10 + i % 61 << ',' << price << ',' << loan << ','
            << (kind == 3 ? amount(500'000) : "") << ',' << (kind == 2 ? amount(500'000) : "")
            << ',' << (kind == 4 ? "expanded" : "") << ','
            << (kind == 1 || kind == 3 ? endorsements[kind == 1 ? 1 + i % 2 : 4]
                                       : endorsements[kind == 4 ? 3 : 0])
            << ',' << (i % 2 ? "yes" : "no") << '\n';
    }
    return csv.str();
}

void PriceAMonthOfClosings(benchmark::State& state)
{
    const int count = static_cast<int>(state.range(0));
    const std::string batch = MonthOfClosings(count);
    for (auto _ : state) {
        std::istringstream in(batch);
        std::ostringstream out, err;
        const int status = Quote::RunQuote({"--batch", "-"}, in, out, err);
        if (status != 0)
            state.SkipWithError(err.str().c_str());
        benchmark::DoNotOptimize(out.str().size());
    }
    state.SetItemsProcessed(state.iterations() * count);
    state.counters["closings/s"] = benchmark::Counter(
        static_cast<double>(count), benchmark::Counter::kIsIterationInvariantRate);
}
BENCHMARK(PriceAMonthOfClosings)->Arg(100'000)->Unit(benchmark::kMillisecond);

} // namespace

BENCHMARK_MAIN();
