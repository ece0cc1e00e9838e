#include "carddraw.h"
#include "cardlayout.h"
#include "formulaeditor.h"
#include "scripteddialogs.h"

#include <QApplication>
#include <QKeyEvent>
#include <QLineEdit>
#include <QPainter>

#include <benchmark/benchmark.h>

namespace
{

CardView sampleCard()
{
    CardView v;
    v.nom = QStringLiteral("Sulfate de diméthyle");
    v.formule = QStringLiteral("(CH#3)#2SO#4");
    v.aspect = QStringLiteral("Liquide huileux incolore, à l'odeur faible d'oignon, très toxique");
    v.quantites = {QStringLiteral("126,13"), QStringLiteral("1330"), QStringLiteral("1,33"),
                   QStringLiteral("188"),    QStringLiteral("-32"),  QStringLiteral("1,387"),
                   QStringLiteral("28")};
    v.organique = true;
    v.hazards = {true, true, true, true};
    v.risquePollution = true;
    v.polu = {true, true, false};
    carddraw::layQuantityBoxes(v);
    return v;
}

void sendKey(QWidget *w, int key, const QString &text)
{
    QKeyEvent press(QEvent::KeyPress, key, Qt::NoModifier, text);
    QApplication::sendEvent(w, &press);
    QKeyEvent release(QEvent::KeyRelease, key, Qt::NoModifier, text);
    QApplication::sendEvent(w, &release);
}

// One key typed into the formula: the markup edit, the layout, the caret
// marker and Picture2's repaint.
void BM_FormulaAfterKey(benchmark::State &state)
{
    QWidget window;
    window.resize(789, 545);
    auto *frame1 = new QWidget(&window);
    frame1->setGeometry(18, 58, 461, 485);
    platform::ScriptedDialogs dialogs;
    FormulaEditor editor(frame1, &window, dialogs);
    editor.setText(QStringLiteral("SO#4*2*-"));
    QLineEdit *text1 = editor.Text1();
    text1->setCursorPosition(text1->text().size());
    QImage image(editor.Picture2()->size(), QImage::Format_RGB32);
    bool type = true;
    for (auto _ : state) {
        if (type)
            sendKey(text1, Qt::Key_A, QStringLiteral("A"));
        else
            sendKey(text1, Qt::Key_Backspace, QString());
        type = !type;
        editor.Picture2()->render(&image);
        benchmark::DoNotOptimize(image.bits());
    }
}
BENCHMARK(BM_FormulaAfterKey)->Unit(benchmark::kMicrosecond);

// The formula's layout and drawing alone.
void BM_FormulaPaint(benchmark::State &state)
{
    const QSize size(321, 33);
    QImage image(size, QImage::Format_RGB32);
    const QString markup = QStringLiteral("[Cu(NH#3)#4(H#2O)#2]*2*+");
    for (auto _ : state) {
        QPainter p(&image);
        carddraw::paintFormula(p, markup, size);
    }
}
BENCHMARK(BM_FormulaPaint)->Unit(benchmark::kMicrosecond);

// Frame1's repaint: the unit marks over the white panel.
void BM_UnitMarks(benchmark::State &state)
{
    const CardView v = sampleCard();
    QImage image(cardlayout::kFrame1Inner, QImage::Format_RGB32);
    for (auto _ : state) {
        image.fill(Qt::white);
        QPainter p(&image);
        carddraw::paintUnitMarks(p, v.quantityBoxes, v.quantites, image.width());
    }
}
BENCHMARK(BM_UnitMarks)->Unit(benchmark::kMicrosecond);

// The whole card painted: unit marks, labels, boxes, formula, pictures,
// pictograms, sentence, aspect and frame.
void BM_Creimage(benchmark::State &state)
{
    const CardView v = sampleCard();
    for (auto _ : state) {
        QImage image = carddraw::creimage(v);
        benchmark::DoNotOptimize(image.bits());
    }
}
BENCHMARK(BM_Creimage)->Unit(benchmark::kMicrosecond);

} // namespace

int main(int argc, char **argv)
{
    qputenv("QT_QPA_PLATFORM", "offscreen");
    QApplication app(argc, argv);
    benchmark::Initialize(&argc, argv);
    benchmark::RunSpecifiedBenchmarks();
    benchmark::Shutdown();
    return 0;
}
