#pragma once

#include "cardview.h"

#include <QDialog>

#include <optional>

class PrintSource;
class QGroupBox;
class QLabel;
class QLineEdit;
class QPrinter;
class QPushButton;
class QRadioButton;
class UpDown;

namespace platform
{
class Dialogs;
}

// The print dialog "Imprimer": prints the editor's card (the card picture
// centred on the page) or the whole database as a listing, in a number of
// copies, on `printer`. The main window keeps the printer, so that the choice
// made with "&Imprimantes" holds for the next opening, and opens the dialog
// modally:
//
//     confimp dialog(source, dialogs, printer, this);
//     dialog.exec();
//
// The dialog places itself 20 pixels below the main window's top.
class confimp : public QDialog
{
    Q_OBJECT
public:
    confimp(PrintSource &source, platform::Dialogs &dialogs, QPrinter &printer,
            QWidget *mainWindow);
    ~confimp() override;

    // Command1: prints as chosen, then closes the dialog (accepted). When the
    // printer cannot be used, shows "Impression impossible" and stays open.
    // Without a printer, asks for a PDF file, writes it, says where it went.
    void Command1_Click();
    // Command2: the desktop's printer choice, then `defaut` shows the printer.
    void Command2_Click();

    // The design controls.
    QGroupBox *Frame1;     // "Options"
    QRadioButton *Option1; // the edited card (default)
    QRadioButton *Option2; // the whole database
    QLabel *Label3;        // "Nombre d'exemplaires:"
    QLabel *Label4;        // the number of copies
    UpDown *UpDown1;       // 1 to 99
    QLabel *Label2;        // "Imprimante:"
    QLineEdit *defaut;     // the current printer
    QPushButton *Command2; // "&Imprimantes"
    QPushButton *Command3; // "&Annuler"
    QPushButton *Command1; // prints
    QGroupBox *Frame2;     // shown while printing
    QLabel *Label1;        // "Veuillez patienter quelques instants..."
    QLabel *Image2;        // printer picture
    QLabel *progress;      // "Carte k sur N"

    void reject() override;

protected:
    void closeEvent(QCloseEvent *event) override;

private:
    void choosePrinter(); // the load step: the printer to use, or none
    void showPrinter();   // `defaut` shows the printer
    bool printsToAskedFile() const;
    std::optional<QString> askPdfFile(const QString &title);
    bool paint(int copies, const CardView &card);
    bool paint(int copies, const std::vector<CardView> &cards);
    void failed(const QString &title, const QString &text);
    void setPrinting(bool on);
    void showProgress(int done, int total);

    PrintSource &source_;
    platform::Dialogs &dialogs_;
    QPrinter &printer_;
    bool printing_ = false;
    qint64 lastRepaint_ = 0;
};

// Prepares a printer for this application: device pixels at 600 dpi, and the
// document's name.
void preparePrinter(QPrinter &printer);

// The name of the PDF file offered for a document titled `title` (a species'
// name, or "Liste des espèces"): the title without the characters a file name
// cannot hold, then ".pdf"; "Carte.pdf" for an empty title.
QString pdfFileName(const QString &title);

// The printer's name as `defaut` shows it; a PDF printer reads
// "Fichier PDF (path)", and without a printer "Aucune imprimante : fichier PDF"
// (a file is asked at each print).
QString printerDisplayName(const QPrinter &printer);
