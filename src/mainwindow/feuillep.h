#pragma once

#include "cardview.h"
#include "carte.h"
#include "database.h"

#include <QHash>
#include <QString>
#include <QTimer>
#include <QWidget>

#include <functional>
#include <memory>
#include <optional>
#include <vector>

class CardEditor;
class CardFileCommands;
class QLabel;
class QPushButton;
class QSessionManager;
class QShortcut;
class SpeciesList;

namespace platform
{
class Dialogs;
class DialUp;
class HelpViewer;
} // namespace platform

// The main window "Cartes d'identité des espèces chimiques": the species list,
// the card editor, the card-file commands and the buttons that open the other
// windows. Creating it is the application's start-up; closing it, the end.
class feuilleP : public QWidget
{
    Q_OBJECT
public:
    // The windows that other parts of the application provide, opened by the
    // buttons. A button whose window is not set does nothing.
    struct Windows {
        std::function<void()> calculator;  // Command8: Machine, modal
        std::function<void()> print;       // Command10: confimp, modal
        std::function<void()> copy;        // Command4: the card picture on the clipboard
        std::function<void()> savePicture; // the card picture in a file (card's context menu)
        std::function<void()> publish;     // Command14: Exporter
        std::function<void()> download;    // Command13: feuilleFTP, calls chargenet
    };

    feuilleP(const QString &appDir, platform::Dialogs &dialogs, platform::DialUp &dialUp,
             platform::HelpViewer &help, QWidget *parent = nullptr);
    ~feuilleP() override;

    void setWindows(Windows windows) { windows_ = std::move(windows); }

    const QString &appDir() const { return appDir_; }
    platform::Dialogs &dialogs() const { return dialogs_; }

    // What the other windows read and call.
    cards::carte currentCard() const;                  // the editor's card, drapeaux built
    CardView currentCardView() const;                  // for the card picture and printing
    double &memoire() { return memoire_; }             // the calculator's memory
    bool &listDownloaded() { return listDownloaded_; } // the download's list flag
    bool chargenet();   // loads TEMPO.CAR; false when the card could not be taken
    void repaintCard(); // Frame1 live again

    // Opens a card file as "&Ouvrir" does once the file is chosen, with the
    // same question and messages: the file named on the command line. A
    // relative path is taken from the current directory.
    void openCardFile(const QString &path);

    // Species rows (header not counted), and showing row r without asking.
    int speciesRowCount() const;
    void showRow(int r);
    // For the print dialog: the cards of the list's rows in its order, read
    // in one go (a row whose card is no longer in the database has none);
    // the last row shown afterwards; the question asked once before a listing.
    std::vector<CardView> listedCards();
    void showLastRow();
    bool askSaveBeforeListing();

    // The session is ending: the closing questions when the session manager
    // lets us ask, and the status "NON".
    void commitData(QSessionManager &manager);

    // Button handlers, under the buttons' design names.
    void Command1_Click();  // "&Fermer"
    void Command2_Click();  // "&Ouvrir"
    void Command4_Click();  // "Co&pier"
    void Command5_Click();  // "&Valider"
    void Command6_Click();  // "&Nouveau"
    void Command7_Click();  // "&Aide"
    void Command8_Click();  // "&Calculatrice"
    void Command9_Click();  // "&Voir le cours"
    void Command10_Click(); // "&Imprimer"
    void Command11_Click(); // "&Enregistrer"
    void Command12_Click(); // "E&nlever"
    void Command13_Click(); // "I&mporter"
    void Command14_Click(); // "E&xporter"

    // "Publier la base en site web…" (the species list's context menu): the
    // database as a web catalogue in a folder the user chooses, written as
    // cartes-outil site writes it; the info line says what came of it.
    void publishSite();

    // The list and the editor, under their design names where they have one.
    SpeciesList *list() const { return list_; }
    CardEditor *editor() const { return editor_; }
    QLabel *info = nullptr;
    QPushButton *Command1 = nullptr;
    QPushButton *Command2 = nullptr;
    QPushButton *Command4 = nullptr;
    QPushButton *Command5 = nullptr;
    QPushButton *Command6 = nullptr;
    QPushButton *Command7 = nullptr;
    QPushButton *Command8 = nullptr;
    QPushButton *Command9 = nullptr;
    QPushButton *Command10 = nullptr;
    QPushButton *Command11 = nullptr;
    QPushButton *Command12 = nullptr;
    QPushButton *Command13 = nullptr;
    QPushButton *Command14 = nullptr;

    // The texts of the info line.
    static const QString kBackgroundInfo;
    static const QString kCopiedMessage;

signals:
    // The window has closed (status "NON" written): the application ends.
    void unloaded();

protected:
    void paintEvent(QPaintEvent *event) override;
    void mouseMoveEvent(QMouseEvent *event) override;
    void closeEvent(QCloseEvent *event) override;
    bool event(QEvent *event) override;
    bool eventFilter(QObject *watched, QEvent *event) override;
    // A card file dropped anywhere on the window opens as with openCardFile.
    void dragEnterEvent(QDragEnterEvent *event) override;
    void dragMoveEvent(QDragMoveEvent *event) override;
    void dropEvent(QDropEvent *event) override;

private:
    QPushButton *makeButton(const char *name, const QString &caption, const QString &tooltip,
                            const QString &infoText, const char *icon);
    void createButtons();
    void majtab(const cards::RecordFile *image = nullptr);
    void MS1_EnterCell();
    void Combo1_Click();
    void afterRemoval(const cards::Saved &saved);
    void showCurrentRow();
    bool queryUnload();
    void unload();
    void applyGeometry();
    std::optional<QRect> fixedFrame() const;
    void fileDrag(QDropEvent *event);

    QString appDir_;
    platform::Dialogs &dialogs_;
    platform::DialUp &dialUp_;
    platform::HelpViewer &help_;
    Windows windows_;

    SpeciesList *list_ = nullptr;
    CardEditor *editor_ = nullptr;
    std::unique_ptr<CardFileCommands> files_;
    QShortcut *courseKey_ = nullptr;
    QHash<QObject *, QString> infoTexts_;
    QString copiedMessage_;
    QString siteFolder_; // the folder last published into

    double memoire_ = 0;
    bool listDownloaded_ = false;
    bool closing_ = false;
    bool unloaded_ = false;
    bool enteringCell_ = false;
    bool applyingGeometry_ = false;
    int placementTries_ = 0;
    int placementRounds_ = 0;
    QTimer placementRetry_;
};
