#include "cardpicture.h"

#include "carddraw.h"

#include <QClipboard>

void copyCardPicture(const CardView &view, QClipboard *clipboard)
{
    const QImage picture = carddraw::creimage(view);
    if (!clipboard)
        return;
    clipboard->clear();
    clipboard->setImage(picture);
}
