#include "cardlayout.h"

#include <QtGlobal>

#include <cmath>
#include <cstring>

namespace cardlayout
{

namespace
{

QString installedFamily(const char *face)
{
    if (qstricmp(face, "Times new roman") == 0)
        return QStringLiteral("Liberation Serif");
    // "MS Sans Serif" and "Arial" alike.
    return QStringLiteral("Liberation Sans");
}

} // namespace

QFont font(const char *face, double points, bool bold)
{
    QFont f(installedFamily(face));
    f.setPixelSize(int(std::lround(points * 96.0 / 72.0)));
    f.setBold(bold);
    // "MS Sans Serif" runs narrower than Arial, whose metrics Liberation Sans
    // has: condensed a little, the captions keep clear of the boxes beside them.
    if (qstricmp(face, "MS Sans Serif") == 0)
        f.setStretch(94);
    f.setStyleHint(qstricmp(face, "Times new roman") == 0 ? QFont::Serif : QFont::SansSerif);
    return f;
}

QFont dialogFont(int pixels, bool bold)
{
    QFont f(installedFamily("MS Sans Serif"));
    f.setPixelSize(pixels);
    f.setBold(bold);
    return f;
}

QFont font(const FontSpec &design)
{
    return font(design.face, design.points, design.bold);
}

const Control &control(const char *name)
{
    for (const Control &c : kCard) {
        if (std::strcmp(c.name, name) == 0)
            return c;
    }
    qFatal("cardlayout: no control named %s", name);
}

} // namespace cardlayout
