#pragma once

#include "cardview.h"

#include <QString>

class QClipboard;
class QWidget;

namespace platform
{
class Dialogs;
}

// Command4: the card picture (carddraw::creimage) on the clipboard as an image;
// the platform offers it in its bitmap formats (PNG and BMP on X11, DIB on
// Windows). The main window then says so in `info` and repaints
// Frame1 live.
void copyCardPicture(const CardView &view, QClipboard *clipboard);

// "Enregistrer l'image…" of the card's context menu: asks for a file name in
// `folder` (the card's name offered, as PNG), asks before replacing a file,
// and writes the picture in the format its name asks for (see
// picturefile::formatOf). A name of another kind, or a file that cannot be
// written, gets a French message and changes no file. Returns the path
// written, or an empty string.
QString saveCardPictureAs(const CardView &view, platform::Dialogs &dialogs, QWidget *parent,
                          const QString &folder);
