#include "sitepages.h"

#include "carddraw.h"
#include "cardlayout.h"
#include "fields.h"
#include "formulamarkup.h"
#include "genericcomparison.h"
#include "sortcriteria.h"
#include "speciessearch.h"

#include <QFileInfo>
#include <QSet>

#include <algorithm>
#include <numeric>

namespace sitepages
{

namespace
{

const QString kTitle = QStringLiteral("Cartes d'identité des espèces chimiques");
constexpr qsizetype kStemLength = 60;
// The index's rows go in blocks of this many, each laid out only when in
// sight: a keystroke that hides or shows most of a long list touches the
// blocks, and the rows of those in sight.
constexpr std::size_t kBlockRows = 16;

QString caption(const char *control)
{
    return QString::fromUtf8(cardlayout::control(control).caption).trimmed();
}

QString hazardCaption(int k)
{
    const QByteArray name = "Check1(" + QByteArray::number(k) + ')';
    return caption(name.constData());
}

// A JSON string, safe inside a <script> element: "<", ">" and "&" escaped
// too, so that no text of a card can close the element.
QString jsonString(QStringView text)
{
    QString out;
    out.reserve(text.size() + 2);
    out += u'"';
    for (const QChar c : text) {
        switch (c.unicode()) {
        case u'"':
            out += QLatin1String("\\\"");
            break;
        case u'\\':
            out += QLatin1String("\\\\");
            break;
        default:
            if (c.unicode() < 0x20 || c == u'<' || c == u'>' || c == u'&' ||
                c.unicode() == 0x2028 || c.unicode() == 0x2029)
                out += QStringLiteral("\\u%1").arg(c.unicode(), 4, 16, QLatin1Char('0'));
            else
                out += c;
        }
    }
    out += u'"';
    return out;
}

QString page(const QString &title, const QString &css, const QString &bodyClass,
             const QString &body)
{
    return QStringLiteral("<!DOCTYPE html>\n<html lang=\"fr\">\n<head>\n<meta charset=\"utf-8\">\n"
                          "<meta name=\"viewport\" content=\"width=device-width, "
                          "initial-scale=1\">\n<title>%1</title>\n"
                          "<link rel=\"stylesheet\" href=\"%2\">\n</head>\n"
                          "<body class=\"%3\">\n%4</body>\n</html>\n")
        .arg(title, css, bodyClass, body);
}

QString pictogram(const QString &resource, const QString &text)
{
    return QStringLiteral("<li><img src=\"../pictogrammes/%1\" alt=\"%2\" width=\"66\" "
                          "height=\"66\"><span aria-hidden=\"true\">%2</span></li>")
        .arg(pictogramFile(resource), escaped(text));
}

// A caption as French is set: no line breaks before its colon, its degree
// sign or its closing bracket, nor after its opening one.
QString typeset(QString caption)
{
    static const QString nbsp(QChar::Nbsp);
    caption.replace(QLatin1String(" :"), nbsp + u':');
    caption.replace(QLatin1String(" °"), nbsp + u'°');
    caption.replace(QLatin1String(" )"), nbsp + u')');
    caption.replace(QLatin1String("( "), u'(' + nbsp);
    return caption;
}

QString nature(const CardView &v)
{
    QStringList parts;
    if (v.organique)
        parts << caption("Option1");
    if (v.inorganique)
        parts << caption("Option2");
    return parts.isEmpty() ? QStringLiteral("non précisée") : parts.join(QStringLiteral(", "));
}

QString quantityHtml(int k, const QString &value)
{
    if (value.trimmed().isEmpty())
        return QStringLiteral("—");
    QString out = escaped(value);
    const cards::FieldInfo &q = cards::quantityInfo(k);
    if (!q.unit.empty() && carddraw::showsUnit(k, value)) {
        out += QChar::Nbsp + escaped(QString::fromUtf8(q.unit));
        if (!q.exponent.empty())
            out += QStringLiteral("<sup>%1</sup>").arg(escaped(QString::fromUtf8(q.exponent)));
    }
    return out;
}

} // namespace

std::vector<QString> fileStems(const std::vector<cards::carte> &cards)
{
    std::vector<QString> stems;
    stems.reserve(cards.size());
    QSet<QString> used;
    for (const cards::carte &card : cards) {
        const QString folded = speciessearch::fold(QString::fromStdString(card.nom()).trimmed());
        QString stem;
        bool gap = false;
        for (const QChar c : folded) {
            if ((c >= u'a' && c <= u'z') || (c >= u'0' && c <= u'9')) {
                if (gap && !stem.isEmpty())
                    stem += u'-';
                stem += c;
                gap = false;
            } else {
                gap = true;
            }
        }
        stem.truncate(kStemLength);
        while (stem.endsWith(u'-'))
            stem.chop(1);
        if (stem.isEmpty())
            stem = QStringLiteral("espece");
        QString name = stem;
        for (int n = 2; used.contains(name); ++n)
            name = stem + u'-' + QString::number(n);
        used.insert(name);
        stems.push_back(name);
    }
    return stems;
}

QString escaped(QStringView text)
{
    QString out;
    out.reserve(text.size());
    for (const QChar c : text) {
        switch (c.unicode()) {
        case u'&':
            out += QLatin1String("&amp;");
            break;
        case u'<':
            out += QLatin1String("&lt;");
            break;
        case u'>':
            out += QLatin1String("&gt;");
            break;
        case u'"':
            out += QLatin1String("&quot;");
            break;
        case u'\'':
            out += QLatin1String("&#39;");
            break;
        default:
            out += c;
        }
    }
    return out;
}

QString formulaHtml(QStringView markup)
{
    QString out;
    formula::Level open = formula::Level::Normal;
    const auto close = [&] {
        if (open == formula::Level::Subscript)
            out += QLatin1String("</sub>");
        else if (open == formula::Level::Superscript)
            out += QLatin1String("</sup>");
        open = formula::Level::Normal;
    };
    for (qsizetype i = 0; i < markup.size(); ++i) {
        formula::Level level = formula::Level::Normal;
        if (formula::isMarker(markup[i])) {
            level = markup[i] == formula::kSubscript ? formula::Level::Subscript
                                                     : formula::Level::Superscript;
            if (++i == markup.size())
                break; // a marker that ends the text marks nothing
        }
        if (level != open) {
            close();
            if (level == formula::Level::Subscript)
                out += QLatin1String("<sub>");
            else if (level == formula::Level::Superscript)
                out += QLatin1String("<sup>");
            open = level;
        }
        out += escaped(markup.mid(i, 1));
    }
    close();
    return out;
}

QString pictogramFile(const QString &resource)
{
    return QFileInfo(resource).fileName();
}

std::vector<QString> pictogramResources(hazardpictures::Style style)
{
    std::vector<QString> resources;
    for (int k = 0; k < 4; ++k)
        resources.push_back(hazardpictures::hazardResource(style, k));
    if (style == hazardpictures::Style::Ghs)
        resources.push_back(hazardpictures::kEnvironmentResource);
    return resources;
}

QByteArray speciesPage(const Species &species)
{
    const CardView &v = species.view;
    QString body;
    body += QStringLiteral("<header class=\"bandeau\"><nav aria-label=\"Catalogue\">"
                           "<a href=\"../index.html\">← Toutes les espèces</a></nav></header>\n"
                           "<main id=\"contenu\" class=\"fiche\">\n<div class=\"texte\">\n");
    body += QStringLiteral("<h1>%1</h1>\n<dl class=\"identite\">\n").arg(escaped(v.nom));
    body += QStringLiteral("<div><dt>Formule&nbsp;:</dt><dd class=\"formule\">%1</dd></div>\n")
                .arg(formulaHtml(v.formule));
    body += QStringLiteral("<div><dt>Nature&nbsp;:</dt><dd>%1</dd></div>\n").arg(nature(v));
    QString aspect = escaped(v.aspect);
    aspect.replace(QLatin1String("\r\n"), QLatin1String("<br>"));
    body += QStringLiteral("<div><dt>%1</dt><dd class=\"aspect\">%2</dd></div>\n</dl>\n")
                .arg(escaped(typeset(caption("Label1"))), aspect);

    body += QStringLiteral("<h2>Grandeurs</h2>\n<dl class=\"grandeurs\">\n");
    for (int k = 0; k < cards::kQuantityCount; ++k)
        body += QStringLiteral("<div><dt>%1</dt><dd>%2</dd></div>\n")
                    .arg(escaped(typeset(v.captions[std::size_t(k)])),
                         quantityHtml(k, v.quantites[std::size_t(k)]));
    body += QStringLiteral("</dl>\n<h2>Dangers</h2>\n");
    QString hazards;
    for (int k = 0; k < 4; ++k)
        if (v.hazards[std::size_t(k)])
            hazards +=
                pictogram(hazardpictures::hazardResource(v.pictogramStyle, k), hazardCaption(k));
    body += hazards.isEmpty() ? QStringLiteral("<p>Aucun pictogramme de danger.</p>\n")
                              : QStringLiteral("<ul class=\"pictogrammes\">%1</ul>\n").arg(hazards);

    body += QStringLiteral("<h2>Environnement</h2>\n<p class=\"pollution\">%1</p>\n")
                .arg(escaped(carddraw::pollutionSentence(v)));
    if (hazardpictures::showsEnvironment(v.pictogramStyle, v.polu[1]))
        body += QStringLiteral("<ul class=\"pictogrammes\">%1</ul>\n")
                    .arg(pictogram(hazardpictures::kEnvironmentResource,
                                   QStringLiteral("Dangereux pour le milieu aquatique")));
    body += QStringLiteral("</div>\n<figure class=\"image\"><img src=\"%1.svg\" width=\"%2\" "
                           "height=\"%3\" alt=\"Carte d'identité de l'espèce : %4, telle que le "
                           "logiciel la dessine\">\n<figcaption>La carte telle que le logiciel la "
                           "dessine ; <a href=\"%1.CAR\">fichier carte (.CAR)</a> à ouvrir dans "
                           "le logiciel.</figcaption></figure>\n</main>\n")
                .arg(species.stem)
                .arg(cardlayout::kFrame1Inner.width())
                .arg(cardlayout::kFrame1Inner.height())
                .arg(escaped(v.nom));
    body += QStringLiteral("<footer><p>%1</p></footer>\n").arg(kTitle);
    return page(escaped(v.nom) + QStringLiteral(" – ") + kTitle, QStringLiteral("../site.css"),
                QStringLiteral("page-espece"), body)
        .toUtf8();
}

QByteArray indexPage(const std::vector<Species> &species)
{
    const std::size_t n = species.size();
    std::vector<QString> names;
    names.reserve(n);
    for (const Species &s : species)
        names.push_back(QString::fromStdString(s.card.nom()));
    // The page lists the species by name, as the program's list first does;
    // every other order is a permutation of that one.
    const GenericComparison comparison;
    const std::vector<int> byName = comparison.listOrder(names, {}, true);
    std::vector<int> rank(n);
    for (std::size_t r = 0; r < n; ++r)
        rank[std::size_t(byName[r])] = int(r);

    QString orders = QStringLiteral("[");
    for (std::size_t c = 0; c < kSortCriteria.size(); ++c) {
        std::vector<int> order = byName;
        if (kSortCriteria[c].field != 0) {
            std::vector<QString> cells;
            cells.reserve(n);
            for (const Species &s : species)
                cells.push_back(listCell(s.card.field(kSortCriteria[c].field)));
            order = comparison.listOrder(names, cells, false);
        }
        QStringList ranks;
        for (int i : order)
            ranks << QString::number(rank[std::size_t(i)]);
        orders += (c ? QStringLiteral(",[") : QStringLiteral("[")) + ranks.join(u',') + u']';
    }
    orders += u']';

    const int molarMass = cards::quantityIndex(cards::kMasseMolaire);
    QString items;
    QString keys;
    QString values;
    for (std::size_t r = 0; r < n; ++r) {
        const Species &s = species[std::size_t(byName[r])];
        if (r % kBlockRows == 0)
            items += QLatin1String(r ? "</div>\n<div class=\"bloc\" role=\"none\">\n"
                                     : "<div class=\"bloc\" role=\"none\">\n");
        items += QStringLiteral("<div class=\"espece\" role=\"listitem\"><a "
                                "href=\"especes/%1.html\">%2</a><span class=\"formule\">%3"
                                "</span><span class=\"valeur\">%4</span></div>\n")
                     .arg(s.stem, escaped(s.view.nom), formulaHtml(s.view.formule),
                          escaped(s.view.quantites[std::size_t(molarMass)]));
        const speciessearch::Key key = speciessearch::keyOf(s.view.nom, s.view.formule);
        keys += (r ? QStringLiteral(",[") : QStringLiteral("[")) + jsonString(key.nom) + u',' +
                jsonString(key.formule) + u']';
        QStringList row;
        for (const QString &q : s.view.quantites)
            row << jsonString(q);
        values += (r ? QStringLiteral(",[") : QStringLiteral("[")) + row.join(u',') + u']';
    }

    if (n)
        items += QLatin1String("</div>\n");

    QString options;
    for (std::size_t c = 0; c < kSortCriteria.size(); ++c) {
        const SortCriterion &criterion = kSortCriteria[c];
        options +=
            QStringLiteral("<option value=\"%1\" data-colonne=\"%2\" data-entete=\"%3\">%4"
                           "</option>")
                .arg(c)
                .arg(criterion.field ? QString::number(criterion.field - cards::kFirstQuantity)
                                     : QString())
                .arg(escaped(QString::fromUtf8(criterion.header)),
                     escaped(QString::fromUtf8(criterion.entry)));
    }

    const QString header = QString::fromUtf8(kMolarMassHeader);
    const QString count = n == 1 ? QStringLiteral("1 espèce") : QStringLiteral("%1 espèces").arg(n);
    QString body;
    body += QStringLiteral("<header class=\"bandeau\"><h1>%1</h1><p>%2</p></header>\n"
                           "<main id=\"contenu\">\n")
                .arg(kTitle, count);
    body += QStringLiteral(
                "<form id=\"outils\" class=\"outils\" role=\"search\" hidden>\n"
                "<p class=\"champ\"><label for=\"recherche\">Rechercher une espèce (nom ou "
                "formule)</label><input id=\"recherche\" type=\"search\" autocomplete=\"off\" "
                "spellcheck=\"false\" placeholder=\"eau, h2o, Fe2+…\"></p>\n"
                "<p class=\"champ\"><label for=\"tri\">Critère de tri</label><select "
                "id=\"tri\">%1</select></p>\n</form>\n"
                "<p id=\"compte\" class=\"compte\" role=\"status\">%2</p>\n")
                .arg(options, count);
    body +=
        QStringLiteral("<div class=\"liste\">\n<p class=\"entete\" aria-hidden=\"true\">"
                       "<span>%1</span><span>Formule</span><span id=\"entete-valeur\">%2"
                       "</span></p>\n<div id=\"especes\" role=\"list\" aria-label=\"Espèces\" "
                       "style=\"--entete: '%3 : '\">\n%4</div>\n</div>\n</main>\n")
            .arg(escaped(QString::fromUtf8(kNameHeader)), escaped(header), escaped(header), items);
    body += QStringLiteral("<footer><p>Chaque carte se télécharge aussi en fichier carte (.CAR) "
                           "pour le logiciel ; ce dossier est sa liste de téléchargement "
                           "(LISTEC.ZYP).</p></footer>\n");
    body += QStringLiteral("<script type=\"application/json\" id=\"donnees\">{\"cles\":[%1],"
                           "\"valeurs\":[%2],\"ordres\":%3,\"plis\":%4}</script>\n"
                           "<script src=\"catalogue.js\"></script>\n")
                .arg(keys, values, orders, foldExceptionsJson());
    return page(kTitle, QStringLiteral("site.css"), QStringLiteral("page-index"), body).toUtf8();
}

const QString &foldExceptionsJson()
{
    static const QString json = [] {
        QStringList entries;
        for (char32_t u = 0x80; u <= 0xFFFF; ++u) {
            const QChar c{char16_t(u)};
            if (c.isSurrogate() || c.isSpace())
                continue;
            const QString one(c);
            const QString folded = speciessearch::fold(one);
            // What the page's script computes for a character it has no entry for.
            QString plain;
            for (const QChar d : one.normalized(QString::NormalizationForm_KD).toLower())
                if (d.category() != QChar::Mark_NonSpacing)
                    plain += d;
            if (folded != plain)
                entries << QStringLiteral("\"%1\":%2").arg(quint32(u)).arg(jsonString(folded));
        }
        return u'{' + entries.join(u',') + u'}';
    }();
    return json;
}

} // namespace sitepages
