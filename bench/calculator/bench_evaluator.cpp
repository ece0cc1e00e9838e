// One-shot evaluation (the text is read and computed each time) of the
// calculator's expressions, side by side with muparser on the same ones.
#include "evaluator.h"

#include <benchmark/benchmark.h>
#include <muParser.h>

#include <string>

namespace
{

struct Case {
    const char *calculator;
    const char *muparser;
};

const Case kCases[] = {
    {"2 + 3 * 4", "2+3*4"},
    {"2 * sin 30 + (4 - -1) ^ 2", "2*sin(30*_pi/180)+(4- -1)^2"},
    {"log 1000 + ln (2 + 3)", "log10(1000)+ln(2+3)"},
    {"1E+5 + 1", "1e5+1"},
};

// 500 operators: 1 + 2 * 3 - 4 / 5 + 6 ...
std::string longExpression(bool spaced)
{
    static const char *const operators[] = {"+", "*", "-", "/"};
    std::string text = "1";
    for (int i = 0; i < 500; ++i) {
        text += spaced ? std::string(" ") + operators[i % 4] + " " : operators[i % 4];
        text += std::to_string(i % 9 + 2);
    }
    return text;
}

void evalue(benchmark::State &state, const std::string &expression)
{
    for (auto _ : state) {
        std::string text = expression;
        calculator::Evaluator evaluator;
        const int code = evaluator.evalue(text, calculator::kDegrees);
        if (code != calculator::kSuccess) {
            state.SkipWithError("evaluation failed");
            break;
        }
        benchmark::DoNotOptimize(text);
    }
}

void muparser(benchmark::State &state, const std::string &expression)
{
    mu::Parser parser;
    for (auto _ : state) {
        parser.SetExpr(expression);
        benchmark::DoNotOptimize(parser.Eval());
    }
}

void BM_evalue(benchmark::State &state)
{
    evalue(state, kCases[state.range(0)].calculator);
    state.SetLabel(kCases[state.range(0)].calculator);
}

void BM_muparser(benchmark::State &state)
{
    muparser(state, kCases[state.range(0)].muparser);
    state.SetLabel(kCases[state.range(0)].muparser);
}

void BM_evalue_500_operators(benchmark::State &state)
{
    evalue(state, longExpression(true));
}

void BM_muparser_500_operators(benchmark::State &state)
{
    muparser(state, longExpression(false));
}

} // namespace

BENCHMARK(BM_evalue)->DenseRange(0, 3);
BENCHMARK(BM_muparser)->DenseRange(0, 3);
BENCHMARK(BM_evalue_500_operators)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_muparser_500_operators)->Unit(benchmark::kMillisecond);

BENCHMARK_MAIN();
