// The formula markup edits and layout on any sequence of keys. A well-formed
// markup (every "#" or "*" followed by a character that is not a marker)
// stays well-formed through typing, Backspace, Delete, the order rule and
// removing the last character, as long as the caret moves only as the arrow
// keys move it; the layout has one glyph per character, and every caret has
// its marker. Any text at all (malformed included) is laid out and edited
// without reading outside it.
#include "formulamarkup.h"
#include "fuzzsupport.h"

#include <cstddef>
#include <cstdint>
#include <vector>

namespace
{

using namespace formula;

using fuzzsupport::check;

struct Input {
    const std::uint8_t *data;
    std::size_t size;
    bool empty() const { return size == 0; }
    unsigned byte()
    {
        if (size == 0)
            return 0;
        --size;
        return *data++;
    }
};

const char16_t kAlphabet[] = u"CHONaSl0123456789+-()[]\u00e9\u00b0 \u2192\U0001F600";

QChar plainChar(unsigned b)
{
    constexpr std::size_t n = sizeof kAlphabet / sizeof kAlphabet[0] - 1;
    return QChar(kAlphabet[b % n]);
}

Level levelOf(unsigned b)
{
    return b % 3 == 0 ? Level::Normal : b % 3 == 1 ? Level::Subscript : Level::Superscript;
}

bool wellFormed(const QString &t)
{
    for (int i = 0; i < t.size(); ++i) {
        if (isMarker(t[i])) {
            if (i + 1 >= t.size() || isMarker(t[i + 1]))
                return false;
            ++i;
        }
    }
    return true;
}

// Caret positions the arrow keys reach: not between a marker and its character.
bool validCaret(const QString &t, int caret)
{
    return caret >= 0 && caret <= t.size() && (caret == 0 || !isMarker(t[caret - 1]));
}

int units(const QString &t)
{
    int n = 0;
    for (int i = 0; i < t.size(); ++i, ++n) {
        if (isMarker(t[i]))
            ++i;
    }
    return n;
}

const Metrics &metrics()
{
    static const Metrics m{
        [](const QString &s, bool small) { return int(s.size()) * (small ? 5 : 7); }, 16};
    return m;
}

void checkLayout(const QString &t, bool formed, unsigned b)
{
    const QSize area(40 + int(b % 200), 30);
    const Layout l = layout(t, metrics(), area);
    int last = 0;
    for (const Glyph &g : l.glyphs) {
        check(g.position > last && g.position <= t.size() + 1);
        last = g.position;
        check(g.right >= g.x);
    }
    if (l.overflow)
        check(*l.overflow < l.glyphs.size());
    const int clicked = caretForClick(l, t, int(b) - 40);
    check(clicked >= 0 && clicked <= t.size());
    caretTop(l, levelOf(b));
    if (!formed) {
        caretMark(l, t, int(b % (t.size() + 2)) - 1);
        return;
    }
    check(int(l.glyphs.size()) == units(t));
    check(validCaret(t, clicked));
    for (int c = 0; c <= t.size(); ++c) {
        if (validCaret(t, c))
            check(caretMark(l, t, c).has_value());
    }
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t *data, std::size_t size)
{
    Input in{data, size};
    const bool raw = in.byte() & 1;

    // The starting text: any characters (markers included) or well-formed units.
    QString text;
    const unsigned length = in.byte() % 64;
    for (unsigned i = 0; i < length && !in.empty(); ++i) {
        const unsigned b = in.byte();
        if (raw) {
            text += b % 4 == 0 ? kSubscript : b % 4 == 1 ? kSuperscript : plainChar(b / 4);
        } else {
            const Level level = levelOf(b);
            if (level != Level::Normal)
                text += level == Level::Subscript ? kSubscript : kSuperscript;
            text += plainChar(b / 3);
        }
    }
    int caret = text.size();
    if (!raw)
        check(wellFormed(text));

    while (!in.empty()) {
        const unsigned op = in.byte();
        const unsigned arg = in.byte();
        switch (op % 8) {
        case 0: { // type a character over a selection made with the arrow keys
            int anchor = caret;
            for (unsigned k = 0; k < arg % 4; ++k)
                anchor = arg & 4 ? stepLeft(text, anchor) : stepRight(text, anchor);
            const Edit e = typeCharacter(text, anchor, caret, plainChar(arg / 8), levelOf(arg));
            check(e.caret >= 1 && e.caret <= e.text.size() &&
                  e.text[e.caret - 1] == plainChar(arg / 8));
            text = e.text;
            caret = e.caret;
            break;
        }
        case 1: {
            const Edit e = backspace(text, caret);
            check(e.caret >= 0 && e.caret <= e.text.size() && e.text.size() <= text.size());
            text = e.text;
            caret = e.caret;
            break;
        }
        case 2: {
            const Edit e = deleteForward(text, caret);
            check(e.caret == std::min<int>(caret, text.size()) && e.text.size() <= text.size());
            text = e.text;
            caret = std::min<int>(e.caret, text.size());
            break;
        }
        case 3: {
            const int left = stepLeft(text, caret);
            check(left >= 0 && left <= caret);
            if (!raw && caret > 0)
                check(left < caret && stepRight(text, left) == caret);
            caret = left;
            break;
        }
        case 4: {
            const int right = stepRight(text, caret);
            check(right <= text.size() && right >= std::min<int>(caret, text.size()));
            if (!raw && caret < text.size())
                check(right > caret && stepLeft(text, right) == caret);
            caret = right;
            break;
        }
        case 5: {
            const QString before = text;
            const bool changed = reorder(text);
            check(text.size() == before.size() && changed == (text != before));
            caret = std::min<int>(caret, text.size());
            if (!raw) {
                // No superscript is left directly before a subscript.
                for (int i = 0; i + 2 < text.size(); ++i) {
                    if (isMarker(text[i])) {
                        check(!(text[i] == kSuperscript && text[i + 2] == kSubscript));
                        ++i;
                    }
                }
                caret = text.size();
            }
            break;
        }
        case 6: { // backspace at the end: the last character goes with its marker
            const Edit e = backspace(text, text.size());
            check(e.caret == e.text.size() && e.text.size() <= text.size());
            if (!raw && !text.isEmpty())
                check(e.text.size() < text.size());
            text = e.text;
            caret = e.caret;
            break;
        }
        default:
            checkLayout(text, !raw, arg);
            break;
        }
        if (!raw) {
            check(wellFormed(text));
            check(validCaret(text, caret));
        }
        if (text.size() > 4096)
            break;
    }
    checkLayout(text, !raw, 0);
    return 0;
}
