// Puts a card picture on the X11 clipboard and keeps serving it until it is
// stopped (or after a minute), for the clipboard test run under Xvfb.
#include "cardpicture.h"
#include "samplecards.h"

#include <QApplication>
#include <QClipboard>
#include <QTimer>

#include <cstdio>

int main(int argc, char **argv)
{
    QApplication app(argc, argv);
    copyCardPicture(sampleCard(2), QApplication::clipboard());
    std::puts("ready");
    std::fflush(stdout);
    QTimer::singleShot(60000, &app, &QCoreApplication::quit);
    return app.exec();
}
