#include "windowgeometry.h"

std::optional<QRect> fixedWindowFrame(const QRect &screen)
{
    if (screen.width() <= 850)
        return std::nullopt;
    const QSize size(800, 600);
    return QRect(screen.x() + (screen.width() - size.width()) / 2,
                 screen.y() + (screen.height() - size.height()) / 2, size.width(), size.height());
}
