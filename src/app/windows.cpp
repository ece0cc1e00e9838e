#include "windows.h"

#include "cardpicture.h"
#include "confimp.h"
#include "feuillep.h"
#include "machine.h"
#include "modules.h"
#include "networkmodule.h"
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
    CardView currentCard() const override { return window_.currentCardView(); }
    std::vector<CardView> listedCards() override { return window_.listedCards(); }
    void showLastRow() override { window_.showLastRow(); }
    bool askSaveBeforeListing() override { return window_.askSaveBeforeListing(); }

private:
    feuilleP &window_;
};

} // namespace

void connectWindows(feuilleP &window, Modules &modules)
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
    w.publish = [&window, &modules] {
        const auto publish = modules.function<networkmodule::Publish>(
            networkmodule::kFileName, networkmodule::kPublish, &window);
        if (publish)
            publish(window.currentCard(), window.appDir(), window.dialogs(), &window);
    };
    w.download = [&window, &modules] {
        const auto download = modules.function<networkmodule::Download>(
            networkmodule::kFileName, networkmodule::kDownload, &window);
        if (download)
            download(
                window.appDir(), window.listDownloaded(), [&window] { return window.chargenet(); },
                window.dialogs(), &window);
    };
    window.setWindows(std::move(w));
}
