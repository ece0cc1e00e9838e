// Database operations on the largest database the format allows (2978 cards),
// against the time of writing and flushing a 4 MB file with the standard library.
// Run: bench_cards --benchmark_repetitions=10 --benchmark_report_aggregates_only=true
// (the working files go to $TMPDIR, or /tmp).

#include "database.h"

#include <benchmark/benchmark.h>

#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <string>
#include <unistd.h>

namespace
{

namespace fs = std::filesystem;

cards::carte sampleCard(int i)
{
    cards::carte c;
    c.champs = {"Espèce chimique n° " + std::to_string(i),
                "C#" + std::to_string(i % 20 + 1) + "H#" + std::to_string(i % 40 + 2) + "O*2*-",
                "0101010100",
                "liquide incolore, odeur caractéristique à 20 °C",
                std::to_string(i % 500) + ",07",
                "789",
                "0,789",
                "78,3",
                "-114,1",
                "1,361",
                i % 3 ? "miscible" : "12,5"};
    return c;
}

struct Files {
    fs::path dir;
    fs::path db;
    fs::path csv;
    std::vector<char> full; // the bytes of a full database

    Files()
    {
        const char *tmp = std::getenv("TMPDIR");
        dir = fs::path(tmp && *tmp ? tmp : "/tmp") / ("bench_cards-" + std::to_string(::getpid()));
        fs::create_directories(dir);
        db = dir / cards::kDatabaseFileName;
        csv = dir / "especes.csv";
        cards::RecordFile f;
        std::ofstream out(csv, std::ios::binary);
        out << "nom,formule,drapeaux,aspect,massemolaire,massevolumique,densite,ebullition,fusion,"
               "indice,solubilite,reference\n";
        for (int i = 0; i < cards::kMaxCards; ++i) {
            const cards::carte c = sampleCard(i);
            cards::image::writeCard(f, i, c);
            for (int k = 1; k <= cards::kFieldCount; ++k)
                out << (c.field(k).find(',') != std::string::npos ? '"' + c.field(k) + '"'
                                                                  : c.field(k))
                    << ',';
            out << "source\n";
        }
        full = f.bytes();
        restore();
    }
    ~Files() { fs::remove_all(dir); }

    void restore() const { cards::RecordFile(full).save(db); }
};

Files &files()
{
    static Files f;
    return f;
}

void BM_List(benchmark::State &state)
{
    const cards::Database db(files().db);
    for (auto _ : state)
        benchmark::DoNotOptimize(db.list(cards::kMasseMolaire));
}

void BM_ShowLastCard(benchmark::State &state)
{
    const cards::Database db(files().db);
    const std::string last = sampleCard(cards::kMaxCards - 1).nom();
    for (auto _ : state) {
        const cards::ShowResult r = db.showCompletingFlags(last, 0);
        if (!r.found)
            state.SkipWithError("last card not found");
    }
}

void BM_CheckName(benchmark::State &state)
{
    const cards::Database db(files().db);
    for (auto _ : state)
        benchmark::DoNotOptimize(db.checkName("Espèce nouvelle", -1));
}

void BM_WriteCard(benchmark::State &state)
{
    const cards::Database db(files().db);
    const cards::carte c = sampleCard(cards::kMaxCards - 1);
    for (auto _ : state) {
        if (db.write(c, cards::kMaxCards - 1).message != cards::DbMessage::None)
            state.SkipWithError("write failed");
    }
}

void BM_RemoveFirstCard(benchmark::State &state)
{
    const cards::Database db(files().db);
    for (auto _ : state) {
        state.PauseTiming();
        files().restore();
        state.ResumeTiming();
        if (db.remove(0) != cards::DbMessage::None)
            state.SkipWithError("remove failed");
    }
    files().restore();
}

// The reference: 4 MB written and flushed to the disk with the standard library.
void BM_Reference4MBWriteFsync(benchmark::State &state)
{
    const std::vector<char> data(4 * 1024 * 1024, 'x');
    const fs::path path = files().dir / "reference.bin";
    for (auto _ : state) {
        std::FILE *f = std::fopen(path.c_str(), "wb");
        if (!f || std::fwrite(data.data(), 1, data.size(), f) != data.size() ||
            std::fflush(f) != 0 || ::fsync(::fileno(f)) != 0) {
            state.SkipWithError("reference write failed");
        }
        if (f)
            std::fclose(f);
    }
}

#ifdef CARTES_OUTIL
// cartes-outil import of a 2978-line CSV into a new database.
void BM_ImportTool(benchmark::State &state)
{
    const fs::path out = files().dir / "IMPORT.ZYP";
    const std::string cmd = std::string(CARTES_OUTIL) + " import '" + files().csv.string() + "' '" +
                            out.string() + "' > /dev/null";
    for (auto _ : state) {
        state.PauseTiming();
        fs::remove(out);
        state.ResumeTiming();
        if (std::system(cmd.c_str()) != 0)
            state.SkipWithError("import failed");
    }
}
BENCHMARK(BM_ImportTool)->Unit(benchmark::kMillisecond)->UseRealTime();
#endif

BENCHMARK(BM_List)->Unit(benchmark::kMillisecond)->UseRealTime();
BENCHMARK(BM_ShowLastCard)->Unit(benchmark::kMillisecond)->UseRealTime();
BENCHMARK(BM_CheckName)->Unit(benchmark::kMillisecond)->UseRealTime();
BENCHMARK(BM_Reference4MBWriteFsync)->Unit(benchmark::kMillisecond)->UseRealTime();
BENCHMARK(BM_WriteCard)->Unit(benchmark::kMillisecond)->UseRealTime();
BENCHMARK(BM_RemoveFirstCard)->Unit(benchmark::kMillisecond)->UseRealTime();

} // namespace

BENCHMARK_MAIN();
