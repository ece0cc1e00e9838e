// The main window on a full database (2978 cards), offscreen: showing the
// card of another row, and "&Valider" (write, refill and re-sort), each with
// the number of times it opens the database file (db_opens), the changes
// that the window hears of afterwards included.

#include "cardeditor.h"
#include "feuillep.h"
#include "fullwindow.h"
#include "opencount.h"
#include "scripteddialogs.h"
#include "services.h"
#include "specieslist.h"

#include <QApplication>
#include <QElapsedTimer>
#include <QFile>
#include <QLineEdit>
#include <QTemporaryDir>

#include <benchmark/benchmark.h>

#include <memory>

namespace
{

using Fixture = FullWindow;

Fixture &fixture()
{
    return FullWindow::get();
}

void BM_RowChange(benchmark::State &state)
{
    Fixture &f = fixture();
    SpeciesList &list = *f.window->list();
    const int rows[] = {1, list.rows() / 2, list.rows() - 1};
    int i = 0;
    const int opensBefore = databaseOpens();
    for (auto _ : state) {
        list.setRow(rows[i++ % 3], true);
        QCoreApplication::processEvents(); // the card painted
    }
    state.counters["db_opens"] =
        benchmark::Counter(databaseOpens() - opensBefore, benchmark::Counter::kAvgIterations);
    if (!f.dialogs.shown.isEmpty() || f.window->editor()->modifie)
        state.SkipWithError("a message or a modified card");
}

void BM_Valider(benchmark::State &state)
{
    Fixture &f = fixture();
    CardEditor &editor = *f.window->editor();
    f.window->list()->setRow(f.window->list()->rows() / 2, true);
    int i = 0;
    const int opensBefore = databaseOpens();
    for (auto _ : state) {
        editor.Text3[0]->setText(QString::number(100 + (i++ % 7)));
        editor.Command5_Click();
        QCoreApplication::processEvents();
    }
    // The file watcher's notice of the last write comes a little later (the
    // timing has ended with the loop).
    QElapsedTimer settling;
    settling.start();
    while (settling.elapsed() < 50)
        QCoreApplication::processEvents();
    state.counters["db_opens"] =
        benchmark::Counter(databaseOpens() - opensBefore, benchmark::Counter::kAvgIterations);
    if (!f.dialogs.shown.isEmpty() || !editor.reponseNOM)
        state.SkipWithError("the card was not written");
}

// The window made and shown, as at start-up (the process start aside).
void BM_MakeWindow(benchmark::State &state)
{
    Fixture &f = fixture();
    for (auto _ : state) {
        feuilleP window(f.dir.path(), f.dialogs, f.dialUp, f.help);
        window.show();
        QCoreApplication::processEvents();
    }
}

BENCHMARK(BM_MakeWindow)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_RowChange)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_Valider)->Unit(benchmark::kMillisecond);

} // namespace

int main(int argc, char **argv)
{
    qputenv("QT_QPA_PLATFORM", "offscreen");
    QApplication app(argc, argv);
    benchmark::Initialize(&argc, argv);
    benchmark::RunSpecifiedBenchmarks();
    benchmark::Shutdown();
    FullWindow::shared().reset();
    return 0;
}
