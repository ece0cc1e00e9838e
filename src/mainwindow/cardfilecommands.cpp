#include "cardfilecommands.h"

#include "cardeditor.h"
#include "cardfile.h"
#include "dialogs.h"
#include "localpath.h"
#include "messages.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>

namespace
{

using platform::toPath;

platform::Dialogs::FileRequest cardFileRequest(const QString &title, bool save)
{
    platform::Dialogs::FileRequest request;
    request.title = title;
    request.initialName = QStringLiteral("*.CAR");
    request.filter = QStringLiteral("*.CAR");
    request.defaultSuffix = save ? QStringLiteral("CAR") : QString();
    request.save = save;
    return request;
}

} // namespace

CardFileCommands::CardFileCommands(CardEditor &editor, const QString &appDir,
                                   platform::Dialogs &dialogs, QWidget *window)
    : editor_(editor), appDir_(appDir), dialogs_(dialogs), window_(window)
{
}

void CardFileCommands::Command11_Click()
{
    QString path;
    for (;;) {
        const auto chosen = dialogs_.fileName(
            window_, cardFileRequest(QStringLiteral("Enregistrer la carte"), true));
        if (!chosen)
            return;
        path = *chosen;
        if (!QFileInfo::exists(path))
            break;
        const QString question = QStringLiteral("Le fichier ") + QDir::toNativeSeparators(path) +
                                 QStringLiteral(" existe déjà.\nVoulez-vous le remplacer?");
        if (dialogs_.message(window_, platform::Dialogs::Icon::Information, messages::kEcraserTitle,
                             question,
                             platform::Dialogs::Buttons::YesNo) == platform::Dialogs::Answer::Yes)
            break;
    }
    if (cards::writeCardFile(toPath(path), editor_.card()) != cards::IoError::None)
        dialogs_.message(window_, platform::Dialogs::Icon::Critical, messages::kEcritureTitle,
                         messages::kEcritureText);
}

void CardFileCommands::Command2_Click()
{
    if (!editor_.enregistrer())
        return;
    editor_.modifie = false;
    const auto chosen = dialogs_.fileName(
        window_, cardFileRequest(QStringLiteral("Ouvrir un fichier carte"), false));
    if (!chosen)
        return;
    editor_.Command6_Click();
    load(*chosen, Source::Open);
}

void CardFileCommands::open(const QString &path)
{
    if (!editor_.enregistrer())
        return;
    editor_.modifie = false;
    editor_.Command6_Click();
    load(path, Source::Open);
}

void CardFileCommands::chargenet()
{
    // A modified card that could not be saved stays: the download does not
    // replace it.
    if (!editor_.Command6_Click())
        return;
    load(QDir(appDir_).filePath(QString::fromUtf8(cards::kTempoCarFileName)), Source::Download);
}

void CardFileCommands::load(const QString &path, Source source)
{
    const cards::CardFileRead read = cards::readCardFile(toPath(path), source == Source::Open);
    switch (read.status) {
    case cards::CardFileStatus::NotCardFile:
        dialogs_.message(window_, platform::Dialogs::Icon::Critical, messages::kNonValideTitle,
                         messages::kNonValideText);
        return;
    case cards::CardFileStatus::ReadError:
        editor_.fillTexts(read.card);
        dialogs_.message(window_, platform::Dialogs::Icon::Critical, messages::kLectureTitle,
                         messages::kLectureText);
        return;
    case cards::CardFileStatus::Ok:
        break;
    }
    if (read.completedNine)
        dialogs_.beep();
    editor_.showLoadedCard(read.card, source == Source::Open ? CardEditor::LockRule::Open
                                                             : CardEditor::LockRule::Download);
}
