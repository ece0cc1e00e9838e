#pragma once

#include "cardview.h"

#include <QString>

class QClipboard;

// The message the main window puts in its info line after Command4 ("Co&pier").
inline const QString kCopyMessage = QStringLiteral(
    "L'image est copiée: vous pouvez la retrouver depuis toute application Windows (coller)");

// Command4: the card picture (carddraw::creimage) on the clipboard as an image;
// the platform offers it in its bitmap formats (PNG and BMP on X11, DIB on
// Windows). The main window then shows kCopyMessage in `info` and repaints
// Frame1 live.
void copyCardPicture(const CardView &view, QClipboard *clipboard);
