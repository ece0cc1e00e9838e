#include "confimp.h"

#include "carddraw.h"
#include "listing.h"
#include "printsource.h"
#include "updown.h"

#include "dialogs.h"

#include <QCloseEvent>
#include <QCoreApplication>
#include <QDateTime>
#include <QDir>
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
#include <QStandardPaths>
#include <QVBoxLayout>

namespace
{

const QString kFailureTitle = QStringLiteral("Impression impossible");
const QString kFailureText = QStringLiteral(
    "L'imprimante n'est pas disponible. Vérifier qu'elle est allumée et bien configurée.");

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

} // namespace

QString defaultPdfPath()
{
    QString dir = QStandardPaths::writableLocation(QStandardPaths::DocumentsLocation);
    if (dir.isEmpty() || !QDir(dir).exists())
        dir = QDir::homePath();
    return QDir(dir).filePath(QStringLiteral("carte.pdf"));
}

void preparePrinter(QPrinter &printer, const QString &defaultPdf)
{
    if (printer.outputFormat() == QPrinter::PdfFormat && printer.outputFileName().isEmpty())
        printer.setOutputFileName(defaultPdf);
    // The listing's offsets are device pixels of a 600 dpi printer.
    printer.setResolution(kPrinterDpi);
    printer.setDocName(QStringLiteral("Cartes d'identité des espèces chimiques"));
}

QString printerDisplayName(const QPrinter &printer)
{
    if (printer.outputFormat() == QPrinter::PdfFormat)
        return QStringLiteral("Fichier PDF (%1)")
            .arg(QDir::toNativeSeparators(printer.outputFileName()));
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

    preparePrinter(printer_, defaultPdfPath());
    showPrinter();

    adjustSize();
    setFixedSize(size());
    if (mainWindow) {
        const QRect main = mainWindow->frameGeometry();
        move(main.left() + (main.width() - width()) / 2, main.top() + 20);
    }
}

confimp::~confimp() = default;

void confimp::showPrinter()
{
    defaut->setText(printerDisplayName(printer_));
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
    preparePrinter(printer_, defaultPdfPath());
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
    // The listing shows every card in turn in the editor: a modified card is
    // saved or given up first, once.
    if (database && !source_.askSaveBeforeListing())
        return;

    const int copies = UpDown1->value();
    QImage card;
    if (!database)
        card = carddraw::creimage(source_.currentCard());

    setPrinting(true);
    preparePrinter(printer_, defaultPdfPath());
    printer_.setCopyCount(1);

    bool ok = false;
    QPainter painter;
    if (painter.begin(&printer_)) {
        ok = true;
        const double W = printer_.width();
        const double H = printer_.height();
        if (database) {
            const listing::Pictograms pictograms = listing::Pictograms::load();
            listing::PageWriter out(painter, QSizeF(W, H), [this] { return printer_.newPage(); });
            const int rows = source_.speciesRowCount();
            const int total = rows * copies;
            for (int k = 1; ok && k <= copies; ++k) {
                const int before = (k - 1) * rows;
                ok = listing::printListing(
                    out, source_, pictograms,
                    [this, before, total](int done, int) { showProgress(before + done, total); });
                if (ok && k < copies)
                    ok = out.newPage();
            }
        } else {
            // The card at its size on screen: screen pixels of 96 dpi.
            const double fx = printer_.logicalDpiX() / kScreenDpi;
            const double fy = printer_.logicalDpiY() / kScreenDpi;
            const QSizeF size(card.width() * fx, card.height() * fy);
            for (int k = 1; ok && k <= copies; ++k) {
                painter.drawImage(
                    QRectF(QPointF((W - size.width()) / 2, (H - size.height()) / 2), size), card);
                if (k < copies)
                    ok = printer_.newPage();
            }
        }
        ok = painter.end() && ok;
    }

    if (!ok) {
        setPrinting(false);
        dialogs_.message(this, platform::Dialogs::Icon::Critical, kFailureTitle, kFailureText);
        return;
    }
    printing_ = false;
    accept();
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
