#!/usr/bin/python3
"""The web catalogue of the bundled database in headless Chromium, opened from
disk and from a loopback web server. One card with a hostile name and texts is
added, so that every page also shows that a card's text stays text.

Invariants checked on every page: it loads nothing from outside its folder,
its pictures load, its texts are the database's, nothing scrolls sideways on a
360-pixel phone, axe-core finds no serious or critical violation, a card page
prints on one A4 page and has no script. On the index: every species is
listed, the search finds as the program's does, each sort orders its column.

Usage: test_catalogue.py CARTES_OUTIL BUNDLED_DATABASE WORK_DIR BUILD_DIR
"""
import base64
import csv
import io
import os
import re
import resource
import shutil
import signal
import subprocess
import sys
import time

sys.path.insert(0, os.path.join(os.path.dirname(__file__), "..", "support"))
import browser  # noqa: E402

OUTIL, BUNDLED, WORK, BUILD = sys.argv[1:5]
HOSTILE = ('"Essai <script>alert(""é"")</script> & \'x\'",H#2O*<,0100111110,'
           '"</dd><b>gras</b> & 1 < 2",12,,"1,5",-40,-80,"1,4",miscible,')

# Query typed -> a species it must find (None: it finds none).
SEARCHES = [
    ("ethanol", "Éthanol"),
    ("h2o", "Eau"),
    ("  ÉTHANOL ", "Éthanol"),
    ("Fe2+", "Ion fer (II)"),
    ("Fe²⁺", "Ion fer (II)"),
    ("SO₄²⁻", "Ion sulfate"),
    ("<script>", 'Essai <script>alert("é")</script> & \'x\''),
    ("zzzz", None),
]
HAZARDS = ["Inflammable", "Corrosive", "Nocive ou irritante", "Toxique"]

# What a page shows, read in one go.
FACTS = r"""
const text = n => Array.from(n.childNodes).map(c => c.nodeName === 'BR' ? '\r\n' :
    c.nodeName === 'SUB' ? c.textContent.replace(/./gu, '#$&') :
    c.nodeName === 'SUP' ? c.textContent.replace(/./gu, '*$&') : c.textContent).join('');
const all = s => Array.from(document.querySelectorAll(s));
return {
  location: location.href,
  loaded: performance.getEntriesByType('resource').map(e => e.name),
  pictures: all('img').every(i => i.complete && i.naturalWidth > 0),
  sideways: document.documentElement.scrollWidth > document.documentElement.clientWidth,
  h1: document.querySelector('main h1') ? document.querySelector('main h1').textContent : null,
  formula: document.querySelector('dd.formule') ? text(document.querySelector('dd.formule')) : null,
  aspect: document.querySelector('dd.aspect') ? text(document.querySelector('dd.aspect')) : null,
  quantities: all('dl.grandeurs dd').map(d => d.textContent),
  alts: all('.pictogrammes img').map(i => i.alt),
  pollution: document.querySelector('.pollution') ? document.querySelector('.pollution').textContent : null,
  shown: all('#especes a').filter(a => a.checkVisibility()).map(a => a.textContent),
  values: all('#especes .valeur').filter(v => v.checkVisibility()).map(v => v.textContent),
  status: document.getElementById('compte') ? document.getElementById('compte').textContent : null,
  busy: !!document.querySelector('[aria-busy]'),
};
"""

EMPTY = ("const f = document.getElementById('recherche'); f.value = '';"
         "f.dispatchEvent(new Event('input'));")

failures = []


def settled(driver):
    """The page's facts once the list has shown every block it shows."""
    for _ in range(100):
        facts = driver.execute_script(FACTS)
        if not facts["busy"]:
            return facts
        time.sleep(0.02)
    failures.append("the list stays busy")
    return facts


def check(condition, what):
    if not condition:
        failures.append(what)


def number(text):
    """The program's reading of a quantity: a decimal comma, nothing else."""
    t = text.strip(" ")
    return float(t.replace(",", ".")) if re.fullmatch(r"-?(\d+,?\d*|,\d+)", t) else None


def rank(text):
    return 0 if not text.strip() else (1 if number(text) is not None else 2)


def expected_alts(flags):
    """The CLP style: GHS07 not beside GHS06; GHS09 for water pollution."""
    d = [c == "1" for c in flags.ljust(10, "0")]
    alts = [HAZARDS[k] for k in range(4) if d[2 + k] and not (k == 2 and d[5])]
    return alts + (["Dangereux pour le milieu aquatique"] if d[7] else [])


def expected_pollution(flags):
    media = [m for i, m in enumerate(["l'air", "l'eau", "la terre"]) if flags[6 + i:7 + i] == "1"]
    return "Risque de pollution pour " + ", ".join(media) + "." if media else "Non polluant"


def card_page(facts, row, columns):
    name = row["nom"]
    check(facts["h1"] == name, "h1 %r" % facts["h1"])
    check(facts["formula"] == re.sub(r"[#*]$", "", row["formule"]), name + ": formula")
    check(facts["aspect"] == row["aspect"], name + ": aspect")
    check(len(facts["quantities"]) == len(columns), name + ": quantities")
    for column, shown in zip(columns, facts["quantities"]):
        value = row[column]
        check(shown == "—" if not value.strip() else shown == value or shown.startswith(value + "\u00a0"),
              "%s: %s shows %r for %r" % (name, column, shown, value))
    check(facts["alts"] == expected_alts(row["drapeaux"]), name + ": pictograms %r" % facts["alts"])
    check(facts["pollution"] == expected_pollution(row["drapeaux"]), name + ": pollution")


def index_page(driver, rows, columns, base):
    facts = driver.execute_script(FACTS)
    check(sorted(facts["shown"]) == sorted(r["nom"] for r in rows), base + ": the list's names")
    field = driver.find_element("id", "recherche")
    for query, found in SEARCHES:
        driver.execute_script(EMPTY)
        field.send_keys(query)
        facts = settled(driver)
        check(found in facts["shown"] if found else not facts["shown"] and "Aucune" in facts["status"],
              "search %r shows %r" % (query, facts["shown"][:5]))
        counted = re.match(r"\d+", facts["status"])
        check(len(facts["shown"]) == (int(counted.group()) if counted else 0),
              "search %r: %d rows shown, %r" % (query, len(facts["shown"]), facts["status"]))
    driver.execute_script(EMPTY)
    from selenium.webdriver.support.ui import Select
    sort = Select(driver.find_element("id", "tri"))
    by_name = settled(driver)["shown"]
    for option in sort.options:
        sort.select_by_visible_text(option.text)
        facts = settled(driver)
        column = option.get_attribute("data-colonne")
        if not column:
            check(facts["shown"] == by_name, "sorted by name")
            continue
        key = columns[int(column)]
        stored = {r["nom"]: r[key] for r in rows}
        check(facts["values"] == [stored[n] for n in facts["shown"]], option.text + ": values")
        ranks = [rank(v) for v in facts["values"]]
        numbers = [number(v) for v in facts["values"] if rank(v) == 1]
        check(ranks == sorted(ranks) and numbers == sorted(numbers), option.text + ": order")


def site(database, folder, limit=None):
    """cartes-outil site; `limit` bounds the size of each file it writes, so
    that a write fails as on a full disk."""
    def bounded():
        signal.signal(signal.SIGXFSZ, signal.SIG_IGN)
        resource.setrlimit(resource.RLIMIT_FSIZE, (limit, limit))
    return subprocess.run([OUTIL, "site", database, folder, "--pictogrammes", "sgh"],
                          capture_output=True, text=True, preexec_fn=bounded if limit else None)


def snapshot(folder):
    files = {}
    for root, _, names in os.walk(folder):
        for name in names:
            with open(os.path.join(root, name), "rb") as f:
                files[os.path.relpath(os.path.join(root, name), folder)] = f.read()
    return files


def publish_rules(database, folder):
    """A failed write leaves the catalogue whole, a folder of other files is
    refused, a new catalogue removes the pages of species gone and keeps the
    files it does not own. Leaves the catalogue of `database` in `folder`."""
    check(site(database, folder).returncode == 0, "first publication")
    before = snapshot(folder)
    failed = site(BUNDLED, folder, limit=20000)
    check(failed.returncode == 1 and "Écriture impossible" in failed.stderr, failed.stderr)
    check(snapshot(folder) == before, "a failed write changed the catalogue")
    other = os.path.join(WORK, "autre")
    os.makedirs(other)
    with open(os.path.join(other, "notes.txt"), "w") as f:
        f.write("notes")
    refused = site(BUNDLED, other)
    check(refused.returncode == 1 and "n'est pas un catalogue" in refused.stderr, refused.stderr)
    check(os.listdir(other) == ["notes.txt"], "a refused folder changed")
    with open(os.path.join(folder, "lisez-moi.txt"), "w") as f:
        f.write("à garder")
    check(site(BUNDLED, folder).returncode == 0, "publication over a catalogue")
    gone = [p for p in before if p.startswith("especes/essai")]
    check(len(gone) == 3 and not any(os.path.exists(os.path.join(folder, p)) for p in gone),
          "the pages of a species gone stay")
    check(os.path.exists(os.path.join(folder, "lisez-moi.txt")), "a file of the teacher's went")
    check(site(database, folder).returncode == 0, "publication again")


def main():
    shutil.rmtree(WORK, ignore_errors=True)
    os.makedirs(WORK)
    database = os.path.join(WORK, "ESPCHIMIQUES.ZYP")
    shutil.copy(BUNDLED, database)
    export = subprocess.run([OUTIL, "export", BUNDLED], check=True, capture_output=True, text=True)
    header = export.stdout.splitlines()[0]
    with open(os.path.join(WORK, "hostile.csv"), "w", encoding="utf-8") as f:
        f.write(header + "\n" + HOSTILE + "\n")
    subprocess.run([OUTIL, "import", os.path.join(WORK, "hostile.csv"), database], check=True,
                   capture_output=True)
    export = subprocess.run([OUTIL, "export", database], check=True, capture_output=True, text=True)
    rows = list(csv.DictReader(io.StringIO(export.stdout, newline="")))
    fields = header.split(",")
    columns = fields[fields.index("aspect") + 1:-1]
    folder = os.path.join(WORK, "catalogue")
    publish_rules(database, folder)
    axe = browser.axe_source(BUILD)
    if axe is None:
        print("SKIP: npm n'est pas installé, l'audit axe-core ne peut pas se faire")
        sys.exit(browser.SKIP)

    # The pages that hold the most print for all: printing takes time.
    pages = os.path.join(folder, "especes")
    longest = tuple(sorted((n for n in os.listdir(pages) if n.endswith(".html")),
                           key=lambda n: os.path.getsize(os.path.join(pages, n)))[-4:])
    driver = browser.chromium()
    try:
        with browser.served(folder) as http:
            for base in ("file://" + folder + "/", http):
                phone = base == http
                driver.get(base + "index.html")
                links = [a.get_attribute("href") for a in
                         driver.find_elements("css selector", "#especes a")]
                if phone:
                    driver.execute_cdp_cmd("Emulation.setDeviceMetricsOverride", {
                        "width": 360, "height": 740, "deviceScaleFactor": 1, "mobile": True})
                    browser.axe_in_every_page(driver, axe)
                    driver.get(base + "index.html")
                    check(not driver.execute_script(FACTS)["sideways"], "index: sideways at 360")
                    violations = browser.axe_violations(driver)
                    check(not violations, "index: axe %r" % violations)
                index_page(driver, rows, columns, base)
                by_name = {}
                for link in links:
                    driver.get(link)
                    facts = driver.execute_script(FACTS)
                    check(all(u.startswith(base) for u in facts["loaded"] + [facts["location"]]),
                          link + ": loads from outside %r" % facts["loaded"])
                    check(facts["pictures"], link + ": a picture does not load")
                    by_name[facts["h1"]] = facts
                    if phone:
                        check(not facts["sideways"], link + ": sideways at 360")
                        violations = browser.axe_violations(driver)
                        check(not violations, link + ": axe %r" % violations)
                    elif link.endswith(longest):
                        pdf = driver.execute_cdp_cmd("Page.printToPDF", {"preferCSSPageSize": True})
                        count = len(re.findall(rb"/Type\s*/Page\b", base64.b64decode(pdf["data"])))
                        check(count == 1, link + ": %d printed pages" % count)
                for row in rows:
                    check(row["nom"] in by_name, row["nom"] + ": no page")
                    if row["nom"] in by_name:
                        card_page(by_name[row["nom"]], row, columns)
    finally:
        driver.quit()
    for name in os.listdir(os.path.join(folder, "especes")):
        if name.endswith(".html"):
            with open(os.path.join(folder, "especes", name), encoding="utf-8") as f:
                check("<script" not in f.read(), name + ": a script in a card page")
    for f in failures[:40]:
        print("FAIL:", f)
    print("%d species, %d failures" % (len(rows), len(failures)))
    sys.exit(1 if failures else 0)


main()
