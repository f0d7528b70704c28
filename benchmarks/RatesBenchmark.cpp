// How long the calculator takes for what the agent does all day: the engine
// arithmetic on its own, opening the rate window, and one whole calculation
// typed into the real window. Run by hand:
//   build/benchmarks/rates_benchmark

#include "engine/NumberText.h"
#include "engine/Pricing.h"
#include "toolkit/Program.h"
#include "windows/frmRates.h"

#include <QApplication>
#include <QTest>

#include <benchmark/benchmark.h>

#include <cstdlib>

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
