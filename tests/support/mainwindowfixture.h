#pragma once

// A main window on a database of its own, in a temporary application
// directory, with scripted dialogs, dial-up and help viewer.

#include "cardeditor.h"
#include "cardfile.h"
#include "carte.h"
#include "database.h"
#include "feuillep.h"
#include "recordbytes.h"
#include "recordfile.h"
#include "scripteddialogs.h"
#include "services.h"
#include "specieslist.h"
#include "textboxes.h"

#include <QCheckBox>
#include <QComboBox>
#include <QDir>
#include <QFile>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QRadioButton>
#include <QTableView>
#include <QTemporaryDir>
#include <QTest>

#include <memory>
#include <vector>

namespace fixture
{

using Answer = platform::Dialogs::Answer;

inline std::filesystem::path toPath(const QString &path)
{
    return QFile::encodeName(path).toStdString();
}

// A card from its texts; `drapeaux` as stored.
inline cards::carte card(const char *nom, const char *masse = "",
                         const char *drapeaux = "0000000000", const char *densite = "",
                         const char *ebullition = "", const char *solubilite = "")
{
    cards::carte c;
    c.nom() = nom;
    c.formule() = "H#2O";
    c.drapeaux() = drapeaux;
    c.aspect() = "liquide";
    c.quantite(0) = masse;
    c.quantite(2) = densite;
    c.quantite(3) = ebullition;
    c.quantite(6) = solubilite;
    return c;
}

// The database file built record by record: slot i, field k is record 11i + k.
inline void writeDatabase(const QString &dir, const std::vector<cards::carte> &cards)
{
    cards::RecordFile file;
    for (std::size_t i = 0; i < cards.size(); ++i)
        for (int k = 1; k <= cards::kFieldCount; ++k)
            QCOMPARE(file.write(int(11 * i) + k, cards[i].field(k)), cards::IoError::None);
    QCOMPARE(file.save(toPath(QDir(dir).filePath(cards::kDatabaseFileName))), cards::IoError::None);
}

inline std::vector<cards::carte> readDatabase(const QString &dir)
{
    std::vector<cards::carte> out;
    cards::RecordFile file;
    cards::RecordFile::load(toPath(QDir(dir).filePath(cards::kDatabaseFileName)), file);
    for (int i = 0;; ++i) {
        cards::carte c;
        if (cards::image::readCard(file, i, c) != cards::IoError::None || cards::isBlank(c.nom()))
            break;
        out.push_back(c);
    }
    return out;
}

inline QStringList names(const std::vector<cards::carte> &cards)
{
    QStringList out;
    for (const auto &c : cards)
        out << QString::fromStdString(c.nom());
    return out;
}

// Record 14 of the status file, or "" when absent.
inline QString status(const QString &dir)
{
    return QString::fromLatin1(
        recordText(readAll(QDir(dir).filePath(QStringLiteral("TEMPO.SPC"))), 14));
}

class FakeDialUp : public platform::DialUp
{
public:
    bool connected = false;
    int hangups = 0;
    bool estconnecte() override { return connected; }
    void hangup() override
    {
        ++hangups;
        connected = false;
    }
};

class FakeHelp : public platform::HelpViewer
{
public:
    QStringList opened; // "aide", "cours", in the order asked
    void showHelp(QWidget *) override { opened << QStringLiteral("aide"); }
    void showCourse(QWidget *) override { opened << QStringLiteral("cours"); }
};

// The three cards most tests start from, in slot order.
// Each with its own formula, whose molar mass agrees with the stored one.
inline std::vector<cards::carte> threeCards()
{
    std::vector<cards::carte> cards{card("eau", "18", "0100000000", "1", "100", ""),
                                    card("éthanol", "46", "1010000000", "0,79", "78", "miscible"),
                                    card("ammoniac", "17", "0101001000", "0,6", "-33", "540")};
    cards[1].formule() = "C#2H#5OH";
    cards[2].formule() = "NH#3";
    return cards;
}

struct Window {
    QTemporaryDir dir;
    platform::ScriptedDialogs dialogs;
    FakeDialUp dialUp;
    FakeHelp help;
    std::unique_ptr<feuilleP> w;

    explicit Window(const std::vector<cards::carte> &cards = threeCards(), bool writeDb = true)
    {
        if (writeDb)
            writeDatabase(dir.path(), cards);
    }

    feuilleP &open()
    {
        w = std::make_unique<feuilleP>(dir.path(), dialogs, dialUp, help);
        return *w;
    }

    QString path(const QString &name) const { return QDir(dir.path()).filePath(name); }
    CardEditor &editor() const { return *w->editor(); }
    SpeciesList &list() const { return *w->list(); }
    QString shownName() const { return editor().Text4->text(); }
    std::vector<cards::carte> database() const { return readDatabase(dir.path()); }
    QStringList rowNames() const
    {
        QStringList out;
        for (int r = 1; r < list().rows(); ++r)
            out << list().text(r, 0);
        return out;
    }
    int rowOf(const QString &name) const { return int(rowNames().indexOf(name)) + 1; }
};

} // namespace fixture
