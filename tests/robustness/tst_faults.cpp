// The main window and the parameters window on disks that fail: a full disk,
// a read-only one, a database or a card file that is a folder, an application
// directory removed under the running window. Every write that fails says so,
// leaves the old file whole and keeps the edited card; nothing crashes.

#include "mainwindowfixture.h"
#include "param.h"
#include "paranet.h"

#include <QLineEdit>
#include <QPushButton>
#include <QSignalSpy>

#include <cerrno>
#include <cstring>
#include <fcntl.h>
#include <sys/mount.h>
#include <sys/statvfs.h>
#include <unistd.h>

using namespace fixture;

namespace
{

// A small tmpfs mounted on a directory by the test itself, unmounted (lazily,
// so that files still open do not keep it) when the test ends.
class SmallDisk
{
public:
    explicit SmallDisk(const QString &dir) : dir_(QFile::encodeName(dir))
    {
        if (::geteuid() != 0) {
            reason_ = "mounting a small disk needs root";
            return;
        }
        if (::mount("tmpfs", dir_.constData(), "tmpfs", 0, "size=300k") != 0) {
            reason_ = QByteArray("mount -t tmpfs failed: ") + std::strerror(errno);
            return;
        }
        mounted_ = true;
    }
    ~SmallDisk()
    {
        if (mounted_)
            ::umount2(dir_.constData(), MNT_DETACH);
    }
    SmallDisk(const SmallDisk &) = delete;
    SmallDisk &operator=(const SmallDisk &) = delete;

    bool mounted() const { return mounted_; }
    const char *reason() const { return reason_.constData(); }

    bool remountReadOnly()
    {
        return ::mount("tmpfs", dir_.constData(), "tmpfs", MS_REMOUNT | MS_RDONLY, "size=300k") ==
               0;
    }

    // Writes a filler file until the disk refuses more.
    bool fill()
    {
        const QByteArray path = dir_ + "/filler";
        const int fd = ::open(path.constData(), O_WRONLY | O_CREAT | O_TRUNC | O_CLOEXEC, 0644);
        if (fd < 0)
            return false;
        const QByteArray block(4096, 'x');
        for (;;) {
            const ssize_t n = ::write(fd, block.constData(), size_t(block.size()));
            if (n < 0 && errno == ENOSPC)
                break;
            if (n <= 0) {
                ::close(fd);
                return false;
            }
        }
        ::close(fd);
        return true;
    }

    qint64 freeBytes() const
    {
        struct statvfs s {
        };
        if (::statvfs(dir_.constData(), &s) != 0)
            return -1;
        return qint64(s.f_bavail) * qint64(s.f_bsize);
    }

private:
    QByteArray dir_;
    QByteArray reason_;
    bool mounted_ = false;
};

// How the small disk under the database fails, and what tries to write it.
enum class Disk { Full, ReadOnly };
enum class Action { Valider, NewCard, Remove };

#define MOUNT_OR_SKIP(disk)                                                                        \
    if (!(disk).mounted())                                                                         \
    QSKIP((disk).reason())

// Edits the quantity of "eau", the card the list shows first by row.
void editEau(Window &t)
{
    t.list().setRow(t.rowOf("eau"), true);
    QCOMPARE(t.shownName(), QStringLiteral("eau"));
    t.editor().Text3[0]->setText(QStringLiteral("18,02"));
    QVERIFY(t.editor().modifie);
}

void checkEditedCardKept(Window &t)
{
    QCOMPARE(t.shownName(), QStringLiteral("eau"));
    QCOMPARE(t.editor().Text3[0]->text(), QStringLiteral("18,02"));
    QVERIFY(t.editor().modifie);
    QVERIFY(!t.editor().reponseNOM);
}

void checkDialogs(const Window &t, const QStringList &titles)
{
    QCOMPARE(t.dialogs.titles(), titles);
    QVERIFY2(t.dialogs.unexpected.isEmpty(), qPrintable(t.dialogs.unexpected.join('\n')));
    QVERIFY(t.dialogs.allAnswered());
}

} // namespace

class TestFaults : public QObject
{
    Q_OBJECT
private slots:
    void databaseWriteOnBrokenDisk_data();
    void databaseWriteOnBrokenDisk();
    void saveCardOnFullDisk_data();
    void saveCardOnFullDisk();
    void statusFileOnFullDisk_data();
    void statusFileOnFullDisk();
    void parametersOnFullDisk();
    void databaseIsFolder();
    void cardFileIsFolder();
    void directoryRemoved();
};

void TestFaults::databaseWriteOnBrokenDisk_data()
{
    QTest::addColumn<int>("disk");
    QTest::addColumn<int>("action");
    const struct {
        const char *name;
        Disk disk;
    } disks[] = {{"full disk", Disk::Full}, {"read-only disk", Disk::ReadOnly}};
    const struct {
        const char *name;
        Action action;
    } actions[] = {{"edited card validated", Action::Valider},
                   {"new card validated", Action::NewCard},
                   {"card removed", Action::Remove}};
    for (const auto &d : disks)
        for (const auto &a : actions)
            QTest::addRow("%s, %s", d.name, a.name) << int(d.disk) << int(a.action);
}

void TestFaults::databaseWriteOnBrokenDisk()
{
    QFETCH(int, disk);
    QFETCH(int, action);
    Window t({}, false);
    SmallDisk small(t.dir.path());
    MOUNT_OR_SKIP(small);
    writeDatabase(t.dir.path(), threeCards());
    const QString db = t.path(QString::fromUtf8(cards::kDatabaseFileName));
    const QByteArray before = readAll(db);
    QVERIFY(!before.isEmpty());
    if (Disk(disk) == Disk::Full) {
        QVERIFY(small.fill());
        QVERIFY(small.freeBytes() < before.size());
    } else {
        QVERIFY(small.remountReadOnly());
    }

    feuilleP &w = t.open();
    const QStringList rows = t.rowNames();
    QCOMPARE(rows.size(), 3);
    CardEditor &e = t.editor();
    switch (Action(action)) {
    case Action::Valider:
        editEau(t);
        t.dialogs.expectMessage("Ecriture impossible", Answer::Ok);
        w.Command5->click();
        checkDialogs(t, {"Ecriture impossible"});
        checkEditedCardKept(t);
        break;
    case Action::NewCard:
        w.Command6->click();
        e.Text4->setText(QStringLiteral("soufre"));
        e.Text3[0]->setText(QStringLiteral("32"));
        t.dialogs.expectMessage("Ecriture impossible", Answer::Ok);
        w.Command5->click();
        checkDialogs(t, {"Ecriture impossible"});
        QCOMPARE(e.Text4->text(), QStringLiteral("soufre"));
        QCOMPARE(e.numcarte, -1);
        QVERIFY(e.modifie);
        break;
    case Action::Remove:
        t.list().setRow(t.rowOf("eau"), true);
        t.dialogs.expectMessage("Enlever cette carte ?", Answer::Yes);
        t.dialogs.expectMessage("Ecriture impossible", Answer::Ok);
        w.Command12->click();
        checkDialogs(t, {"Enlever cette carte ?", "Ecriture impossible"});
        QCOMPARE(t.shownName(), QStringLiteral("eau"));
        break;
    }
    QCOMPARE(readAll(db), before);
    QCOMPARE(t.rowNames(), rows);
    // No temporary file of the failed save is left.
    QCOMPARE(QDir(t.dir.path()).entryList(QDir::Files | QDir::Hidden).filter(".tmp"),
             QStringList());
}

void TestFaults::saveCardOnFullDisk_data()
{
    QTest::addColumn<bool>("existing");
    QTest::newRow("new file") << false;
    QTest::newRow("file replaced") << true;
}

void TestFaults::saveCardOnFullDisk()
{
    QFETCH(bool, existing);
    Window t({}, false);
    SmallDisk small(t.dir.path());
    MOUNT_OR_SKIP(small);
    writeDatabase(t.dir.path(), threeCards());
    const QString file = t.path("eau.CAR");
    QByteArray previous;
    if (existing) {
        QCOMPARE(cards::writeCardFile(toPath(file), card("soufre", "32")), cards::IoError::None);
        previous = readAll(file);
    }
    QVERIFY(small.fill());

    feuilleP &w = t.open();
    t.list().setRow(t.rowOf("eau"), true);
    t.dialogs.expectFile(file);
    if (existing)
        t.dialogs.expectMessage("Ecraser le fichier existant ?", Answer::Yes);
    t.dialogs.expectMessage("Ecriture impossible", Answer::Ok);
    w.Command11->click();
    checkDialogs(t, existing ? QStringList{"Ecraser le fichier existant ?", "Ecriture impossible"}
                             : QStringList{"Ecriture impossible"});
    QCOMPARE(QFileInfo::exists(file), existing);
    QCOMPARE(readAll(file), previous);
    QCOMPARE(QDir(t.dir.path()).entryList(QDir::Files | QDir::Hidden).filter(".tmp"),
             QStringList());
    QCOMPARE(t.shownName(), QStringLiteral("eau"));
}

void TestFaults::statusFileOnFullDisk_data()
{
    // Written in place: a status file already whole needs no new space, one
    // that is missing cannot be made. Either way the window opens and closes.
    QTest::addColumn<bool>("present");
    QTest::addColumn<QString>("after");
    QTest::newRow("present") << true << "NON";
    QTest::newRow("missing") << false << "";
}

void TestFaults::statusFileOnFullDisk()
{
    QFETCH(bool, present);
    QFETCH(QString, after);
    Window t({}, false);
    SmallDisk small(t.dir.path());
    MOUNT_OR_SKIP(small);
    writeDatabase(t.dir.path(), threeCards());
    if (present) {
        QFile f(t.path("TEMPO.SPC"));
        QVERIFY(f.open(QIODevice::WriteOnly));
        QCOMPARE(f.write(QByteArray(14 * 128, '\0')), 14 * 128);
    }
    QVERIFY(small.fill());

    feuilleP &w = t.open();
    if (present)
        QCOMPARE(status(t.dir.path()), QStringLiteral("OUI"));
    w.show();
    QVERIFY(QTest::qWaitForWindowExposed(&w));
    QSignalSpy unloaded(&w, &feuilleP::unloaded);
    t.dialogs.expectMessage("Fermer", Answer::Ok);
    QVERIFY(w.close());
    QCOMPARE(unloaded.size(), 1);
    QVERIFY(!w.isVisible());
    checkDialogs(t, {"Fermer"});
    QCOMPARE(status(t.dir.path()), after);
}

void TestFaults::parametersOnFullDisk()
{
    QTemporaryDir dir;
    SmallDisk small(dir.path());
    MOUNT_OR_SKIP(small);
    const QString path = network::paranetPath(dir.path());
    cards::RecordFile installed;
    const char *texts[] = {"https://accueil.example.org/", "https://recherche.example.org/",
                           "Lycée Pasteur", "prof@example.org", "smtp.example.org"};
    for (int k = 0; k < 5; ++k)
        QCOMPARE(installed.write(k + 1, texts[k]), cards::IoError::None);
    QCOMPARE(installed.save(toPath(path)), cards::IoError::None);
    const QByteArray before = readAll(path);
    QVERIFY(small.fill());

    platform::ScriptedDialogs dialogs;
    param window(dir.path(), dialogs);
    window.show();
    window.Text3->setText(QStringLiteral("Collège Curie"));
    dialogs.expectMessage("Ecriture impossible sur disque", Answer::Ok);
    window.Command3->click();
    QVERIFY2(dialogs.unexpected.isEmpty(), qPrintable(dialogs.unexpected.join('\n')));
    QVERIFY(dialogs.allAnswered());
    QCOMPARE(dialogs.shown.size(), 1);
    QCOMPARE(
        dialogs.shown[0].text,
        QStringLiteral("Impossible d'écrire les paramètres: disque non valide pour l'écriture."));
    QVERIFY(window.isVisible());
    QCOMPARE(readAll(path), before);
}

void TestFaults::databaseIsFolder()
{
    Window t({}, false);
    QVERIFY(QDir(t.dir.path()).mkdir(QString::fromUtf8(cards::kDatabaseFileName)));
    t.dialogs.expectMessage("Lecture impossible", Answer::Ok);
    feuilleP &w = t.open();
    QCOMPARE(t.rowNames(), QStringList());
    checkDialogs(t, {"Lecture impossible"});

    t.editor().Text4->setText(QStringLiteral("soufre"));
    t.editor().Text3[0]->setText(QStringLiteral("32"));
    t.dialogs.expectMessage("Ecriture impossible", Answer::Ok);
    w.Command5->click();
    checkDialogs(t, {"Lecture impossible", "Ecriture impossible"});
    QCOMPARE(t.editor().Text4->text(), QStringLiteral("soufre"));
    QVERIFY(t.editor().modifie);
    QVERIFY(QFileInfo(t.path(QString::fromUtf8(cards::kDatabaseFileName))).isDir());
}

void TestFaults::cardFileIsFolder()
{
    Window t;
    feuilleP &w = t.open();
    QVERIFY(QDir(t.dir.path()).mkdir("dossier.CAR"));
    t.list().setRow(t.rowOf("eau"), true);
    t.dialogs.expectFile(t.path("dossier.CAR"));
    t.dialogs.expectMessage("Lecture impossible", Answer::Ok);
    w.Command2->click();
    checkDialogs(t, {"Lecture impossible"});
    QCOMPARE(t.dialogs.shown.back().icon, platform::Dialogs::Icon::Critical);
    // The editor is left on an empty card outside the database.
    QCOMPARE(t.shownName(), QString());
    QCOMPARE(t.editor().numcarte, -1);
    QCOMPARE(t.database().size(), std::size_t(3));
}

void TestFaults::directoryRemoved()
{
    QTemporaryDir outer;
    const QString appDir = outer.filePath("app");
    QVERIFY(QDir().mkpath(appDir));
    writeDatabase(appDir, threeCards());
    platform::ScriptedDialogs dialogs;
    FakeDialUp dialUp;
    FakeHelp help;
    feuilleP w(appDir, dialogs, dialUp, help);
    QCOMPARE(w.list()->rows(), 4);
    QVERIFY(QDir(appDir).removeRecursively());

    // "&Valider" of the card shown at start-up, edited.
    CardEditor &e = *w.editor();
    const QString shown = e.Text4->text();
    QVERIFY(!shown.isEmpty());
    e.Text3[0]->setText(QStringLiteral("99"));
    dialogs.expectMessage("Ecriture impossible", Answer::Ok);
    w.Command5->click();
    QCOMPARE(dialogs.titles(), QStringList{"Ecriture impossible"});
    QVERIFY(e.modifie);
    QCOMPARE(e.Text3[0]->text(), QStringLiteral("99"));

    // The card saved to the removed directory.
    dialogs.expectFile(QDir(appDir).filePath("carte.CAR"));
    dialogs.expectMessage("Ecriture impossible", Answer::Ok);
    w.Command11->click();
    QCOMPARE(dialogs.titles().size(), 2);
    QCOMPARE(dialogs.titles().last(), QStringLiteral("Ecriture impossible"));

    // A row change asks to save the card, which fails: the card stays.
    const int other = w.list()->row() == 1 ? 2 : 1;
    dialogs.expectMessage("Enregistrer ?", Answer::Yes);
    dialogs.expectMessage("Ecriture impossible", Answer::Ok);
    w.list()->setRow(other, true);
    QCOMPARE(dialogs.titles().size(), 4);
    QCOMPARE(e.Text4->text(), shown);
    QCOMPARE(e.Text3[0]->text(), QStringLiteral("99"));
    QVERIFY(e.modifie);

    // Answered No, the row change asks the database for a card it can no
    // longer give.
    // (The list stays on the row entered; another one is entered.)
    const int third = w.list()->row() == 3 ? 1 : 3;
    dialogs.expectMessage("Enregistrer ?", Answer::No);
    dialogs.expectMessage("Lecture impossible", Answer::Ok);
    w.list()->setRow(third, true);
    QCOMPARE(dialogs.titles().size(), 6);
    QVERIFY2(dialogs.unexpected.isEmpty(), qPrintable(dialogs.unexpected.join('\n')));
    QVERIFY(dialogs.allAnswered());
    QVERIFY(!QFileInfo::exists(appDir));
}

QTEST_MAIN(TestFaults)
#include "tst_faults.moc"
