#include "databasewatcher.h"

#include "cardeditor.h"
#include "database.h"
#include "localpath.h"
#include "specieslist.h"

#include <QApplication>
#include <QDir>
#include <QFile>
#include <QLineEdit>
#include <QPushButton>

namespace
{

// While a modal window is open (a question, the print dialog, the
// calculator) the list stays as it is: the command that opened it may be
// going through the rows. The change is looked at again shortly after.
constexpr int kModalRetryMs = 250;

} // namespace

DatabaseWatcher::DatabaseWatcher(const QString &appDir, SpeciesList &list, CardEditor &editor,
                                 QObject *parent)
    : QObject(parent), appDir_(appDir),
      file_(QDir(appDir).filePath(QString::fromUtf8(cards::kDatabaseFileName))), list_(list),
      editor_(editor)
{
    pending_.setSingleShot(true);
    pending_.setInterval(0);
    connect(&pending_, &QTimer::timeout, this, &DatabaseWatcher::check);
    // A save replaces the file by rename, which ends the watch on the old
    // file: the directory is watched too, for the new file's arrival.
    const auto changed = [this] {
        pending_.setInterval(0);
        pending_.start();
    };
    connect(&watcher_, &QFileSystemWatcher::fileChanged, this, changed);
    connect(&watcher_, &QFileSystemWatcher::directoryChanged, this, changed);
    watcher_.addPath(appDir_);
    watchFile();
    seen_ = cards::stampOf(platform::toPath(file_));

    // Run after the window's own handlers of the same signals, once the
    // editor shows the card of the row or has written its card.
    noteShownCard();
    connect(&list_, &SpeciesList::cellEntry, this, &DatabaseWatcher::noteShownCard);
    connect(&list_, &SpeciesList::criterionPicked, this, &DatabaseWatcher::noteShownCard);
    connect(&editor_, &CardEditor::validated, this, &DatabaseWatcher::ownSave);
    connect(&editor_, &CardEditor::removed, this, &DatabaseWatcher::ownSave);
}

void DatabaseWatcher::ownSave(const cards::Saved &saved)
{
    // The file as the window left it is no other program's change; one that
    // comes after it still differs from this stamp.
    seen_ = saved.stamp;
    noteShownCard();
}

void DatabaseWatcher::noteShownCard()
{
    // An unmodified card's name box holds its stored name.
    if (editor_.modifie)
        return;
    storedName_ = editor_.Text4->text();
    storedSlot_ = editor_.numcarte;
}

void DatabaseWatcher::watchFile()
{
    if (!watcher_.files().contains(file_) && QFile::exists(file_))
        watcher_.addPath(file_);
}

void DatabaseWatcher::check()
{
    watchFile();
    if (QApplication::activeModalWidget()) {
        pending_.setInterval(kModalRetryMs);
        pending_.start();
        return;
    }
    const cards::FileStamp now = cards::stampOf(platform::toPath(file_));
    if (now == seen_)
        return; // a lock file, a temporary file, the status file
    seen_ = now;
    refresh();
}

void DatabaseWatcher::refresh()
{
    noteShownCard();
    const int slot = editor_.numcarte;
    const bool known = slot >= 0 && slot == storedSlot_;

    // Errors are ignored, as for every listing: a database being written
    // again is looked at on the next change.
    list_.majtab();
    // The refill enables "E&nlever" when there are species; a locked card
    // keeps it disabled.
    if (editor_.locked() && editor_.buttons.Command12)
        editor_.buttons.Command12->setEnabled(false);

    if (slot >= 0) {
        // The card's slot is kept while it holds the card, else the card is
        // looked for by its stored name. A card whose stored name is not
        // known (shown without a note, then modified) is kept in its slot
        // only when the slot still holds its name box's text; otherwise it
        // counts as outside the database, so that "&Valider" never writes
        // over what may be another card (it adds the card, or refuses a name
        // already taken). A database that cannot be read whole says nothing
        // of the slots.
        QStringList names;
        if (slotNames(names)) {
            if (known) {
                if (names.value(slot) != storedName_)
                    editor_.numcarte = int(names.indexOf(storedName_));
                storedSlot_ = editor_.numcarte;
            } else if (names.value(slot) == editor_.Text4->text()) {
                storedName_ = editor_.Text4->text();
                storedSlot_ = slot;
            } else {
                editor_.numcarte = -1;
            }
        }
    }
    emit refreshed();
}

bool DatabaseWatcher::slotNames(QStringList &names) const
{
    const cards::ListResult listed = cards::Database(platform::toPath(file_)).list(cards::kNom);
    names.reserve(qsizetype(listed.cards.size()));
    for (const cards::ListedCard &c : listed.cards)
        names << QString::fromStdString(c.nom);
    return listed.error == cards::IoError::None;
}
