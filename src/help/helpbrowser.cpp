#include "helpbrowser.h"

#include <QDesktopServices>
#include <QHelpEngineCore>
#include <QImage>

#include <QTextDocument>
#include <algorithm>

namespace help
{

HelpBrowser::HelpBrowser(QHelpEngineCore &engine, QWidget *parent)
    : QTextBrowser(parent), engine_(engine)
{
    // Pages of the help are followed here; an address outside the help (a
    // web page, a mail address) goes to the desktop's own program.
    setOpenLinks(false);
    connect(this, &QTextBrowser::anchorClicked, this, [this](const QUrl &link) {
        const QUrl url = source().resolved(link);
        if (url.scheme() == QLatin1String("qthelp"))
            setSource(url);
        else
            QDesktopServices::openUrl(url);
    });
}

QVariant HelpBrowser::loadResource(int type, const QUrl &name)
{
    QUrl url = name;
    if (url.isRelative())
        url = source().resolved(url);
    if (url.scheme() != QLatin1String("qthelp"))
        return QTextBrowser::loadResource(type, name);
    const QByteArray data = engine_.fileData(url);
    if (data.isEmpty())
        return {};
    if (type == QTextDocument::ImageResource) {
        // SVG pictures are drawn by the image plug-in; give the document a
        // picture rather than bytes it would have to guess the format of.
        QImage image;
        image.loadFromData(data, url.path().endsWith(QLatin1String(".svg")) ? "SVG" : nullptr);
        // A screenshot wider than the page is shown at the page's width.
        const int room = std::max(400, viewport()->width() - 40);
        if (image.width() > room)
            image = image.scaledToWidth(room, Qt::SmoothTransformation);
        return image;
    }
    if (type == QTextDocument::HtmlResource || type == QTextDocument::StyleSheetResource)
        return QString::fromUtf8(data);
    return data;
}

} // namespace help
