#!/usr/bin/python3
"""The web catalogue of the largest database (2978 generated cards, as
bench/startup/fulldatabase.h makes them) in headless Chromium, served on
loopback, measured in the page with performance.now():

- the index until it can be searched: DOMContentLoaded ended, the list parsed
  and its script run (the navigation's own timing);
- one keystroke in the search field: the list filtered, its style and layout
  made again (read back at once), for the keys of a pupil looking for card
  1234 and erasing it, then a text found nowhere and the whole list again;
  and the same keystroke until the list has shown all it keeps (the blocks
  of rows below the first screenful come in the next frames).

Medians of several rounds. Prints them and, given a path, writes them as
Google Benchmark's JSON for bench/run-all.sh's table.

Usage: bench_page.py CARTES_OUTIL [RESULT.json]
"""
import json
import os
import statistics
import subprocess
import sys
import tempfile

sys.path.insert(0, os.path.join(os.path.dirname(__file__), "..", "..", "tests", "support"))
import browser  # noqa: E402

ROUNDS = 9
CARDS = 2978
KEYS = ["1", "12", "123", "1234", "123", "12", "1", "", "x", ""]

# The keystroke until laid out again, and until the list has shown all its
# blocks (beyond the first screenful, they come in the next frames).
KEYSTROKE = """
const done = arguments[arguments.length - 1];
const f = document.getElementById('recherche');
const t0 = performance.now();
f.value = arguments[0];
f.dispatchEvent(new Event('input'));
document.body.offsetHeight;
const t1 = performance.now();
const whole = () => document.querySelector('[aria-busy]') ? requestAnimationFrame(whole)
                                                          : done([t1 - t0, performance.now() - t0]);
whole();
"""


def database_csv():
    lines = ["nom,formule,drapeaux,aspect,massemolaire,massevolumique,densite,ebullition,"
             "fusion,indice,solubilite,reference"]
    for i in range(CARDS):
        values = ['"%d,%d"' % ((i * 31 + k * 17) % 1000, i % 10) for k in range(7)]
        if i % 50 == 0:
            values[6] = "miscible"
        lines.append('"Espèce chimique n° %04d",C#6H#1#2O#6,%s,"solide blanc, cristaux '
                     'incolores, odeur caractéristique",%s,'
                     % ((i * 7919) % CARDS, "1010000100" if i % 3 else "0101011110",
                        ",".join(values)))
    return "\n".join(lines) + "\n"


def main():
    outil = sys.argv[1]
    work = tempfile.mkdtemp(prefix="bench-page-")
    csv = os.path.join(work, "especes.csv")
    with open(csv, "w", encoding="utf-8") as f:
        f.write(database_csv())
    database = os.path.join(work, "ESPCHIMIQUES.ZYP")
    subprocess.run([outil, "import", csv, database], check=True, capture_output=True)
    folder = os.path.join(work, "catalogue")
    subprocess.run([outil, "site", database, folder], check=True, capture_output=True)

    interactive = []
    keys = {k: [] for k in range(len(KEYS))}
    driver = browser.chromium()
    try:
        with browser.served(folder) as http:
            for _ in range(ROUNDS):
                driver.get(http + "index.html")
                interactive.append(driver.execute_script(
                    "return performance.getEntriesByType('navigation')[0]"
                    ".domContentLoadedEventEnd;"))
                shown = driver.execute_script(
                    "return document.querySelectorAll('#especes .espece').length;")
                if shown != CARDS:
                    sys.exit("the index lists %d species, not %d" % (shown, CARDS))
                for k, key in enumerate(KEYS):
                    keys[k].append(driver.execute_async_script(KEYSTROKE, key))
                if driver.execute_script(
                        "return document.querySelectorAll('#especes .espece').length - "
                        "Array.from(document.querySelectorAll('#especes a'))"
                        ".filter(a => a.checkVisibility()).length;") != 0:
                    sys.exit("the list is not whole again after the search")
    finally:
        driver.quit()
        subprocess.run(["rm", "-rf", work])

    figures = {"BM_IndexInteractive": statistics.median(interactive)}
    for k, key in enumerate(KEYS):
        before = KEYS[k - 1] if k else ""
        figures["BM_SearchKeystroke/%d:%s->%s" % (k, before or "(vide)", key or "(vide)")] = \
            statistics.median(t[0] for t in keys[k])
    figures["BM_SearchKeystroke/all"] = statistics.median(t[0] for t in sum(keys.values(), []))
    figures["BM_SearchWholeList/all"] = statistics.median(t[1] for t in sum(keys.values(), []))
    figures["BM_SearchWholeList/max"] = max(statistics.median(t[1] for t in keys[k]) for k in keys)
    for name, ms in figures.items():
        print("%-40s %8.2f ms" % (name, ms))
    if len(sys.argv) > 2:
        with open(sys.argv[2], "w") as f:
            json.dump({"benchmarks": [
                {"name": n, "run_name": n, "aggregate_name": "median", "real_time": ms,
                 "time_unit": "ms"} for n, ms in figures.items()]}, f, indent=1)


main()
