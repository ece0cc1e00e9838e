#include "cardpicture.h"

#include "carddraw.h"
#include "dialogs.h"
#include "picturefile.h"

#include <QClipboard>
#include <QDir>
#include <QFileInfo>

void copyCardPicture(const CardView &view, QClipboard *clipboard)
{
    const QImage picture = carddraw::creimage(view);
    if (!clipboard)
        return;
    clipboard->clear();
    clipboard->setImage(picture);
}

QString saveCardPictureAs(const CardView &view, platform::Dialogs &dialogs, QWidget *parent,
                          const QString &folder)
{
    using platform::Dialogs;
    Dialogs::FileRequest request;
    request.title = QStringLiteral("Enregistrer l'image de la carte");
    request.initialName =
        QDir(folder).filePath(picturefile::fileBaseName(view.nom) + QStringLiteral(".png"));
    request.filter = QStringLiteral(
        "Image PNG (*.png);;Image PNG deux fois plus grande (*@2x.png);;Image PNG quatre fois "
        "plus grande (*@4x.png);;Dessin SVG (*.svg);;Document PDF (*.pdf)");
    request.defaultSuffix = QStringLiteral("png");
    request.save = true;
    for (;;) {
        const std::optional<QString> chosen = dialogs.fileName(parent, request);
        if (!chosen)
            return {};
        const QString shown = QDir::toNativeSeparators(*chosen);
        if (!picturefile::formatOf(*chosen)) {
            dialogs.message(parent, Dialogs::Icon::Exclamation, QStringLiteral("Format inconnu"),
                            QStringLiteral("Le nom %1 ne dit pas le format de l'image.\nIl doit "
                                           "finir par .png (ou @2x.png, @4x.png pour une image "
                                           "deux ou quatre fois plus grande), .svg ou .pdf.")
                                .arg(shown));
            request.initialName = *chosen;
            continue;
        }
        if (QFileInfo::exists(*chosen) &&
            dialogs.message(
                parent, Dialogs::Icon::Information, QStringLiteral("Ecraser le fichier existant ?"),
                QStringLiteral("Le fichier %1 existe déjà.\nVoulez-vous le remplacer?").arg(shown),
                Dialogs::Buttons::YesNo) != Dialogs::Answer::Yes) {
            request.initialName = *chosen;
            continue;
        }
        if (!picturefile::writeCardPicture(view, *chosen)) {
            dialogs.message(parent, Dialogs::Icon::Critical, QStringLiteral("Ecriture impossible"),
                            QStringLiteral("Le fichier %1 n'a pas pu être écrit.\nVérifier l'état "
                                           "du lecteur et les protections en écriture.")
                                .arg(shown));
            return {};
        }
        return *chosen;
    }
}
