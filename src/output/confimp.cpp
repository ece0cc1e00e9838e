#include "confimp.h"

#include "carddraw.h"
#include "cardlayout.h"
#include "listing.h"
#include "printsource.h"
#include "updown.h"

#include "dialogs.h"
#include "localpath.h"

#include <QCloseEvent>
#include <QCoreApplication>
#include <QDateTime>
#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QGridLayout>
#include <QGroupBox>
#include <QHBoxLayout>
#include <QLabel>
#include <QLineEdit>
#include <QPainter>
#include <QPainterPath>
#include <QPrinter>
#include <QPushButton>
#include <QRadioButton>
#include <QRandomGenerator>
#include <QStandardPaths>
#include <QVBoxLayout>

#include <filesystem>

namespace
{

const QString kFailureTitle = QStringLiteral("Impression impossible");
const QString kFailureText = QStringLiteral(
    "L'imprimante n'est pas disponible. Vérifier qu'elle est allumée et bien configurée.");

const QString kListingTitle = QStringLiteral("Liste des espèces");
const QString kFileDialogTitle = QStringLiteral("Imprimer dans un fichier PDF");
const QString kEcraserTitle = QStringLiteral("Ecraser le fichier existant ?");
const QString kEcritureTitle = QStringLiteral("Ecriture impossible");
const QString kWrittenTitle = QStringLiteral("Impression dans un fichier");
const QString kNoPrinter = QStringLiteral("Aucune imprimante : fichier PDF");

constexpr int kPrinterDpi = 600;
constexpr double kScreenDpi = 96;

// The picture of Command1 and Image2: a printer with a sheet coming out.
QPixmap printerPicture(int size)
{
    QPixmap pixmap(size, size);
    pixmap.fill(Qt::transparent);
    QPainter p(&pixmap);
    p.setRenderHint(QPainter::Antialiasing);
    p.scale(size / 32.0, size / 32.0);
    p.setPen(QPen(QColor(40, 40, 40), 1));
    p.setBrush(Qt::white);
    p.drawRect(QRectF(9.5, 2.5, 13, 10));
    QPainterPath body;
    body.addRoundedRect(QRectF(3.5, 11.5, 25, 11), 2, 2);
    p.setBrush(QColor(150, 150, 160));
    p.drawPath(body);
    p.setBrush(QColor(90, 200, 90));
    p.drawEllipse(QRectF(23, 14, 3, 3));
    p.setBrush(Qt::white);
    p.drawRect(QRectF(8.5, 18.5, 15, 11));
    p.setPen(QPen(QColor(120, 120, 120), 1));
    for (double y : {22.0, 24.5, 27.0})
        p.drawLine(QPointF(11, y), QPointF(21, y));
    return pixmap;
}

// The folder where a PDF file is offered first.
QString documentsFolder()
{
    const QString dir = QStandardPaths::writableLocation(QStandardPaths::DocumentsLocation);
    return !dir.isEmpty() && QDir(dir).exists() ? dir : QDir::homePath();
}

// No printer: a PDF file without a name yet, asked at each print. Qt turns a
// printer whose file name is cleared back to the system's printer, if any:
// the format comes second.
void useAskedFile(QPrinter &printer)
{
    printer.setOutputFileName(QString());
    printer.setOutputFormat(QPrinter::PdfFormat);
}

// A new empty file beside `target`, made as the user's files are (not private
// like a temporary file); empty when the folder cannot be written.
QString createPartialFile(const QString &target)
{
    for (int attempt = 0; attempt < 100; ++attempt) {
        QFile file(QStringLiteral("%1.%2.tmp")
                       .arg(target)
                       .arg(QRandomGenerator::global()->bounded(1000000)));
        if (file.open(QIODevice::WriteOnly | QIODevice::NewOnly))
            return file.fileName();
        if (!file.exists())
            break;
    }
    return {};
}

// A PDF file that was written to its end.
bool completePdf(const QString &path)
{
    QFile file(path);
    if (!file.open(QIODevice::ReadOnly) || file.size() < 64 || !file.seek(file.size() - 64))
        return false;
    return file.read(64).contains("%%EOF");
}

// Puts the complete file in the place of the old one in one step.
bool replaceFile(const QString &from, const QString &to)
{
    std::error_code error;
    std::filesystem::rename(platform::toPath(from), platform::toPath(to), error);
    return !error;
}

} // namespace

void preparePrinter(QPrinter &printer)
{
    // The listing's offsets are device pixels of a 600 dpi printer.
    printer.setResolution(kPrinterDpi);
    printer.setDocName(QStringLiteral("Cartes d'identité des espèces chimiques"));
}

QString pdfFileName(const QString &title)
{
    static const QString forbidden = QStringLiteral("/\\:*?\"<>|");
    QString name;
    for (const QChar c : title)
        name += c.unicode() < 32 || forbidden.contains(c) ? QChar(u'-') : c;
    // Nor a hidden file, nor spaces and dots at the end, which Windows drops.
    for (QString before; before != name;) {
        before = name;
        name = name.trimmed();
        while (name.startsWith(u'.'))
            name.remove(0, 1);
        while (name.endsWith(u'.'))
            name.chop(1);
    }
    if (name.isEmpty())
        name = QStringLiteral("Carte");
    return name + QStringLiteral(".pdf");
}

QString printerDisplayName(const QPrinter &printer)
{
    if (printer.outputFormat() == QPrinter::PdfFormat) {
        if (printer.outputFileName().isEmpty())
            return kNoPrinter;
        return QStringLiteral("Fichier PDF (%1)")
            .arg(QDir::toNativeSeparators(printer.outputFileName()));
    }
    if (printer.printerName().isEmpty())
        return QStringLiteral("Aucune imprimante");
    return printer.printerName();
}

confimp::confimp(PrintSource &source, platform::Dialogs &dialogs, QPrinter &printer,
                 QWidget *mainWindow)
    : QDialog(mainWindow), source_(source), dialogs_(dialogs), printer_(printer)
{
    setWindowTitle(QStringLiteral("Imprimer"));
    setWindowFlag(Qt::WindowContextHelpButtonHint, false);

    Frame1 = new QGroupBox(QStringLiteral("Options"), this);
    Option1 = new QRadioButton(QStringLiteral("Imprimer la carte éditée"), Frame1);
    Option2 = new QRadioButton(
        QStringLiteral(
            "Imprimer toute la base de données (l'ordre est déterminé par le critère de tri)"),
        Frame1);
    Option1->setChecked(true);
    auto *options = new QVBoxLayout(Frame1);
    options->addWidget(Option1);
    options->addWidget(Option2);

    Label3 = new QLabel(QStringLiteral("Nombre d'exemplaires:"), this);
    Label4 = new QLabel(QStringLiteral("1"), this);
    Label4->setFrameShape(QFrame::Panel);
    Label4->setFrameShadow(QFrame::Sunken);
    Label4->setAlignment(Qt::AlignRight | Qt::AlignVCenter);
    Label4->setMinimumWidth(Label4->fontMetrics().horizontalAdvance(QStringLiteral("999")));
    UpDown1 = new UpDown(1, 99, 1, this);
    connect(UpDown1, &UpDown::valueChanged, Label4, qOverload<int>(&QLabel::setNum));

    Label2 = new QLabel(QStringLiteral("Imprimante:"), this);
    defaut = new QLineEdit(this);
    defaut->setReadOnly(true);
    defaut->setMinimumWidth(260);

    Command2 = new QPushButton(QStringLiteral("&Imprimantes"), this);
    Command3 = new QPushButton(QStringLiteral("&Annuler"), this);
    Command1 = new QPushButton(carddraw::buttonIcon(QStringLiteral("btn-imprimer")),
                               QStringLiteral("Imprimer"), this);
    Command1->setIconSize(QSize(32, 32));
    Command1->setDefault(true);
    connect(Command1, &QPushButton::clicked, this, &confimp::Command1_Click);
    connect(Command2, &QPushButton::clicked, this, &confimp::Command2_Click);
    connect(Command3, &QPushButton::clicked, this, &confimp::reject);

    Frame2 = new QGroupBox(this);
    Image2 = new QLabel(Frame2);
    Image2->setPixmap(printerPicture(48));
    Label1 = new QLabel(QStringLiteral("Veuillez patienter quelques instants..."), Frame2);
    progress = new QLabel(Frame2);
    auto *waiting = new QGridLayout(Frame2);
    waiting->setRowStretch(0, 1);
    waiting->addWidget(Image2, 1, 0, 2, 1);
    waiting->addWidget(Label1, 1, 1);
    waiting->addWidget(progress, 2, 1);
    waiting->setRowStretch(3, 1);
    waiting->setColumnStretch(1, 1);
    Frame2->hide();

    auto *copies = new QHBoxLayout;
    copies->addWidget(Label3);
    copies->addWidget(Label4);
    copies->addWidget(UpDown1);
    copies->addStretch();

    auto *printerRow = new QHBoxLayout;
    printerRow->addWidget(Label2);
    printerRow->addWidget(defaut, 1);
    printerRow->addWidget(Command2);

    auto *buttons = new QHBoxLayout;
    buttons->addStretch();
    buttons->addWidget(Command1);
    buttons->addWidget(Command3);

    auto *layout = new QVBoxLayout(this);
    layout->addWidget(Frame1);
    layout->addLayout(copies);
    layout->addLayout(printerRow);
    layout->addLayout(buttons);
    layout->addWidget(Frame2);

    preparePrinter(printer_);
    choosePrinter();
    showPrinter();

    adjustSize();
    setFixedSize(size());
    if (mainWindow) {
        const QRect main = mainWindow->frameGeometry();
        move(main.left() + (main.width() - width()) / 2, main.top() + 20);
    }
}

confimp::~confimp() = default;

void confimp::choosePrinter()
{
    // The printer chosen before, while it is installed; a file chosen in the
    // printer choice; else the default printer, or the first one.
    const platform::Dialogs::Printers installed = dialogs_.printers();
    if (printer_.outputFormat() == QPrinter::PdfFormat) {
        if (!printer_.outputFileName().isEmpty())
            return;
    } else if (installed.names.contains(printer_.printerName())) {
        return;
    }
    const QString name = installed.names.contains(installed.defaultName) ? installed.defaultName
                                                                         : installed.names.value(0);
    if (!name.isEmpty())
        printer_.setPrinterName(name);
    if (name.isEmpty() || printer_.outputFormat() != QPrinter::NativeFormat ||
        printer_.printerName() != name)
        useAskedFile(printer_);
}

void confimp::showPrinter()
{
    // A long name or path shows from its start, whole in the tooltip.
    defaut->setText(printerDisplayName(printer_));
    defaut->setCursorPosition(0);
    defaut->setToolTip(defaut->text());
}

bool confimp::printsToAskedFile() const
{
    return printer_.outputFormat() == QPrinter::PdfFormat && printer_.outputFileName().isEmpty();
}

std::optional<QString> confimp::askPdfFile(const QString &title)
{
    platform::Dialogs::FileRequest request;
    request.title = kFileDialogTitle;
    request.initialName = QDir(documentsFolder()).filePath(pdfFileName(title));
    request.filter = QStringLiteral("Document PDF (*.pdf *.PDF)");
    request.defaultSuffix = QStringLiteral("pdf");
    request.save = true;
    for (;;) {
        const std::optional<QString> chosen = dialogs_.fileName(this, request);
        if (!chosen || !QFileInfo::exists(*chosen))
            return chosen;
        const QString question = QStringLiteral("Le fichier ") + QDir::toNativeSeparators(*chosen) +
                                 QStringLiteral(" existe déjà.\nVoulez-vous le remplacer?");
        if (dialogs_.message(this, platform::Dialogs::Icon::Information, kEcraserTitle, question,
                             platform::Dialogs::Buttons::YesNo) == platform::Dialogs::Answer::Yes)
            return chosen;
        request.initialName = *chosen;
    }
}

void confimp::failed(const QString &title, const QString &text)
{
    setPrinting(false);
    dialogs_.message(this, platform::Dialogs::Icon::Critical, title, text);
}

void confimp::Command2_Click()
{
    if (!dialogs_.printSetup(this, printer_))
        return;
    // Copies asked in the desktop's dialog count as ours: the printer itself
    // prints each page once.
    if (printer_.copyCount() > 1) {
        UpDown1->setValue(printer_.copyCount());
        printer_.setCopyCount(1);
    }
    choosePrinter();
    showPrinter();
}

void confimp::setPrinting(bool on)
{
    printing_ = on;
    for (QWidget *w : std::initializer_list<QWidget *>{Frame1, Label3, Label4, UpDown1, Label2,
                                                       defaut, Command1, Command2, Command3})
        w->setVisible(!on);
    Frame2->setVisible(on);
    progress->clear();
    if (on)
        repaint(); // the waiting message shows before the work starts
}

void confimp::showProgress(int done, int total)
{
    progress->setText(QStringLiteral("Carte %1 sur %2").arg(done).arg(total));
    // Repaint a few times a second: the window stays painted while the
    // listing runs, and no user input reaches it.
    const qint64 now = QDateTime::currentMSecsSinceEpoch();
    if (now - lastRepaint_ < 100 && done != total)
        return;
    lastRepaint_ = now;
    progress->repaint();
    QCoreApplication::processEvents(QEventLoop::ExcludeUserInputEvents);
}

void confimp::Command1_Click()
{
    if (printing_)
        return;
    const bool database = Option2->isChecked();
    // Without a printer the document goes to a PDF file named now; a file
    // choice given up prints nothing.
    std::optional<QString> asked;
    if (printsToAskedFile()) {
        asked = askPdfFile(database ? kListingTitle : source_.currentCard().nom);
        if (!asked)
            return;
    }
    // The listing shows every card in turn in the editor: a modified card is
    // saved or given up first, once.
    if (database && !source_.askSaveBeforeListing())
        return;

    const int copies = UpDown1->value();
    const CardView card = database ? CardView() : source_.currentCard();

    setPrinting(true);
    // The listing's cards are read once, for every copy, once the waiting
    // message shows.
    const std::vector<CardView> cards = database ? source_.listedCards() : std::vector<CardView>();
    const auto print = [&] { return database ? paint(copies, cards) : paint(copies, card); };
    preparePrinter(printer_);
    printer_.setCopyCount(1);

    // A file is written beside its place and takes it once complete: a
    // failed print leaves the old file as it was and no half-written one.
    const QString target = asked ? *asked
                           : printer_.outputFormat() == QPrinter::PdfFormat
                               ? printer_.outputFileName()
                               : QString();
    if (target.isEmpty()) {
        if (!print())
            return failed(kFailureTitle, kFailureText);
    } else {
        const QString cannotWrite =
            QStringLiteral("Le fichier %1 n'a pas pu être écrit.\nVérifier l'état du lecteur "
                           "et les protections en écriture.")
                .arg(QDir::toNativeSeparators(target));
        const QString partial = createPartialFile(target);
        if (partial.isEmpty())
            return failed(kEcritureTitle, cannotWrite);
        printer_.setOutputFileName(partial);
        printer_.setOutputFormat(QPrinter::PdfFormat);
        const bool written = print() && completePdf(partial) && replaceFile(partial, target);
        if (asked)
            useAskedFile(printer_);
        else
            printer_.setOutputFileName(target);
        if (!written) {
            QFile::remove(partial);
            return failed(kEcritureTitle, cannotWrite);
        }
        if (asked)
            dialogs_.message(this, platform::Dialogs::Icon::Information, kWrittenTitle,
                             QStringLiteral("Aucune imprimante n'est installée : le document a "
                                            "été enregistré dans le fichier\n") +
                                 QDir::toNativeSeparators(target));
    }
    printing_ = false;
    if (database && !cards.empty())
        source_.showLastRow();
    accept();
}

bool confimp::paint(int copies, const std::vector<CardView> &cards)
{
    QPainter painter;
    if (!painter.begin(&printer_))
        return false;
    bool ok = true;
    const listing::Pictograms pictograms = listing::Pictograms::load();
    listing::PageWriter out(painter, QSizeF(printer_.width(), printer_.height()),
                            [this] { return printer_.newPage(); });
    const int rows = int(cards.size());
    const int total = rows * copies;
    for (int k = 1; ok && k <= copies; ++k) {
        const int before = (k - 1) * rows;
        ok = listing::printListing(out, cards, pictograms, [this, before, total](int done, int) {
            showProgress(before + done, total);
        });
        if (ok && k < copies)
            ok = out.newPage();
    }
    return painter.end() && ok;
}

bool confimp::paint(int copies, const CardView &card)
{
    QPainter painter;
    if (!painter.begin(&printer_))
        return false;
    bool ok = true;
    const double W = printer_.width();
    const double H = printer_.height();
    // The card at its size on screen, screen pixels being 1/96 inch, drawn
    // at the printer's own resolution.
    const double fx = printer_.logicalDpiX() / kScreenDpi;
    const double fy = printer_.logicalDpiY() / kScreenDpi;
    const QSize frame = cardlayout::kFrame1Inner;
    const QSizeF size(frame.width() * fx, frame.height() * fy);
    for (int k = 1; ok && k <= copies; ++k) {
        painter.save();
        painter.translate((W - size.width()) / 2, (H - size.height()) / 2);
        painter.scale(fx, fy);
        carddraw::paintCard(painter, card);
        painter.restore();
        if (k < copies)
            ok = printer_.newPage();
    }
    return painter.end() && ok;
}

void confimp::reject()
{
    if (!printing_)
        QDialog::reject();
}

void confimp::closeEvent(QCloseEvent *event)
{
    if (printing_)
        event->ignore();
    else
        QDialog::closeEvent(event);
}
