#!/usr/bin/env bash
# Runs every benchmark program of a build (the executables under BUILD/bench/)
# five times each and prints one table: each figure, its median, its target
# and, for a target relative to a reference measured in the same run (a bare
# Qt window start-up, muparser, a 4 MB file write and flush), the ratio.
#
# Usage: bench/run-all.sh [BUILD_DIR]
# Without BUILD_DIR it configures and builds a Release build in build-bench/
# first (figures of a Debug build mean little); with one, it runs what that
# build holds. Figures of the benchmarks that the table below does not name are printed too,
# without a target; the raw JSON of each program is kept in BUILD/bench/results/.
set -euo pipefail

root=$(cd "$(dirname "$0")/.." && pwd)
if [ $# -ge 1 ]; then
  build=$(cd "$1" && pwd)
else
  build=$root/build-bench
  cmake -S "$root" -B "$build" -DCMAKE_BUILD_TYPE=Release -DBUILD_TESTING=OFF \
    -DCARTES_BUILD_BENCH=ON > /dev/null
  cmake --build "$build" -j"$(nproc)" > "$build/build.log" 2>&1 ||
    { tail -n 30 "$build/build.log" >&2; exit 1; }
fi
if grep -q '^CMAKE_BUILD_TYPE:STRING=Debug' "$build/CMakeCache.txt" 2>/dev/null; then
  echo "warning: $build is a Debug build; its figures are not the product's" >&2
fi
results=$build/bench/results
mkdir -p "$results"
rm -f "$results"/*.json

# One line per figure: program | benchmark name (a regular expression matched
# against the whole name) | figure | target.
# A target is either an absolute bound, "<= 50 ms", or a bound relative to
# another benchmark of the same run, "<= 3 x program:name" (name a regular
# expression too; \1... refer to the figure's groups), or "reference".
# A bound still to be fixed is written "?" in place of its number. The first
# line whose pattern matches a benchmark gives its figure. The peak memory
# that a benchmark counts (the start-up ones do) is a figure of its own, named
# after the benchmark followed by "/peak_MB", with a bound "<= 50 MB"; so are
# the opens of the database file per action ("/db_opens", "<= 2 opens").
read -r -d '' FIGURES <<'TABLE' || true
bench_startup    | BM_StartupApplication.*                     | start-up on 2978 cards (to the window map)  | <= 1.25 x bench_startup:BM_StartupBare.*
bench_startup    | BM_StartupBundled.*                         | start-up on the 91 bundled cards            | <= 1.15 x bench_startup:BM_StartupBare.*
bench_startup    | BM_StartupBare.*                            | reference: bare Qt window, 3000-row table   | reference
bench_startup    | BM_StartupApplication.*/peak_MB             | peak memory, start-up on 2978 cards         | <= 50 MB
bench_startup    | BM_StartupBundled.*/peak_MB                 | peak memory, start-up on 91 cards           | <= 50 MB
bench_feuillep   | BM_MakeWindow.*                             | main window built on 2978 cards (offscreen) | -
bench_feuillep   | BM_RowChange.*/db_opens                     | opens of the database per row change        | <= 1 opens
bench_feuillep   | BM_Valider.*/db_opens                       | opens of the database per "&Valider"        | <= 2 opens
bench_feuillep   | BM_RowChange.*                              | show the card of another row (2978 cards)   | <= 16 ms
bench_feuillep   | BM_Valider.*                                | "&Valider" on 2978 cards (write, re-sort)   | <= 2 x bench_cards:BM_Reference4MBWriteFsync.*
bench_cards      | BM_List.*                                   | list of a 2978-card database                | <= 5 ms
bench_cards      | BM_ShowLastCard.*                           | show the last card of 2978                  | <= 5 ms
bench_cards      | BM_CheckName.*                              | name check on 2978 cards                    | <= 5 ms
bench_cards      | BM_WriteCard.*                              | write a card into 2978                      | <= 1.5 x bench_cards:BM_Reference4MBWriteFsync.*
bench_cards      | BM_RemoveFirstCard.*                        | remove the first of 2978 cards              | <= 1.5 x bench_cards:BM_Reference4MBWriteFsync.*
bench_cards      | BM_ImportTool.*                             | cartes-outil import of 2978 lines           | <= 1000 ms
bench_cards      | BM_Reference4MBWriteFsync.*                 | reference: 4 MB write + fsync               | reference
bench_calculator | BM_evalue/([0-9]+)                          | evaluator, expression \1                    | <= 1 x bench_calculator:BM_muparser/\1
bench_calculator | BM_evalue_500_operators.*                   | evaluator, 500 operators                    | <= 1 x bench_calculator:BM_muparser_500_operators.*
bench_calculator | BM_muparser.*                               | reference: muparser                         | reference
bench_carddraw   | BM_FormulaAfterKey.*                        | formula redrawn after a key                 | <= 1 ms
bench_carddraw   | BM_FormulaPaint.*                           | formula layout and drawing                  | <= 1 ms
bench_carddraw   | BM_UnitMarks.*                              | Frame1 unit marks repaint                   | <= 5 ms
bench_carddraw   | BM_Creimage.*                               | whole card picture (creimage)               | <= 5 ms
bench_search     | BM_SearchFirstKey.*                         | first search key after a refill (keys made) | <= 16 ms
bench_search     | BM_SearchKeys.*                             | search keys of 2978 cards (read and folded) | -
bench_search     | BM_SearchKey.*                              | one key in the search field (2978 cards)    | <= 16 ms
bench_search     | BM_SearchAllOrNone.*                        | search key leaving out all, then Backspace  | <= 16 ms
bench_site       | BM_WriteCatalogue/over_old:0.*              | web catalogue of 2978 cards, new folder     | <= 5 s
bench_site       | BM_WriteCatalogue/over_old:1.*              | web catalogue of 2978 cards, over the old   | <= 5 s
bench_page       | BM_IndexInteractive                         | its index interactive in Chromium           | <= 1 s
bench_page       | BM_SearchKeystroke/all                      | its search, one keystroke (all keys)        | <= 16 ms
bench_page       | BM_SearchKeystroke/(.*)                     | its search, keystroke \1                   | <= 16 ms
bench_page       | BM_SearchWholeList/(.*)                     | its search, until the list is whole (\1)   | -
bench_print      | BM_PrintDatabase/cards:500/all_hazards:0.*  | print 500 cards to PDF                      | reference
bench_print      | BM_PrintDatabase/cards:1500/all_hazards:0.* | print 1500 cards to PDF (linear: 3 x 500)  | <= 3.6 x bench_print:BM_PrintDatabase/cards:500/all_hazards:0.*
bench_print      | BM_PrintDatabase/cards:2978/all_hazards:0.* | print 2978 cards to PDF (linear: 5.96 x 500) | <= 7.2 x bench_print:BM_PrintDatabase/cards:500/all_hazards:0.*
bench_print      | BM_PrintDatabase/cards:([0-9]+)/all_hazards:0.* | print \1 cards to PDF                   | <= ? x bench_print:BM_PrintDatabase/cards:500/all_hazards:0.*
bench_print      | BM_PrintDatabase/cards:500/all_hazards:1.*  | print 500 cards, every pictogram            | reference
bench_print      | BM_PrintDatabase/cards:1500/all_hazards:1.* | print 1500 cards, every pictogram          | <= 3.6 x bench_print:BM_PrintDatabase/cards:500/all_hazards:1.*
bench_print      | BM_PrintDatabase/cards:2978/all_hazards:1.* | print 2978 cards, every pictogram          | <= 7.2 x bench_print:BM_PrintDatabase/cards:500/all_hazards:1.*
bench_print      | BM_PrintDatabase/cards:([0-9]+)/all_hazards:1.* | print \1 cards, every pictogram         | <= ? x bench_print:BM_PrintDatabase/cards:500/all_hazards:1.*
TABLE

status=0
found=0
while IFS= read -r -d '' exe; do
  name=$(basename "$exe")
  found=1
  echo "== $name" >&2
  if ! (cd "$(dirname "$exe")" && "$exe" --benchmark_repetitions=5 \
      --benchmark_report_aggregates_only=true --benchmark_format=json \
      > "$results/$name.json" 2> "$results/$name.log"); then
    echo "   $name failed, see $results/$name.log" >&2
    status=1
  fi
done < <(find -L "$build/bench" -mindepth 2 -maxdepth 2 -type f -executable \
           ! -name '*.sh' ! -path '*/CMakeFiles/*' -print0 | sort -z)
if [ "$found" = 0 ]; then
  echo "no benchmark program under $build/bench (build with -DCARTES_BUILD_BENCH=ON)" >&2
  exit 1
fi
# The web catalogue's index in Chromium, measured in the page itself.
if [ -x "$build/tools/cartes-outil" ] && [ -x /usr/bin/chromium ]; then
  echo "== bench_page" >&2
  if ! /usr/bin/python3 "$root/bench/site/bench_page.py" "$build/tools/cartes-outil" \
      "$results/bench_page.json" > "$results/bench_page.log" 2>&1; then
    echo "   bench_page failed, see $results/bench_page.log" >&2
    status=1
  fi
fi

FIGURES=$FIGURES python3 - "$results" <<'PY'
import glob, json, os, re, sys

results = sys.argv[1]
scale = {"ns": 1e-6, "us": 1e-3, "ms": 1.0, "s": 1e3}

# program -> benchmark name -> median real time in ms
medians = {}
# program -> benchmark name + "/peak_MB" or "/db_opens" -> median of that counter
counted = {"peak_MB": "MB", "db_opens": "opens"}
counters = {}
for path in sorted(glob.glob(os.path.join(results, "*.json"))):
    program = os.path.basename(path)[:-5]
    try:
        with open(path) as f:
            data = json.load(f)
    except (OSError, ValueError):
        continue
    for b in data.get("benchmarks", []):
        if b.get("aggregate_name") != "median" or b.get("error_occurred"):
            continue
        name = b.get("run_name") or b["name"].rsplit("_median", 1)[0]
        medians.setdefault(program, {})[name] = b["real_time"] * scale[b.get("time_unit", "ns")]
        for counter in counted:
            if counter in b:
                counters.setdefault(program, {})[name + "/" + counter] = b[counter]

rows = []
for line in os.environ["FIGURES"].splitlines():
    if line.strip() and not line.lstrip().startswith("#"):
        rows.append([p.strip() for p in line.split("|")])

def short(name):
    # The run options Google Benchmark appends to a name say nothing of the figure.
    return re.sub(r"(/(iterations:\d+|repeats:\d+|manual_time|real_time))+$", "", name)

def fmt(ms):
    if ms >= 1000:
        return "%.2f s" % (ms / 1000)
    if ms >= 1:
        return "%.2f ms" % ms
    if ms >= 1e-3:
        return "%.2f µs" % (ms * 1e3)
    return "%.0f ns" % (ms * 1e6)

out = []
named = set()
for program, pattern, figure, target in rows:
    counter = next((c for c in counted if pattern.endswith("/" + c)), None)
    if counter:
        unit = counted[counter]
        for name, value in sorted(counters.get(program, {}).items()):
            m = re.fullmatch(pattern, name)
            if not m or (program, name) in named:
                continue
            named.add((program, name))
            bound = re.fullmatch(r"<=\s*(\S+)\s*" + unit, target)
            verdict = ("ok" if value <= float(bound.group(1)) else "OVER") if bound else ""
            label = program + ":" + short(name[:-len(counter) - 1]) + "/" + counter
            out.append((label, m.expand(figure), "%.1f %s" % (value, unit), target, "", verdict))
        continue
    for name, ms in sorted(medians.get(program, {}).items()):
        m = re.fullmatch(pattern, name)
        if not m or (program, name) in named:
            continue
        named.add((program, name))
        label = m.expand(figure)
        tgt = m.expand(target)
        ratio = verdict = ""
        rel = re.fullmatch(r"<=\s*(\S+)\s*x\s*([^:\s]+):(\S+)", tgt)
        absolute = re.fullmatch(r"<=\s*(\S+)\s*(ns|us|ms|s)", tgt)
        if rel:
            bound, refprog, refname = rel.groups()
            ref = next((v for n, v in sorted(medians.get(refprog, {}).items())
                        if re.fullmatch(refname, n)), None)
            if ref:
                r = ms / ref
                ratio = "%.2f" % r
                if bound != "?":
                    verdict = "ok" if r <= float(bound) else "OVER"
            tgt = "<= %s x %s" % (bound, refname.replace(".*", ""))
        elif absolute and absolute.group(1) != "?":
            verdict = "ok" if ms <= float(absolute.group(1)) * scale[absolute.group(2)] else "OVER"
        out.append((program + ":" + short(name), label, fmt(ms), tgt, ratio, verdict))
for program in sorted(medians):
    for name, ms in sorted(medians[program].items()):
        if (program, name) not in named:
            out.append((program + ":" + short(name), "", fmt(ms), "-", "", ""))

head = ("benchmark", "figure", "median", "target", "ratio", "")
widths = [max(len(r[i]) for r in out + [head]) for i in range(6)]
for r in [head] + out:
    print("  ".join(c.ljust(w) for c, w in zip(r, widths)).rstrip())
PY
exit $status
