#pragma once

#include <QString>
#include <QStringList>

#include <functional>

namespace carddraw
{

// The aspect wrapping rule: the lines printed for `text` in a box of width
// `width`, `maxLines` lines at most (the box's height, at least one).
// A line break is CR LF (a lone LF breaks too); a line is broken after its
// last space that keeps it narrower than `width`, or inside a word when it
// has none. When not even one character fits, nothing more is printed.
QStringList wrapAspect(const QString &text, int width,
                       const std::function<int(const QString &)> &textWidth, int maxLines);

} // namespace carddraw
