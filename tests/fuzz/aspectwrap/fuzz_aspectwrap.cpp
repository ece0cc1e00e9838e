// The aspect wrapping on any text, width and height. Input: one byte for the
// box's width (minus 16, so that boxes of no width or less are tried), one
// for the height in lines (255 meaning the largest int, a box that never
// fills), one whose low bit picks UTF-16 over UTF-8, then the text.
// A character's width comes from its code: zero for some, so that widths
// grow with the text but not always strictly.
//
// Checked: the wrapping ends; it gives no more lines than the box holds; the
// lines are the text's consecutive pieces, a CR LF (or LF) dropped where the
// text breaks; a line that does not end at a line feed is narrower than the
// box, broken after its last fitting space or, without one, after as many
// characters as fit; and when lines are left in the box, the text is used
// up or not even its next character fits.
#include "aspectwrap.h"
#include "fuzzsupport.h"

#include <algorithm>
#include <climits>
#include <cstddef>
#include <cstdint>

namespace
{

using fuzzsupport::check;

int charWidth(QChar c)
{
    return c.unicode() % 11;
}

int textWidth(const QString &s)
{
    int w = 0;
    for (QChar c : s)
        w += charWidth(c);
    return w;
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t *data, std::size_t size)
{
    if (size < 3)
        return 0;
    const int width = int(data[0]) - 16;
    const int maxLines = data[1] == 255 ? INT_MAX : int(data[1]);
    const bool utf16 = data[2] & 1;
    data += 3;
    size -= 3;
    const QString text =
        utf16 ? QString::fromUtf16(reinterpret_cast<const char16_t *>(data), qsizetype(size / 2))
              : QString::fromUtf8(reinterpret_cast<const char *>(data), qsizetype(size));

    const QStringList lines = carddraw::wrapAspect(text, width, textWidth, maxLines);
    check(lines.size() <= std::max(1, maxLines));

    qsizetype pos = 0;
    for (const QString &line : lines) {
        const QString rest = text.mid(pos);
        const qsizetype lineFeed = rest.indexOf(QLatin1Char('\n'));
        if (lineFeed >= 0) {
            // Up to the line feed, its carriage return dropped.
            QString expected = rest.left(lineFeed);
            if (expected.endsWith(QLatin1Char('\r')))
                expected.chop(1);
            check(line == expected);
            pos += lineFeed + 1;
            continue;
        }
        check(!line.isEmpty());
        check(rest.startsWith(line));
        check(textWidth(line) < width);
        if (line.size() < rest.size()) {
            // Not the whole rest: the rest did not fit, and the break is the
            // last space that fits or, without one, the longest head that fits.
            check(textWidth(rest) >= width);
            qsizetype lastSpace = -1;
            for (qsizetype i = 0; i < rest.size(); ++i) {
                if (rest[i] == QLatin1Char(' ') && textWidth(rest.left(i + 1)) < width)
                    lastSpace = i;
            }
            if (lastSpace >= 0)
                check(line.size() == lastSpace + 1);
            else
                check(textWidth(rest.left(line.size() + 1)) >= width);
        }
        pos += line.size();
    }
    if (lines.size() < std::max(1, maxLines)) {
        const QString rest = text.mid(pos);
        check(rest.isEmpty() ? true : !rest.contains(QLatin1Char('\n')));
        check(rest.isEmpty() || textWidth(rest.left(1)) >= width);
    }
    return 0;
}
