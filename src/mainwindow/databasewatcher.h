#pragma once

#include "database.h"

#include <QFileSystemWatcher>
#include <QObject>
#include <QString>
#include <QStringList>
#include <QTimer>

class CardEditor;
class SpeciesList;

// Keeps the species list in step with the database when another program
// changes it (a second window, the companion tool, another computer on a
// shared folder): the list is refilled with the current species kept, and
// the card in the editor stays as it is, modified or not. numcarte follows
// the editor's card to its new slot, or becomes -1 when the card is no
// longer in the database, so that "&Valider" never writes over the slot of
// another card after the other program removed one before it. The window's
// own saves are known by the stamp they leave: they refill nothing more.
class DatabaseWatcher : public QObject
{
    Q_OBJECT
public:
    DatabaseWatcher(const QString &appDir, SpeciesList &list, CardEditor &editor,
                    QObject *parent = nullptr);

signals:
    // The list was refilled after the database changed.
    void refreshed();

private:
    void watchFile();
    void ownSave(const cards::Saved &saved);
    void check();
    void refresh();
    void noteShownCard();
    bool slotNames(QStringList &names) const;

    QString appDir_;
    QString file_;
    SpeciesList &list_;
    CardEditor &editor_;
    QFileSystemWatcher watcher_;
    QTimer pending_;
    cards::FileStamp seen_;
    // The name the editor's card has in the database and its slot, noted
    // each time the editor shows or writes a database card.
    QString storedName_;
    int storedSlot_ = -1;
};
