#include "services.h"

#include <QDesktopServices>
#include <QFileInfo>
#include <QUrl>

namespace platform
{

void DesktopHelpViewer::open(const QString &path)
{
    if (QFileInfo::exists(path))
        QDesktopServices::openUrl(QUrl::fromLocalFile(path));
}

} // namespace platform
