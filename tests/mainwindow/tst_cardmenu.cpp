// The card picture from the card panel's context menu: "Copier" does what
// "Co&pier" does, "Enregistrer l'image…" asks the window that saves it; the
// pictures' style choices stay below them.
#include "mainwindowfixture.h"

#include <QAction>
#include <QMenu>

using fixture::Window;

class TestCardMenu : public QObject
{
    Q_OBJECT
private slots:
    void pictureActionsComeFirst();
    void actionsReachTheirWindows();
};

void TestCardMenu::pictureActionsComeFirst()
{
    Window t;
    t.open();
    const QMenu *menu = t.editor().cardMenu;
    QVERIFY(menu);
    QStringList texts;
    for (const QAction *a : menu->actions())
        texts << (a->isSeparator() ? QStringLiteral("-") : a->text());
    QVERIFY2(texts.size() >= 4, qPrintable(texts.join(u'|')));
    QCOMPARE(texts.mid(0, 3), (QStringList{"Copier", QStringLiteral("Enregistrer l'image…"), "-"}));
    // The style choices are still there, one of them checked.
    int checked = 0;
    for (const QAction *a : menu->actions())
        checked += a->isChecked();
    QCOMPARE(checked, 1);
}

void TestCardMenu::actionsReachTheirWindows()
{
    Window t;
    feuilleP &w = t.open();
    int copies = 0;
    int saves = 0;
    feuilleP::Windows windows;
    windows.copy = [&copies] { ++copies; };
    windows.savePicture = [&saves] { ++saves; };
    w.setWindows(windows);
    QMenu *menu = t.editor().cardMenu;
    auto *copier = menu->findChild<QAction *>(QStringLiteral("copierImage"));
    auto *enregistrer = menu->findChild<QAction *>(QStringLiteral("enregistrerImage"));
    QVERIFY(copier && enregistrer);
    copier->trigger();
    QCOMPARE(copies, 1);
    QCOMPARE(saves, 0);
    QCOMPARE(w.info->text(), feuilleP::kCopiedMessage);
    enregistrer->trigger();
    QCOMPARE(copies, 1);
    QCOMPARE(saves, 1);
    QVERIFY(t.dialogs.unexpected.isEmpty());
}

QTEST_MAIN(TestCardMenu)
#include "tst_cardmenu.moc"
