// Find as you type on a full database (2978 cards), offscreen: one key typed
// in the search field, until the list is drawn again.

#include "../startup/fullwindow.h"
#include "database.h"
#include "feuillep.h"
#include "scripteddialogs.h"
#include "services.h"
#include "specieslist.h"

#include <QApplication>
#include <QFile>
#include <QKeyEvent>
#include <QLineEdit>
#include <QTableView>
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

void sendKey(QWidget *w, int key, const QString &text)
{
    QKeyEvent press(QEvent::KeyPress, key, Qt::NoModifier, text);
    QApplication::sendEvent(w, &press);
    QKeyEvent release(QEvent::KeyRelease, key, Qt::NoModifier, text);
    QApplication::sendEvent(w, &release);
}

// The keys of a pupil looking for card 1234 by its number and erasing it:
// from the whole list to one card in four keys, and back. Each iteration is
// one key, the list's repaint included.
void BM_SearchKey(benchmark::State &state)
{
    Fixture &f = fixture();
    SpeciesList &list = *f.window->list();
    QLineEdit *field = list.recherche;
    field->setFocus();
    field->clear();
    QCoreApplication::processEvents();
    const QString digits = QStringLiteral("1234");
    const int all = list.rows() - 1;
    int i = 0;
    bool right = true;
    for (auto _ : state) {
        const int step = i++ % 8;
        if (step < 4)
            sendKey(field, Qt::Key_1 + step, digits.mid(step, 1));
        else
            sendKey(field, Qt::Key_Backspace, QString());
        QCoreApplication::processEvents(); // the list drawn
        if (step == 3)
            right = right && list.shownRows() == 1;
        else if (step == 7)
            right = right && list.shownRows() == all;
    }
    field->clear();
    if (!right || all != 2978 || !f.dialogs.shown.isEmpty())
        state.SkipWithError("the search did not narrow the list to one card and back");
}

// The widest change: a key that leaves out every card, then Backspace that
// brings all 2978 back.
void BM_SearchAllOrNone(benchmark::State &state)
{
    Fixture &f = fixture();
    SpeciesList &list = *f.window->list();
    QLineEdit *field = list.recherche;
    field->setFocus();
    field->clear();
    QCoreApplication::processEvents();
    const int all = list.rows() - 1;
    int i = 0;
    bool right = true;
    for (auto _ : state) {
        const bool none = i++ % 2 == 0;
        if (none)
            sendKey(field, Qt::Key_Z, QStringLiteral("z"));
        else
            sendKey(field, Qt::Key_Backspace, QString());
        QCoreApplication::processEvents();
        right = right && list.shownRows() == (none ? 0 : all);
    }
    field->clear();
    if (!right || all != 2978)
        state.SkipWithError("the search did not leave out every card and bring them back");
}

// The first key after the list is filled (start-up, a sort, "&Valider"): the
// formulas read and every row's name and formula folded, then the rows
// hidden and the list drawn.
void BM_SearchFirstKey(benchmark::State &state)
{
    Fixture &f = fixture();
    SpeciesList &list = *f.window->list();
    QLineEdit *field = list.recherche;
    field->setFocus();
    bool right = true;
    for (auto _ : state) {
        state.PauseTiming();
        field->clear();
        list.majtab(); // a new filling: no keys yet
        QCoreApplication::processEvents();
        state.ResumeTiming();
        sendKey(field, Qt::Key_7, QStringLiteral("7"));
        QCoreApplication::processEvents();
        right = right && list.shownRows() > 0 && list.shownRows() < list.rows() - 1;
    }
    field->clear();
    if (!right)
        state.SkipWithError("the first key did not narrow the list");
}

// The keys alone: one reading of the formulas and 2978 names and formulas
// folded.
void BM_SearchKeys(benchmark::State &state)
{
    Fixture &f = fixture();
    const SpeciesListing listing = readSpeciesListing(f.dir.path(), cards::kMasseMolaire, true);
    const cards::Database db(
        QFile::encodeName(f.dir.filePath(cards::kDatabaseFileName)).toStdString());
    std::size_t keys = 0;
    for (auto _ : state)
        keys = searchKeys(db.list(cards::kFormule), listing.rows).size();
    if (keys != cards::kMaxCards)
        state.SkipWithError("not one key per card");
}

BENCHMARK(BM_SearchFirstKey)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_SearchKeys)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_SearchKey)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_SearchAllOrNone)->Unit(benchmark::kMillisecond);

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
