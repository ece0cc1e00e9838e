#pragma once

#include <QString>

class CardEditor;
class QWidget;

namespace platform
{
class Dialogs;
}

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
    void chargenet();
    // "&Ouvrir" with the file already chosen (named on the command line,
    // dropped onto the window): the same question, the same reading and
    // messages.
    void open(const QString &path);

private:
    enum class Source { Open, Download };
    void load(const QString &path, Source source);

    CardEditor &editor_;
    QString appDir_;
    platform::Dialogs &dialogs_;
    QWidget *window_;
};
