#!/usr/bin/python3
"""Espaces insécables de la typographie française dans les pages HTML de l'aide.

  scripts/espaces-fines.py [--verifier] PAGE.html...

Met une espace insécable (U+00A0) avant « : ; ! ? », après « et avant ».
Avant « : ; ! ? », l'espace ordinaire qui s'y trouve est remplacée, mais rien
n'est ajouté là où il n'y a pas d'espace : une ponctuation collée au mot qui
la précède est celle d'un libellé écrit comme le programme l'écrit
(« Nombre d'exemplaires: »). Dans les guillemets, l'espace manquante est
ajoutée. Seul le texte est touché : ni les balises, ni leurs attributs, ni les
entités (&nbsp; &amp;), ni <code>, <pre>, <kbd>, <samp>, <var>, <script>,
<style> et les noms de fichiers (class="fichier"). Le texte du programme cité
entre « » ou marqué comme bouton ou message (class="bouton", class="message")
reste tel que le programme l'écrit, à l'espace près qui suit « ou précède ».
Une ponctuation collée au caractère qui la suit n'est pas de la ponctuation de
phrase et reste telle quelle : adresses (http://, serveur:587), heures (10:30),
rapports (1:2), chemins (C:\\), émoticônes (:-) ;-) :)).

Réécrit chaque page et dit combien d'espaces y ont été mises ; appliqué deux
fois, ne change plus rien. Avec --verifier, n'écrit rien, nomme les pages qui
seraient changées et sort en erreur s'il y en a.
"""
import html
import re
import sys

NBSP = '\u00a0'
PUNCTUATION = ':;!?'
# Ce qui peut suivre une ponctuation de phrase sans espace.
CLOSING = ')]».,…!?'
# Une espace insécable déjà là, fine ou non.
NO_BREAK = (NBSP, '\u202f')
CODE_TAGS = {'code', 'pre', 'kbd', 'samp', 'var', 'script', 'style'}
CODE_CLASSES = {'fichier'}
PROGRAM_CLASSES = {'bouton', 'message'}
BLOCK_TAGS = {'html', 'head', 'title', 'body', 'p', 'div', 'br', 'hr', 'ul', 'ol', 'li', 'dl',
              'dt', 'dd', 'table', 'caption', 'tr', 'td', 'th', 'h1', 'h2', 'h3', 'h4', 'h5',
              'h6', 'blockquote', 'figure', 'figcaption', 'section'}
VOID_TAGS = {'area', 'base', 'br', 'col', 'embed', 'hr', 'img', 'input', 'link', 'meta',
             'source', 'track', 'wbr'}
TOKEN = re.compile(r'<!--.*?-->|<![^>]*>|<[^>]*>|&#?\w+;|.', re.S)
TAG = re.compile(r'<(/?)([A-Za-z][\w-]*)([^>]*)>')
SMILEY = re.compile(r'-?[()]')


class Atom:
    """Un morceau de la page : une balise (ch None) ou un caractère du texte,
    écrit tel quel ou en entité. state: 'code', 'programme' ou 'texte'."""

    def __init__(self, src, ch=None, block=False, state='texte'):
        self.src, self.ch, self.block, self.state = src, ch, block, state


def atoms(page):
    """La page en morceaux, chaque caractère avec ce qu'on peut y changer."""
    out = []
    protected = []  # (balise, état) des éléments ouverts qui protègent leur texte
    quotes = 0
    for m in TOKEN.finditer(page):
        token = m.group()
        tag = TAG.fullmatch(token)
        if tag:
            closing, name, attrs = tag[1], tag[2].lower(), tag[3]
            classes = set(re.findall(r'class\s*=\s*["\']?([^"\'>]*)', attrs)[0].split()
                          if 'class' in attrs else ())
            if closing:
                names = [n for n, _ in protected]
                if name in names:
                    del protected[len(names) - 1 - names[::-1].index(name):]
            elif name not in VOID_TAGS and not attrs.rstrip().endswith('/'):
                state = ('code' if name in CODE_TAGS or classes & CODE_CLASSES else
                         'programme' if classes & PROGRAM_CLASSES else None)
                if state or protected:
                    outer = protected[-1][1] if protected else None
                    protected.append((name, 'code' if 'code' in (state, outer)
                                      else state or outer))
            block = name in BLOCK_TAGS
            if block:
                quotes = 0
            out.append(Atom(token, block=block))
            continue
        if token.startswith('<'):
            out.append(Atom(token))
            continue
        ch = html.unescape(token) if token.startswith('&') else token
        state = protected[-1][1] if protected else 'texte'
        if state != 'code' and ch == '»':
            quotes = max(quotes - 1, 0)
        out.append(Atom(token, ch, state=state if state != 'texte' or not quotes
                        else 'programme'))
        if state != 'code' and ch == '«':
            quotes += 1
    return out


def neighbour(page, i, step):
    """L'indice du caractère voisin de page[i] (step -1 ou 1), par-dessus les
    balises de texte ; None au bord d'un bloc."""
    i += step
    while 0 <= i < len(page):
        if page[i].ch is not None:
            return i
        if page[i].block:
            return None
        i += step
    return None


def space_run(page, i, step, states):
    """Les espaces ordinaires à côté de page[i] dans un texte des états
    donnés, et le caractère au-delà."""
    run = []
    j = neighbour(page, i, step)
    while j is not None and page[j].ch in ' \t\r\n' and page[j].state in states:
        run.append(j)
        j = neighbour(page, j, step)
    return run, j


def put_space(page, i, step, states):
    """Met l'insécable du côté step de page[i] ; 1 si la page change."""
    run, beyond = space_run(page, i, step, states)
    if run:
        page[run[0]].src = NBSP
        for j in run[1:]:
            page[j].src = ''
        return 1
    if beyond is None or page[beyond].ch in NO_BREAK:
        return 0
    page[i].src = page[i].src + NBSP if step > 0 else NBSP + page[i].src
    return 1


def fix(text):
    """La page corrigée, et le nombre d'espaces mises."""
    page = atoms(text)
    count = 0
    for i, a in enumerate(page):
        if a.ch is None or a.state == 'code':
            continue
        if a.ch in '«»':
            count += put_space(page, i, 1 if a.ch == '«' else -1, ('texte', 'programme'))
        elif a.ch in PUNCTUATION and a.state == 'texte':
            after = neighbour(page, i, 1)
            following = ''.join(page[j].ch for j in range(i + 1, min(i + 3, len(page)))
                                if page[j].ch is not None)
            if after is not None and not page[after].ch.isspace() and (
                    page[after].ch not in CLOSING or a.ch in ':;' and SMILEY.match(following)):
                continue
            run, before = space_run(page, i, -1, ('texte',))
            if run and before is not None and page[before].ch not in PUNCTUATION + '([{«':
                count += put_space(page, i, -1, ('texte',))
    return ''.join(a.src for a in page), count


def main(args):
    check = '--verifier' in args
    files = [a for a in args if a != '--verifier']
    if not files:
        sys.exit(__doc__)
    changed = []
    for name in files:
        with open(name, encoding='utf-8', newline='') as f:
            text = f.read()
        fixed, count = fix(text)
        if check:
            if fixed != text:
                changed.append(name)
                print(f'{name} : {count} espace(s) insécable(s) à mettre')
            continue
        if fixed != text:
            with open(name, 'w', encoding='utf-8', newline='') as f:
                f.write(fixed)
        print(f'{name} : {count} espace(s) insécable(s) mise(s)')
    sys.exit(1 if changed else 0)


if __name__ == '__main__':
    main(sys.argv[1:])
