#include "cp1252validator.h"

#include "cp1252.h"

#include <QStringList>
#include <QStringView>

bool cp1252Encodable(const QString &text)
{
    for (const char32_t c : QStringView(text).toUcs4())
        if (!cards::cp1252Encodable(c))
            return false;
    return true;
}

std::optional<std::pair<QChar, bool>> scriptCharacter(char32_t c)
{
    if (c >= 0x2080 && c <= 0x2089)
        return std::pair{QChar(char16_t(u'0' + (c - 0x2080))), false};
    if (c == 0x208A || c == 0x208B)
        return std::pair{QChar(c == 0x208A ? u'+' : u'-'), false};
    if (c == 0x2070 || (c >= 0x2074 && c <= 0x2079))
        return std::pair{QChar(char16_t(u'0' + (c - 0x2070))), true};
    if (c == 0xB9 || c == 0xB2 || c == 0xB3)
        return std::pair{QChar(c == 0xB9 ? u'1' : c == 0xB2 ? u'2' : u'3'), true};
    if (c == 0x207A || c == 0x207B)
        return std::pair{QChar(c == 0x207A ? u'+' : u'-'), true};
    return std::nullopt;
}

QString storedForm(char32_t c)
{
    if (cards::cp1252Encodable(c))
        return QString::fromUcs4(&c, 1);
    if (const auto script = scriptCharacter(c))
        return QString(script->first);
    switch (c) {
    case 0x2248: // ≈
    case 0x223C: // ∼
        return QStringLiteral("~");
    case 0x2010: // hyphen
    case 0x2011: // non-breaking hyphen
    case 0x2212: // minus sign
        return QStringLiteral("-");
    case 0x2012: // figure dash
        return QString(QChar(0x2013));
    case 0x2015: // horizontal bar
        return QString(QChar(0x2014));
    case 0x201B: // reversed single quote
    case 0x2032: // prime
        return QString(QChar(0x2019));
    case 0x201F: // reversed double quote
    case 0x2033: // double prime
        return QString(QChar(0x201D));
    case 0x202F: // narrow no-break space
    case 0x2007: // figure space
        return QString(QChar(0xA0));
    case 0x2002:
    case 0x2003:
    case 0x2009: // en, em and thin spaces
        return QStringLiteral(" ");
    case 0x22C5: // dot operator
    case 0x2219: // bullet operator
        return QString(QChar(0xB7));
    default:
        return {};
    }
}

void StorableText::tell(const QString &what, const QString &by)
{
    if (by.isEmpty()) {
        if (!dropped.contains(what))
            dropped += what;
        return;
    }
    const std::pair<QString, QString> pair{what, by};
    if (!replaced.contains(pair))
        replaced << pair;
}

StorableText storableText(const QString &text)
{
    StorableText out;
    for (const char32_t c : QStringView(text).toUcs4()) {
        const QString stored = storedForm(c);
        out.text += stored;
        if (!cards::cp1252Encodable(c))
            out.tell(QString::fromUcs4(&c, 1), stored);
    }
    return out;
}

QString StorableText::note() const
{
    if (!changed())
        return {};
    QStringList parts;
    QStringList swaps;
    for (const auto &[what, by] : replaced)
        swaps << QStringLiteral("« %1 » devenu « %2 »").arg(what, by);
    if (!swaps.isEmpty())
        parts << swaps.join(QStringLiteral(", "));
    if (!dropped.isEmpty()) {
        QStringList left;
        for (const char32_t c : QStringView(dropped).toUcs4())
            left << QStringLiteral("« %1 »").arg(QString::fromUcs4(&c, 1));
        parts
            << left.join(QStringLiteral(", ")) +
                   (left.size() > 1
                        ? QStringLiteral(" laissés de côté : une carte ne peut pas les enregistrer")
                        : QStringLiteral(" laissé de côté : une carte ne peut pas l'enregistrer"));
    }
    return QStringLiteral("Texte pris avec ") + parts.join(QStringLiteral(" ; ")) +
           QLatin1Char('.');
}

QValidator::State Cp1252Validator::validate(QString &input, int &pos) const
{
    QString note;
    if (!cp1252Encodable(input)) {
        // The caret keeps its place among the characters taken in.
        const StorableText stored = storableText(input);
        pos = int(storableText(input.left(pos)).text.size());
        input = stored.text;
        note = stored.note();
    }
    // One byte per character once encodable.
    if (maxLength_ > 0 && QStringView(input).toUcs4().size() > maxLength_)
        return Invalid;
    if (!note.isEmpty())
        emit adjusted(note);
    return Acceptable;
}
