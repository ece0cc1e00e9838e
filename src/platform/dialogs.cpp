#include "dialogs.h"

#include "frenchfilemodel.h"

#include <QApplication>
#include <QFileDialog>
#include <QMessageBox>
#include <QPrintDialog>
#include <QPrinter>
#include <QPrinterInfo>

namespace platform
{

namespace
{

QMessageBox::Icon toQt(Dialogs::Icon icon)
{
    switch (icon) {
    case Dialogs::Icon::Critical:
        return QMessageBox::Critical;
    case Dialogs::Icon::Question:
        return QMessageBox::Question;
    case Dialogs::Icon::Exclamation:
        return QMessageBox::Warning;
    case Dialogs::Icon::Information:
        return QMessageBox::Information;
    case Dialogs::Icon::None:
        break;
    }
    return QMessageBox::NoIcon;
}

} // namespace

Dialogs::Answer QtDialogs::message(QWidget *parent, Icon icon, const QString &title,
                                   const QString &text, Buttons buttons)
{
    QMessageBox box(toQt(icon), title, text, QMessageBox::NoButton, parent);
    switch (buttons) {
    case Buttons::Ok:
        box.setStandardButtons(QMessageBox::Ok);
        break;
    case Buttons::OkCancel:
        box.setStandardButtons(QMessageBox::Ok | QMessageBox::Cancel);
        box.setDefaultButton(QMessageBox::Ok);
        break;
    case Buttons::YesNo:
        box.setStandardButtons(QMessageBox::Yes | QMessageBox::No);
        box.setDefaultButton(QMessageBox::Yes);
        break;
    }
    switch (box.exec()) {
    case QMessageBox::Yes:
        return Answer::Yes;
    case QMessageBox::No:
        return Answer::No;
    case QMessageBox::Cancel:
        return Answer::Cancel;
    default:
        // Escape on a Yes/No box answers No, as the close box would.
        return buttons == Buttons::YesNo                                        ? Answer::No
               : buttons == Buttons::OkCancel && box.clickedButton() == nullptr ? Answer::Cancel
                                                                                : Answer::Ok;
    }
}

std::optional<QString> QtDialogs::fileName(QWidget *parent, const FileRequest &request)
{
    QFileDialog dialog(parent, request.title);
    // Qt's own dialog, whatever the desktop offers: a desktop's dialog speaks
    // the desktop's language, and Qt's shows sizes and dates through a model
    // of ours, in French.
    dialog.setOption(QFileDialog::DontUseNativeDialog, true);
    dialog.setProxyModel(new FrenchFileModel(&dialog));
    dialog.setAcceptMode(request.save ? QFileDialog::AcceptSave : QFileDialog::AcceptOpen);
    dialog.setFileMode(request.save ? QFileDialog::AnyFile : QFileDialog::ExistingFile);
    // Card files are named in capitals on the machines they come from and in
    // lower case on others: the filter takes both.
    QString filter = request.filter;
    if (filter.startsWith(QLatin1String("*.")))
        filter = QStringLiteral("%1 (%2 %3)").arg(filter, filter.toUpper(), filter.toLower());
    dialog.setNameFilter(filter);
    dialog.setDefaultSuffix(request.defaultSuffix);
    if (request.save && !request.initialName.contains(QLatin1Char('*')))
        dialog.selectFile(request.initialName);
    // The save dialog asks about overwriting itself; the application asks its
    // own question, so the dialog must not.
    dialog.setOption(QFileDialog::DontConfirmOverwrite, true);
    if (dialog.exec() != QDialog::Accepted || dialog.selectedFiles().isEmpty())
        return std::nullopt;
    return dialog.selectedFiles().constFirst();
}

bool QtDialogs::printSetup(QWidget *parent, QPrinter &printer)
{
    QPrintDialog dialog(&printer, parent);
    dialog.setWindowTitle(QStringLiteral("Configuration de l'impression"));
    return dialog.exec() == QDialog::Accepted;
}

Dialogs::Printers QtDialogs::printers()
{
    return {QPrinterInfo::availablePrinterNames(), QPrinterInfo::defaultPrinterName()};
}

void QtDialogs::beep()
{
    QApplication::beep();
}

} // namespace platform
