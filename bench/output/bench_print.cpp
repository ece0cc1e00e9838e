// Printing the whole database to a PDF file through the print dialog and the
// main window, as the application does it (the cards read from the database
// and drawn as they show), for databases of generated cards up to the largest
// (2978 cards).
#include "confimp.h"
#include "feuillep.h"
#include "fulldatabase.h"
#include "scripteddialogs.h"
#include "services.h"
#include "specieslist.h"
#include "windowprintsource.h"

#include <QApplication>
#include <QFile>
#include <QFileInfo>
#include <QPrinter>
#include <QPushButton>
#include <QRadioButton>
#include <QTemporaryDir>

#include <benchmark/benchmark.h>

namespace
{

struct NoHelp : platform::HelpViewer {
    void showHelp(QWidget *) override {}
    void showCourse(QWidget *) override {}
};

void BM_PrintDatabase(benchmark::State &state)
{
    const int count = int(state.range(0));
    const bool allHazards = state.range(1) != 0;
    QTemporaryDir dir;
    if (!writeGeneratedDatabase(QFile::encodeName(dir.path()).toStdString(), count, allHazards)) {
        state.SkipWithError("the database could not be written");
        return;
    }
    platform::ScriptedDialogs dialogs;
    platform::NoDialUp dialUp;
    NoHelp help;
    feuilleP window(dir.path(), dialogs, dialUp, help);
    WindowSource source(window);
    QPrinter printer(QPrinter::HighResolution);
    printer.setOutputFormat(QPrinter::PdfFormat);
    printer.setOutputFileName(dir.filePath(QStringLiteral("base.pdf")));
    printer.setPageSize(QPageSize(QPageSize::A4));
    for (auto _ : state) {
        confimp dialog(source, dialogs, printer, nullptr);
        dialog.Option2->setChecked(true);
        dialog.Command1->click();
    }
    if (!dialogs.shown.isEmpty() || window.list()->row() != count)
        state.SkipWithError("a message, or the last row not shown");
    const qint64 bytes = QFileInfo(printer.outputFileName()).size();
    state.counters["pdf_bytes"] = double(bytes);
    state.counters["bytes_per_card"] = double(bytes) / count;
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
