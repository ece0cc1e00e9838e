#include "aspectwrap.h"

#include <algorithm>

namespace carddraw
{

QStringList wrapAspect(const QString &text, int width,
                       const std::function<int(const QString &)> &textWidth, int maxLines)
{
    QStringList lines;
    QString t = text;
    while (lines.size() < std::max(1, maxLines)) {
        const qsizetype lineFeed = t.indexOf(QLatin1Char('\n'));
        if (lineFeed < 0 && textWidth(t) < width) {
            if (!t.isEmpty())
                lines << t;
            break;
        }
        // k: the number of characters of the line, its break included.
        qsizetype k = 0;
        if (lineFeed >= 0) {
            k = lineFeed + 1;
        } else {
            for (qsizetype i = 0; i < t.size(); ++i) {
                if (t[i] == QLatin1Char(' ') && textWidth(t.left(i + 1)) < width)
                    k = i + 1;
            }
            if (k == 0) {
                for (qsizetype i = 1; i <= t.size() && textWidth(t.left(i)) < width; ++i)
                    k = i;
            }
        }
        // Not even one character fits: every further line would be the same
        // empty line, with nothing left of the text consumed.
        if (k == 0)
            break;
        QString line = t.left(k);
        if (line.endsWith(QLatin1Char('\n'))) {
            line.chop(1);
            if (line.endsWith(QLatin1Char('\r')))
                line.chop(1);
        }
        lines << line;
        t = t.mid(k);
    }
    return lines;
}

} // namespace carddraw
