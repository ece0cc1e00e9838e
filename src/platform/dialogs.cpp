#include "dialogs.h"

#include "frenchfilemodel.h"

#include <QApplication>
#include <QFileDialog>
#include <QFileInfo>
#include <QHeaderView>
#include <QLineEdit>
#include <QMessageBox>
#include <QPrintDialog>
#include <QPrinter>
#include <QPrinterInfo>
#include <QRegularExpression>
#include <QTreeView>

#include <algorithm>

namespace platform
{

namespace
{

// The ending a name filter gives its files: "@2x.png" for
// "Image PNG deux fois plus grande (*@2x.png)", ".CAR" for "*.CAR".
QString endingOf(const QString &filter)
{
    const qsizetype star = filter.indexOf(QLatin1Char('*'));
    if (star < 0)
        return {};
    const qsizetype end = filter.indexOf(QRegularExpression(QStringLiteral("[ )]")), star);
    return filter.mid(star + 1, end < 0 ? -1 : end - star - 1);
}

// In a save dialog, choosing another kind of file gives the name that kind's
// ending ("Eau.png" becomes "Eau@2x.png"): the name is what tells the format.
void followKind(QFileDialog &dialog, const QString &chosen)
{
    auto *edit = dialog.findChild<QLineEdit *>(QStringLiteral("fileNameEdit"));
    const QString ending = endingOf(chosen);
    if (!edit || ending.isEmpty())
        return;
    QString name = edit->text();
    qsizetype cut = 0;
    for (const QString &filter : dialog.nameFilters())
        if (const QString e = endingOf(filter);
            !e.isEmpty() && name.endsWith(e, Qt::CaseInsensitive))
            cut = std::max(cut, e.size());
    name.chop(cut);
    dialog.selectFile(name + ending);
    dialog.setDefaultSuffix(QFileInfo(ending).suffix());
}

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
    dialog.setFileMode(request.folder ? QFileDialog::Directory
                       : request.save ? QFileDialog::AnyFile
                                      : QFileDialog::ExistingFile);
    dialog.setOption(QFileDialog::ShowDirsOnly, request.folder);
    // Card files are named in capitals on the machines they come from and in
    // lower case on others: the filter takes both.
    QString filter = request.filter;
    if (filter.startsWith(QLatin1String("*.")))
        filter = QStringLiteral("%1 (%2 %3)").arg(filter, filter.toUpper(), filter.toLower());
    dialog.setNameFilter(filter);
    dialog.setDefaultSuffix(request.defaultSuffix);
    if (request.save)
        QObject::connect(&dialog, &QFileDialog::filterSelected, &dialog,
                         [&dialog](const QString &chosen) { followKind(dialog, chosen); });
    // The folder the name gives ("*.CAR" alone: the current one), and the
    // name itself to save under.
    const QFileInfo initial(request.initialName);
    if (initial.path() != QLatin1String("."))
        dialog.setDirectory(initial.absolutePath());
    if (request.save && !initial.fileName().contains(QLatin1Char('*')))
        dialog.selectFile(request.initialName);
    // Every column of the detailed list whole, the date's too; the name takes
    // the room left.
    dialog.resize(std::max(dialog.width(), 760), std::max(dialog.height(), 460));
    if (auto *view = dialog.findChild<QTreeView *>(QStringLiteral("treeView"))) {
        QHeaderView *header = view->header();
        header->setStretchLastSection(false);
        for (int c = 1; c < header->count(); ++c)
            header->setSectionResizeMode(c, QHeaderView::ResizeToContents);
        header->setSectionResizeMode(0, QHeaderView::Stretch);
    }
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
