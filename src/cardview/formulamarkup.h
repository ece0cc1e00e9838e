#pragma once

#include <QPoint>
#include <QSize>
#include <QString>

#include <functional>
#include <optional>
#include <vector>

// The formula markup and what the formula editor does with it, as plain
// functions: "#" before a character makes it a subscript, "*" a superscript.
// Positions are caret positions: the number of characters before the caret.
namespace formula
{

enum class Level { Normal, Subscript, Superscript };

inline constexpr QChar kSubscript = u'#';
inline constexpr QChar kSuperscript = u'*';

inline bool isMarker(QChar c)
{
    return c == kSubscript || c == kSuperscript;
}

struct Edit {
    QString text;
    int caret = 0;
    friend bool operator==(const Edit &, const Edit &) = default;
};

// A typed character (with the marker of `mode`) replacing the selection
// [selStart, selEnd). A selection edge that splits a marker from its character
// is widened so that the pair goes or stays together.
Edit typeCharacter(const QString &text, int selStart, int selEnd, QChar ch, Level mode);
// Backspace at `caret`: a marked character goes with its marker.
Edit backspace(const QString &text, int caret);
// Delete at `caret`: a marked character goes with its marker.
Edit deleteForward(const QString &text, int caret);
// Left and Right: a marked character and its marker are one step.
int stepLeft(const QString &text, int caret);
int stepRight(const QString &text, int caret);

// The order rule: where a superscript character is directly followed by a
// subscript character, the subscript comes first (*a#b becomes #b*a).
// Returns true when the text was rewritten.
bool reorder(QString &text);

// Text measurement for the rendering, in pixels.
struct Metrics {
    // Advance width of `text` at the normal size (small = false) or the
    // script size (small = true).
    std::function<int(const QString &text, bool small)> width;
    int lineHeight = 0; // height of "W" at the normal size
};

// One character as the display draws it.
struct Glyph {
    int position = 0; // 1-based position of the drawn character in the markup
    QString ch;       // empty for a marker that ends the text
    Level level = Level::Normal;
    int x = 0;     // left edge
    int y = 0;     // top edge
    int right = 0; // x + advance width
};

struct Layout {
    int y0 = 0; // top of normal characters
    std::vector<Glyph> glyphs;
    // Index in `glyphs` of the first character that begins beyond 95 % of
    // the display's width, if any.
    std::optional<std::size_t> overflow;
};

inline constexpr int kStartX = 20;
inline constexpr int kSubscriptDrop = 8;
inline constexpr int kSuperscriptRise = 6;

// Where each character of `markup` is drawn on a display of `area`: normal
// characters from x = 20, scripts 8 pixels lower or 6 higher, a subscript run
// and the superscript run that follows it stacked from the same x.
Layout layout(const QString &markup, const Metrics &metrics, QSize area);

// The caret position that a click at `xclic` asks for (xclic being the
// click's x less 6): before the first character that begins at or right of
// it, after a marked one; at the end when the click lies beyond the text.
int caretForClick(const Layout &layout, const QString &markup, int xclic);

// The caret marker for `caret`: its left edge, and the script level of the
// character right after the caret (the level the text at the caret implies).
struct CaretMark {
    int left = 0;
    std::optional<Level> levelAtCaret; // none at the start of the text
};
// nullopt when the caret stands between a marker and its character.
std::optional<CaretMark> caretMark(const Layout &layout, const QString &markup, int caret);
// The marker's top for the mode the check boxes show.
int caretTop(const Layout &layout, Level mode);

} // namespace formula
