#!/usr/bin/python3
"""help_is_true.py SOURCE_DIR CARTES_OUTIL: the help and the course tell the
program as it is.
a. Every text the pages quote between « », or mark as a button or a message
   (class "bouton", "message"), is written in the program's sources, unless
   citations.txt lists it as the quote of something else.
b. Every feature of the table, every command of the companion tool, is named.
c. Every page has its non-breaking spaces (scripts/espaces-fines.py)."""
import html
import pathlib
import re
import subprocess
import sys

# What the user reaches, by the name the pages must give it.
FEATURES = [
    # The main window's buttons ("Copier" is the card's menu's first entry too).
    'Nouveau', 'Valider', 'Enlever', 'Enregistrer', 'Ouvrir', 'Copier', 'Imprimer',
    'Exporter', 'Importer', 'Calculatrice', 'Aide', 'Voir le cours', 'Fermer',
    # The card's menu, the species list, the calculator and the other windows.
    "Enregistrer l'image…", 'Pictogrammes de danger', 'Rechercher une espèce…',
    'Critère de tri', 'Inscrire la masse molaire de la formule', 'Machine à calculer',
    'Paramètres', 'Publier cette carte sur le serveur', 'Télécharger des cartes', 'Imprimantes',
    'Publier la base en site web…',
]


def spaces(text):
    return re.sub(r'[\s\u00a0\u202f]+', ' ', text).strip()


def literals(path):
    """The string literals of a C++ file, adjacent ones joined, comments left out."""
    tokens = re.finditer(r'//[^\n]*|/\*.*?\*/|\'(?:\\.|[^\'\\])*\'|((?:"(?:\\.|[^"\\])*"\s*)+)',
                         path.read_text(encoding='utf-8'), re.S)
    for t in filter(lambda t: t[1], tokens):
        text = ''.join(re.findall(r'"((?:\\.|[^"\\])*)"', t[1]))
        text = re.sub(r'\\[nt]', ' ', text).replace('\\"', '"').replace('\\\\', '\\')
        yield spaces(re.sub(r'&(.)', r'\1', text))  # "Co&pier" shows "Copier"


def quotes(text):
    """The outermost « » quotes of a text."""
    found = []
    while m := re.search(r'«([^«»]*)»', text):
        within = text.count('«', 0, m.start()) > text.count('»', 0, m.start())
        found += [] if within else [m[1]]
        text = text[:m.start()] + ('…' if within else '') + text[m.end():]
    return found


def normal(quote):
    """A quote as compared: a quote within it, "…" and numbers stand for what the
    program puts in."""
    quote = re.sub(r'«[^«»]*»|\.\.\.|\d+(?:[.,]\d+)*', '…', quote)
    return spaces(quote).strip('«» ')


def said(path):
    """A page's text, and the texts it quotes."""
    raw = path.read_text(encoding='utf-8')
    text = spaces(html.unescape(re.sub(r'<[^>]*>', '', raw)))
    marked = re.findall(r'<(\w+)[^>]*class="(?:bouton|message)"[^>]*>(.*?)</\1>', raw, re.S)
    marked = [html.unescape(re.sub(r'<[^>]*>', '', m[1])).strip() for m in marked]
    marked = [m[1:-1] if m[:1] + m[-1:] == '«»' else m for m in marked]
    return text, {spaces(q) for q in quotes(text) + marked if normal(q)}


def in_program(quote):
    """Whether one source file writes a quote; " – " parts a message's title from its text."""
    return all(re.search('.*?'.join(re.escape(f.strip()) for f in part.split('…')), program)
               for part in normal(quote).split(' – '))


root, tool = pathlib.Path(sys.argv[1]).resolve(), sys.argv[2]
help_dir = root / 'data/help'
pages = sorted(p.relative_to(help_dir) for p in help_dir.glob('*/*.html'))
said_by = {p: said(help_dir / p) for p in pages}
everything = ' '.join(text for text, _ in said_by.values())
# One line per source file, its literals in their order.
program = '\n'.join(' '.join(literals(f)) for d in ('src', 'tools')
                    for f in sorted((root / d).rglob('*')) if f.suffix in ('.cpp', '.h'))
# The bundled cards' texts (names, aspects) are the program's to show too.
program += '\n' + (root / 'data/especes.csv').read_text(encoding='utf-8')
listed = (root / 'tests/help/citations.txt').read_text(encoding='utf-8').splitlines()
others = {normal(line) for line in listed if line.strip() and not line.startswith('#')}
usage = subprocess.run([tool], capture_output=True, text=True, encoding='utf-8')
commands = re.findall(r'^  cartes-outil (\S+)', usage.stdout + usage.stderr, re.M)

failures = [] if commands else [f'{tool} lists no command']
for page, (_, quoted) in said_by.items():
    failures += [f'{page}: « {q} » is not a text of the program'
                 for q in sorted(quoted) if normal(q) not in others and not in_program(q)]
for feature in FEATURES + [f'cartes-outil {c}' for c in commands]:
    if not in_program(feature.removeprefix('cartes-outil ')) or feature not in everything:
        failures.append(f'« {feature} »: not in the program, or never named in the help')
fixer = subprocess.run([sys.executable, root / 'scripts/espaces-fines.py', '--verifier', *pages],
                       capture_output=True, text=True, encoding='utf-8', cwd=help_dir)
failures += (fixer.stdout + fixer.stderr).splitlines() if fixer.returncode else []
print('\n'.join(failures) or f'{len(pages)} pages, {len(commands)} commands: the help is true')
sys.exit(bool(failures))
