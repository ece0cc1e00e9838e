// The reference of the start-up figure: a bare Qt Widgets program that shows
// a table of 3000 two-column rows.

#include <QApplication>
#include <QHeaderView>
#include <QTableWidget>

int main(int argc, char *argv[])
{
    QApplication app(argc, argv);
    QTableWidget table(3000, 2);
    table.setHorizontalHeaderLabels(
        {QStringLiteral("Nom de l'espèce"), QStringLiteral("M (g/mol)")});
    for (int i = 0; i < 3000; ++i) {
        table.setItem(i, 0, new QTableWidgetItem(QStringLiteral("Espèce %1").arg(i)));
        table.setItem(i, 1, new QTableWidgetItem(QString::number(i * 1.5, 'f', 2)));
    }
    table.setWindowTitle(QStringLiteral("Table"));
    table.resize(800, 600);
    table.show();
    return app.exec();
}
