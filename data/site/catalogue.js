// The index's search and sort. The list is plain HTML, sorted by name, and
// reads without this script; the data it needs lies in the page itself
// (a page opened from a disk cannot fetch its neighbour files).
//
// The search keeps the species whose name or formula holds the typed text,
// both folded as the program's search field folds them: the rows' folded
// keys come made, and the typed text is folded here by the same rules.
(function () {
  "use strict";

  const donnees = JSON.parse(document.getElementById("donnees").textContent);
  const liste = document.getElementById("especes");
  // The rows in name order, as the data gives them; the blocks that hold
  // them in the order shown, and the rows of each block.
  const lignes = Array.from(liste.querySelectorAll(".espece"));
  const blocs = Array.from(liste.children);
  const taille = blocs.length ? blocs[0].children.length : 0;
  let rangees = [];
  const valeurs = lignes.map(function (li) {
    return li.querySelector(".valeur");
  });
  const outils = document.getElementById("outils");
  const recherche = document.getElementById("recherche");
  const tri = document.getElementById("tri");
  const compte = document.getElementById("compte");
  const entete = document.getElementById("entete-valeur");
  const total = lignes.length;
  const montree = new Uint8Array(total).fill(1);
  // Blocks that fill a screen, at least: each one shown holds a row.
  const ECRAN = 30;
  let suite = 0;

  // The program's spaces (QChar::isSpace) and the marks it leaves out.
  const espace = /^[\t\n\v\f\r\x85\p{Zs}\u2028\u2029]$/u;
  const marque = /^\p{Mn}$/u;

  // One character folded: the program's own answer where the browser's
  // Unicode rules would give another, else decomposed, in lower case,
  // without its non-spacing marks.
  function plierCaractere(c) {
    const u = c.codePointAt(0);
    if (u < 0x80) {
      return u >= 65 && u <= 90 ? String.fromCharCode(u + 32) : c;
    }
    const connu = donnees.plis[u];
    if (connu !== undefined) {
      return connu;
    }
    let plie = "";
    for (const d of c.normalize("NFKD").toLowerCase()) {
      // The program looks at UTF-16 units: a mark beyond them stays.
      if (d.codePointAt(0) > 0xffff || !marque.test(d)) {
        plie += d;
      }
    }
    return plie;
  }

  // The typed text as the program's search compares it: spaces at its ends
  // left out, the formula's markers "#" and "*" too, each run of spaces made one.
  function plier(texte) {
    let debut = 0;
    let fin = texte.length;
    while (debut < fin && espace.test(texte[debut])) {
      debut++;
    }
    while (fin > debut && espace.test(texte[fin - 1])) {
      fin--;
    }
    let plie = "";
    let blanc = false;
    for (const c of texte.slice(debut, fin)) {
      if (c === "#" || c === "*") {
        continue;
      }
      if (espace.test(c)) {
        blanc = true;
        continue;
      }
      if (blanc) {
        plie += " ";
        blanc = false;
      }
      plie += plierCaractere(c);
    }
    return plie;
  }

  function especes(n) {
    return n + (n === 1 ? " espèce" : " espèces");
  }

  // Shows block b, its rows as `garde` says: only the rows that change are touched.
  function montrer(b, garde) {
    for (const i of rangees[b]) {
      if (garde[i] !== montree[i]) {
        montree[i] = garde[i];
        lignes[i].hidden = garde[i] === 0;
      }
    }
    if (blocs[b].hidden) {
      blocs[b].hidden = false;
    }
  }

  // The blocks still to show, a screenful each frame; the list is busy meanwhile.
  function montrerPlusTard(plusTard, garde) {
    if (plusTard.length === 0) {
      liste.removeAttribute("aria-busy");
      return;
    }
    liste.setAttribute("aria-busy", "true");
    suite = requestAnimationFrame(function () {
      plusTard.splice(0, ECRAN).forEach(function (b) {
        montrer(b, garde);
      });
      montrerPlusTard(plusTard, garde);
    });
  }

  function chercher() {
    const q = plier(recherche.value);
    const garde = new Uint8Array(total);
    let n = 0;
    for (let i = 0; i < total; i++) {
      const cle = donnees.cles[i];
      if (q === "" || cle[0].includes(q) || cle[1].includes(q)) {
        garde[i] = 1;
        n++;
      }
    }
    // A block with no row kept is hidden whole, its rows left as they are.
    // Blocks hidden until now are shown a screenful at once: the others lie
    // below it, and come in the next frames.
    cancelAnimationFrame(suite);
    const plusTard = [];
    let montres = 0;
    for (let b = 0; b < blocs.length; b++) {
      const vide = !rangees[b].some(function (i) {
        return garde[i] === 1;
      });
      if (vide) {
        if (!blocs[b].hidden) {
          blocs[b].hidden = true;
        }
      } else if (blocs[b].hidden && montres >= ECRAN) {
        plusTard.push(b);
      } else {
        montrer(b, garde);
        montres++;
      }
    }
    montrerPlusTard(plusTard, garde);
    if (q === "") {
      compte.textContent = especes(total);
    } else if (n === 0) {
      compte.textContent = "Aucune espèce ne correspond à « " + recherche.value.trim() + " ».";
    } else {
      compte.textContent = especes(n) + " sur " + total;
    }
  }

  function trier() {
    const choix = tri.options[tri.selectedIndex];
    // "Alphabétique" keeps the quantity shown; the others show their own.
    if (choix.dataset.colonne !== "") {
      const colonne = Number(choix.dataset.colonne);
      entete.textContent = choix.dataset.entete;
      liste.style.setProperty("--entete", JSON.stringify(choix.dataset.entete + " : "));
      for (let i = 0; i < total; i++) {
        valeurs[i].textContent = donnees.valeurs[i][colonne];
      }
    }
    ranger(donnees.ordres[tri.selectedIndex]);
    chercher();
  }

  // The rows into the blocks in `ordre`, a block after another.
  function ranger(ordre) {
    rangees = blocs.map(function (bloc, b) {
      return ordre.slice(b * taille, (b + 1) * taille);
    });
    rangees.forEach(function (rangee, b) {
      const bloc = blocs[b];
      rangee.forEach(function (i, j) {
        if (bloc.children[j] !== lignes[i]) {
          bloc.insertBefore(lignes[i], bloc.children[j] || null);
        }
      });
    });
  }

  ranger(donnees.ordres[0]);
  recherche.addEventListener("input", chercher);
  tri.addEventListener("change", trier);
  // Enter opens the first species found, as it shows it in the program.
  outils.addEventListener("submit", function (event) {
    event.preventDefault();
    const premiere = liste.querySelector(".bloc:not([hidden]) .espece:not([hidden]) a");
    if (premiere) {
      premiere.click();
    }
  });
  outils.hidden = false;
  // A page come back to from the history keeps what was typed and chosen.
  if (tri.selectedIndex !== 0) {
    trier();
  } else if (recherche.value !== "") {
    chercher();
  }
  window.catalogue = { plier: plier, chercher: chercher, trier: trier };
})();
