#include "cardfilecommands.h"

#include "cardeditor.h"
#include "cardfile.h"
#include "dialogs.h"
#include "localpath.h"
#include "messages.h"
#include "picturefile.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QLineEdit>
#include <QStandardPaths>

namespace
{

using platform::toPath;

// The user's documents, or home when there is no such folder.
QString documentsFolder()
{
    const QString dir = QStandardPaths::writableLocation(QStandardPaths::DocumentsLocation);
    return !dir.isEmpty() && QDir(dir).exists() ? dir : QDir::homePath();
}

} // namespace

CardFileCommands::CardFileCommands(CardEditor &editor, const QString &appDir,
                                   platform::Dialogs &dialogs, QWidget *window)
    : editor_(editor), appDir_(appDir), dialogs_(dialogs), window_(window),
      folder_(documentsFolder())
{
}

platform::Dialogs::FileRequest CardFileCommands::request(const QString &title, bool save,
                                                         const QString &name) const
{
    platform::Dialogs::FileRequest request;
    request.title = title;
    request.initialName = QDir(folder_).filePath(name.isEmpty() ? QStringLiteral("*.CAR")
                                                                : name + QStringLiteral(".CAR"));
    request.filter = QStringLiteral("*.CAR");
    request.defaultSuffix = save ? QStringLiteral("CAR") : QString();
    request.save = save;
    return request;
}

void CardFileCommands::Command11_Click()
{
    QString path;
    for (;;) {
        const auto chosen =
            dialogs_.fileName(window_, request(QStringLiteral("Enregistrer la carte"), true,
                                               picturefile::fileBaseName(editor_.Text4->text())));
        if (!chosen)
            return;
        path = *chosen;
        folder_ = QFileInfo(path).absolutePath();
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
    // Still modified: the user chose not to save it.
    const bool modified = editor_.modifie;
    editor_.modifie = false;
    const auto chosen =
        dialogs_.fileName(window_, request(QStringLiteral("Ouvrir un fichier carte"), false));
    if (!chosen)
        return;
    folder_ = QFileInfo(*chosen).absolutePath();
    load(*chosen, Source::Open, modified);
}

void CardFileCommands::open(const QString &path)
{
    if (!editor_.enregistrer())
        return;
    load(path, Source::Open, editor_.modifie);
}

bool CardFileCommands::chargenet()
{
    // A modified card that could not be saved stays: the download does not
    // replace it.
    if (!editor_.enregistrer())
        return false;
    return load(QDir(appDir_).filePath(QString::fromUtf8(cards::kTempoCarFileName)),
                Source::Download, editor_.modifie);
}

bool CardFileCommands::load(const QString &path, Source source, bool wasModified)
{
    const cards::CardFileRead read = cards::readCardFile(toPath(path), source == Source::Open);
    const QString file = QDir::toNativeSeparators(path);
    // A file that is not there, of another kind or unreadable leaves the
    // editor empty ("&Nouveau" ran first, as the command always did); a card
    // file cut short or damaged leaves the editor's card as it was: reading
    // part of a card would pass it off as the whole one.
    const auto refuse = [&](bool emptied, const QString &title, const QString &text) {
        if (emptied) {
            editor_.modifie = false;
            editor_.Command6_Click();
        } else {
            editor_.modifie = wasModified;
        }
        dialogs_.message(window_, platform::Dialogs::Icon::Critical, title, text);
        return false;
    };
    switch (read.status) {
    case cards::CardFileStatus::Missing:
        return refuse(true, messages::kIntrouvableTitle, messages::kIntrouvableText.arg(file));
    case cards::CardFileStatus::NotCardFile:
        return refuse(true, messages::kNonValideTitle, messages::kNonValideText);
    case cards::CardFileStatus::Damaged:
        return refuse(false, messages::kEndommageTitle, messages::kEndommageText.arg(file));
    case cards::CardFileStatus::ReadError:
        return refuse(true, messages::kLectureTitle, messages::kLectureText);
    case cards::CardFileStatus::Ok:
        break;
    }
    editor_.modifie = false;
    editor_.Command6_Click();
    if (read.completedNine)
        dialogs_.beep();
    editor_.showLoadedCard(read.card, source == Source::Open ? CardEditor::LockRule::Open
                                                             : CardEditor::LockRule::Download);
    return true;
}
