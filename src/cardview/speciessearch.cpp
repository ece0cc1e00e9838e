#include "speciessearch.h"

#include "formulamarkup.h"

#include <array>

namespace speciessearch
{

namespace
{

// The folded form of one character, without the space and marker rules.
QString foldChar(char32_t c)
{
    switch (c) {
    case U'Œ':
    case U'œ':
        return QStringLiteral("oe");
    case U'Æ':
    case U'æ':
        return QStringLiteral("ae");
    case U'ß':
        return QStringLiteral("ss");
    case U'‘':
    case U'’':
    case U'‚':
    case U'′':
        return QStringLiteral("'");
    case U'“':
    case U'”':
    case U'„':
    case U'«':
    case U'»':
        return QStringLiteral("\"");
    case U'‐':
    case U'‑':
    case U'‒':
    case U'–':
    case U'—':
    case U'−':
    case U'⁻':
    case U'₋':
        return QStringLiteral("-");
    case U'⁺':
    case U'₊':
        return QStringLiteral("+");
    default:
        break;
    }
    const QString decomposed =
        QString::fromUcs4(&c, 1).normalized(QString::NormalizationForm_KD).toCaseFolded();
    QString out;
    out.reserve(decomposed.size());
    for (const QChar ch : decomposed)
        if (ch.category() != QChar::Mark_NonSpacing)
            out += ch;
    return out;
}

// Latin-1 and Latin Extended A and B, where nearly every character a card can
// hold lies (Windows-1252 adds a few typographic signs above), folded once.
constexpr char16_t kTableEnd = 0x250;

const std::array<QString, kTableEnd> &table()
{
    static const std::array<QString, kTableEnd> folded = [] {
        std::array<QString, kTableEnd> t;
        for (char16_t c = 0; c < kTableEnd; ++c)
            t[c] = foldChar(c);
        return t;
    }();
    return folded;
}

} // namespace

QString fold(QStringView text)
{
    const auto &folded = table();
    QString out;
    out.reserve(text.size());
    bool space = false;
    for (qsizetype i = 0; i < text.size(); ++i) {
        const QChar ch = text[i];
        if (formula::isMarker(ch))
            continue;
        if (ch.isSpace()) {
            space = true;
            continue;
        }
        if (space) {
            out += u' ';
            space = false;
        }
        const char16_t u = ch.unicode();
        if (u < 0x80) {
            out += QChar(u >= u'A' && u <= u'Z' ? char16_t(u + 32) : u);
        } else if (u < kTableEnd) {
            out += folded[u];
        } else if (ch.isHighSurrogate() && i + 1 < text.size() && text[i + 1].isLowSurrogate()) {
            out += foldChar(QChar::surrogateToUcs4(ch, text[i + 1]));
            ++i;
        } else {
            out += foldChar(u);
        }
    }
    // A space at the end stands for the end of a word being typed.
    if (space)
        out += u' ';
    return out;
}

QString foldQuery(QStringView typed)
{
    return fold(typed.trimmed());
}

Key keyOf(QStringView nom, QStringView formule)
{
    return {fold(nom.trimmed()), fold(formule.trimmed())};
}

} // namespace speciessearch
