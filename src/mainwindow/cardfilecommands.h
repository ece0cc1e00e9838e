#pragma once

#include "dialogs.h"

#include <QString>

class CardEditor;
class QWidget;

// The card-file commands of the main window: "&Enregistrer" writes the
// editor's card to a card file, "&Ouvrir" reads one into the editor, and
// chargenet reads the card that the download left in TEMPO.CAR.
class CardFileCommands
{
public:
    CardFileCommands(CardEditor &editor, const QString &appDir, platform::Dialogs &dialogs,
                     QWidget *window);

    void Command11_Click(); // "&Enregistrer"
    void Command2_Click();  // "&Ouvrir"
    // False when the downloaded card was not loaded (a modified card kept,
    // or a file that cannot be read): the download window stays open.
    bool chargenet();
    // "&Ouvrir" with the file already chosen (named on the command line,
    // dropped onto the window): the same question, the same reading and
    // messages.
    void open(const QString &path);

private:
    enum class Source { Open, Download };
    // The dialog's request, in the folder last used for card files (the
    // user's documents at first), to save under `name` when given.
    platform::Dialogs::FileRequest request(const QString &title, bool save,
                                           const QString &name = {}) const;
    // Reads the card file and, when the whole card could be read, puts it in
    // the editor in place of its card ("&Nouveau" first). A card file cut
    // short or damaged is named in a message, and the editor's card stays as
    // it was, still counted as modified when it was.
    bool load(const QString &path, Source source, bool wasModified);

    CardEditor &editor_;
    QString appDir_;
    platform::Dialogs &dialogs_;
    QWidget *window_;
    QString folder_; // the folder of the last card file chosen
};
