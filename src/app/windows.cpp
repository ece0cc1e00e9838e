#include "windows.h"

#include "cardpicture.h"
#include "confimp.h"
#include "exporter.h"
#include "feuilleftp.h"
#include "feuillep.h"
#include "machine.h"
#include "printsource.h"

#include <QDir>
#include <QGuiApplication>
#include <QPrinter>
#include <QStandardPaths>

#include <memory>

namespace
{

// The print dialog's view of the main window.
class MainWindowPrintSource : public PrintSource
{
public:
    explicit MainWindowPrintSource(feuilleP &window) : window_(window) {}
    int speciesRowCount() const override { return window_.speciesRowCount(); }
    void showRow(int r) override { window_.showRow(r); }
    CardView currentCard() const override { return window_.currentCardView(); }
    bool askSaveBeforeListing() override { return window_.askSaveBeforeListing(); }

private:
    feuilleP &window_;
};

} // namespace

void connectWindows(feuilleP &window)
{
    auto source = std::make_shared<MainWindowPrintSource>(window);
    auto printer = std::make_shared<std::unique_ptr<QPrinter>>();
    feuilleP::Windows w;
    w.calculator = [&window] {
        Machine machine(window.dialogs(), window.memoire(), &window);
        machine.exec();
    };
    w.print = [&window, printer, source] {
        if (!*printer) {
            *printer = std::make_unique<QPrinter>();
            preparePrinter(**printer);
        }
        confimp dialog(*source, window.dialogs(), **printer, &window);
        dialog.exec();
        window.repaintCard();
    };
    w.copy = [&window] { copyCardPicture(window.currentCardView(), QGuiApplication::clipboard()); };
    w.savePicture = [&window] {
        const QString documents =
            QStandardPaths::writableLocation(QStandardPaths::DocumentsLocation);
        saveCardPictureAs(window.currentCardView(), window.dialogs(), &window,
                          !documents.isEmpty() && QDir(documents).exists() ? documents
                                                                           : QDir::homePath());
    };
    w.publish = [&window] {
        const cards::carte card = window.currentCard();
        if (!checkPublishable(QString::fromStdString(card.nom()), window.dialogs(), &window))
            return;
        Exporter exporter(card, window.appDir(), window.dialogs(), &window);
        exporter.exec();
    };
    w.download = [&window] {
        feuilleFTP download(
            window.appDir(), window.listDownloaded(), [&window] { window.chargenet(); },
            window.dialogs(), &window);
        download.exec();
    };
    window.setWindows(std::move(w));
}
