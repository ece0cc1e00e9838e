// Printing the whole database to a PDF file through the print dialog, for
// lists of generated cards up to the largest database (2978 cards).
#include "confimp.h"
#include "fakesource.h"

#include "scripteddialogs.h"

#include <QApplication>
#include <QFileInfo>
#include <QPrinter>
#include <QPushButton>
#include <QRadioButton>
#include <QTemporaryDir>

#include <benchmark/benchmark.h>

namespace
{

qint64 printDatabase(int cards, bool allHazards)
{
    QTemporaryDir dir;
    platform::ScriptedDialogs dialogs;
    FakeSource source;
    source.dialogs = &dialogs;
    for (int i = 0; i < cards; ++i) {
        source.cards.push_back(sampleCard(i));
        if (allHazards)
            source.cards.back().hazards = {true, true, true, true};
    }
    QPrinter printer(QPrinter::HighResolution);
    printer.setOutputFormat(QPrinter::PdfFormat);
    printer.setOutputFileName(dir.filePath(QStringLiteral("base.pdf")));
    printer.setPageSize(QPageSize(QPageSize::A4));
    confimp dialog(source, dialogs, printer, nullptr);
    dialog.Option2->setChecked(true);
    dialog.Command1->click();
    return QFileInfo(printer.outputFileName()).size();
}

void BM_PrintDatabase(benchmark::State &state)
{
    const int cards = int(state.range(0));
    const bool allHazards = state.range(1) != 0;
    qint64 bytes = 0;
    for (auto _ : state)
        bytes = printDatabase(cards, allHazards);
    state.counters["pdf_bytes"] = double(bytes);
    state.counters["bytes_per_card"] = double(bytes) / cards;
}

} // namespace

BENCHMARK(BM_PrintDatabase)
    ->ArgNames({"cards", "all_hazards"})
    ->Args({500, 0})
    ->Args({1500, 0})
    ->Args({2978, 0})
    ->Args({500, 1})
    ->Args({2978, 1})
    ->Unit(benchmark::kMillisecond)
    ->Iterations(1)
    ->Repetitions(3)
    ->ReportAggregatesOnly(true);

int main(int argc, char **argv)
{
    if (qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM"))
        qputenv("QT_QPA_PLATFORM", "offscreen");
    QApplication app(argc, argv);
    benchmark::Initialize(&argc, argv);
    benchmark::RunSpecifiedBenchmarks();
    benchmark::Shutdown();
    return 0;
}
