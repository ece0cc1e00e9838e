// Writing the web catalogue of the largest database (2978 generated cards,
// every field filled): into a new folder, and over the catalogue of the same
// database, as a teacher publishes again. The folders are removed only when
// the program ends: a file system slows down creating files where thousands
// were just removed, which publishing into a new folder does not meet.
#include "catalogue.h"
#include "database.h"
#include "fulldatabase.h"

#include <QFile>
#include <QGuiApplication>
#include <QTemporaryDir>

#include <benchmark/benchmark.h>

namespace
{

// One folder for every run, removed when the program ends.
const QTemporaryDir &work()
{
    static const QTemporaryDir dir;
    return dir;
}

const std::vector<cards::carte> &fullCards()
{
    static const std::vector<cards::carte> cards = [] {
        const std::filesystem::path path = QFile::encodeName(work().path()).toStdString();
        return writeFullDatabase(path) ? cards::Database::inDirectory(path).cards().cards
                                       : std::vector<cards::carte>();
    }();
    return cards;
}

void BM_WriteCatalogue(benchmark::State &state)
{
    const bool over = state.range(0) != 0;
    const std::vector<cards::carte> &all = fullCards();
    static int runs = 0;
    QString folder = work().filePath(QStringLiteral("catalogue-%1").arg(++runs));
    if (over)
        site::writeCatalogue(all, folder, hazardpictures::Style::Ghs);
    for (auto _ : state) {
        if (!over)
            folder = work().filePath(QStringLiteral("catalogue-%1").arg(++runs));
        const site::Published p = site::writeCatalogue(all, folder, hazardpictures::Style::Ghs);
        if (!p.ok || p.species != cards::kMaxCards)
            state.SkipWithError(p.message.toUtf8().constData());
    }
}
BENCHMARK(BM_WriteCatalogue)
    ->ArgName("over_old")
    ->Arg(0)
    ->Arg(1)
    ->Unit(benchmark::kMillisecond)
    ->Iterations(1)
    ->UseRealTime();

} // namespace

int main(int argc, char **argv)
{
    qputenv("QT_QPA_PLATFORM", "offscreen");
    QGuiApplication app(argc, argv);
    benchmark::Initialize(&argc, argv);
    benchmark::RunSpecifiedBenchmarks();
    benchmark::Shutdown();
    return 0;
}
