#include "scripteddialogs.h"

#include <QTest>

using platform::Dialogs;
using platform::ScriptedDialogs;

// The scripted dialogs are what every window test relies on to see the
// questions asked: a dialog out of turn must be caught, never answered Yes.
class TestScriptedDialogs : public QObject
{
    Q_OBJECT
private slots:
    void answersInOrderAndRecords()
    {
        ScriptedDialogs d;
        d.expectMessage("Enregistrer ?", Dialogs::Answer::Yes);
        d.expectFile(QString("/tmp/a.CAR"));
        QCOMPARE(d.message(nullptr, Dialogs::Icon::Question, "Enregistrer ?", "texte",
                           Dialogs::Buttons::YesNo),
                 Dialogs::Answer::Yes);
        QCOMPARE(d.fileName(nullptr, {"Ouvrir un fichier carte", "*.CAR", "*.CAR", "CAR", false}),
                 std::optional<QString>("/tmp/a.CAR"));
        QVERIFY(d.allAnswered());
        QVERIFY(d.unexpected.isEmpty());
        QCOMPARE(d.titles(), QStringList{"Enregistrer ?"});
        QCOMPARE(d.shown.at(0).icon, Dialogs::Icon::Question);
    }

    void unexpectedDialogIsRefusedAndRecorded()
    {
        ScriptedDialogs d;
        d.expectMessage("Fermer", Dialogs::Answer::Ok);
        QCOMPARE(d.message(nullptr, Dialogs::Icon::Question, "Enregistrer ?", "t",
                           Dialogs::Buttons::YesNo),
                 Dialogs::Answer::No);
        QCOMPARE(
            d.message(nullptr, Dialogs::Icon::Question, "Autre", "t", Dialogs::Buttons::OkCancel),
            Dialogs::Answer::Cancel);
        QCOMPARE(d.unexpected.size(), 2);
        QVERIFY(!d.allAnswered());
        QCOMPARE(d.fileName(nullptr, {}), std::nullopt);
        QCOMPARE(d.unexpected.size(), 3);
    }
};

QTEST_GUILESS_MAIN(TestScriptedDialogs)
#include "tst_scripteddialogs.moc"
