#include "formulamarkup.h"

#include <algorithm>
#include <cmath>

namespace formula
{

namespace
{

// The character governed by a marker is never a marker itself, so a marker
// two places before the caret means the caret follows a marked character.
bool followsMarked(const QString &text, int caret)
{
    return caret >= 2 && caret <= text.size() && isMarker(text[caret - 2]);
}

int clampCaret(const QString &text, int caret)
{
    return std::clamp(caret, 0, int(text.size()));
}

} // namespace

Edit typeCharacter(const QString &text, int selStart, int selEnd, QChar ch, Level mode)
{
    int from = clampCaret(text, std::min(selStart, selEnd));
    int to = clampCaret(text, std::max(selStart, selEnd));
    if (from > 0 && isMarker(text[from - 1]))
        --from;
    if (to > 0 && to < text.size() && isMarker(text[to - 1]))
        ++to;
    QString inserted;
    if (mode == Level::Subscript)
        inserted += kSubscript;
    else if (mode == Level::Superscript)
        inserted += kSuperscript;
    inserted += ch;
    QString result = text;
    result.replace(from, to - from, inserted);
    return {result, from + int(inserted.size())};
}

Edit backspace(const QString &text, int caret)
{
    caret = clampCaret(text, caret);
    if (followsMarked(text, caret))
        return {QString(text).remove(caret - 2, 2), caret - 2};
    if (caret >= 1)
        return {QString(text).remove(caret - 1, 1), caret - 1};
    return {text, caret};
}

Edit deleteForward(const QString &text, int caret)
{
    caret = clampCaret(text, caret);
    if (caret < text.size())
        return {QString(text).remove(caret, isMarker(text[caret]) ? 2 : 1), caret};
    return {text, caret};
}

int stepLeft(const QString &text, int caret)
{
    caret = clampCaret(text, caret);
    if (followsMarked(text, caret))
        return caret - 2;
    return std::max(0, caret - 1);
}

int stepRight(const QString &text, int caret)
{
    caret = clampCaret(text, caret);
    if (caret < text.size() && isMarker(text[caret]))
        return std::min(int(text.size()), caret + 2);
    return std::min(int(text.size()), caret + 1);
}

bool reorder(QString &text)
{
    bool rewritten = false;
    int i = 0;
    while (i + 2 < text.size()) {
        if (text[i] == kSuperscript && text[i + 2] == kSubscript) {
            // *a#b -> #b*a
            const QString superscript = text.mid(i, 2);
            const QString subscript = text.mid(i + 2, 2);
            text.replace(i, superscript.size() + subscript.size(), subscript + superscript);
            rewritten = true;
            i = 0;
            continue;
        }
        ++i;
    }
    return rewritten;
}

Layout layout(const QString &markup, const Metrics &metrics, QSize area)
{
    Layout out;
    out.y0 = int(std::nearbyint((area.height() - metrics.lineHeight) / 2.0));
    const double limit = 0.95 * area.width();
    int x = kStartX;
    int xMax = 0;
    // Stack anchor: 0 none, > 0 where a subscript run began, < 0 minus where
    // a superscript run began.
    int xPile = 0;
    const int n = markup.size();
    out.glyphs.reserve(n);
    for (int i = 0; i < n; ++i) {
        const QChar c = markup[i];
        Glyph g;
        g.y = out.y0;
        if (!isMarker(c) && xPile != 0) {
            x = xMax;
            xPile = 0;
        }
        if (c == kSubscript) {
            g.level = Level::Subscript;
            g.y = out.y0 + kSubscriptDrop;
            if (xPile < 0)
                x = -xPile;
            if (xPile <= 0)
                xPile = x;
        } else if (c == kSuperscript) {
            g.level = Level::Superscript;
            g.y = out.y0 - kSuperscriptRise;
            if (xPile > 0)
                x = xPile;
            if (xPile >= 0)
                xPile = -x;
        }
        if (g.level != Level::Normal) {
            ++i;
            if (i < n)
                g.ch = markup[i];
        } else {
            g.ch = c;
        }
        g.position = i + 1;
        g.x = x;
        if (!out.overflow && limit < x)
            out.overflow = out.glyphs.size();
        x += g.ch.isEmpty() ? 0 : metrics.width(g.ch, g.level != Level::Normal);
        g.right = x;
        xMax = std::max(xMax, x);
        out.glyphs.push_back(g);
    }
    return out;
}

int caretForClick(const Layout &layout, const QString &markup, int xclic)
{
    int xPrev = -1000;
    for (const Glyph &g : layout.glyphs) {
        if (g.x < xclic || xPrev >= xclic) {
            xPrev = g.x;
            continue;
        }
        // The click fell before this character; a marked one keeps its
        // marker: the caret goes after it.
        if (g.position >= 2 && isMarker(markup[g.position - 2]))
            return std::min(g.position, int(markup.size()));
        return g.position - 1;
    }
    return markup.size();
}

std::optional<CaretMark> caretMark(const Layout &layout, const QString &markup, int caret)
{
    if (markup.isEmpty() || caret <= 0)
        return CaretMark{kStartX - 10, std::nullopt};
    for (const Glyph &g : layout.glyphs) {
        if (g.position != caret)
            continue;
        CaretMark mark;
        const QChar next = caret < markup.size() ? markup[caret] : QChar();
        mark.left = g.right - 10;
        // A superscript that follows is drawn over this subscript.
        if (next == kSuperscript && g.level == Level::Subscript)
            mark.left = g.x - 10;
        mark.levelAtCaret = next == kSubscript     ? Level::Subscript
                            : next == kSuperscript ? Level::Superscript
                                                   : Level::Normal;
        return mark;
    }
    return std::nullopt;
}

int caretTop(const Layout &layout, Level mode)
{
    switch (mode) {
    case Level::Superscript:
        return layout.y0 - 15;
    case Level::Subscript:
        return layout.y0 - 1;
    case Level::Normal:
        break;
    }
    return layout.y0 - 5;
}

} // namespace formula
