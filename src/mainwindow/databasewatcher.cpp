#include "databasewatcher.h"

#include "cardeditor.h"
#include "database.h"
#include "specieslist.h"

#include <QApplication>
#include <QDir>
#include <QFile>
#include <QLineEdit>
#include <QPushButton>

#include <sys/stat.h>

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
    seen_ = identity();
    names_ = slotNames();

    // After the editor's own writes the slots are known again; the refill
    // that the change then brings keeps them.
    connect(&editor_, &CardEditor::validated, this, [this] { names_ = slotNames(); });
    connect(&editor_, &CardEditor::removed, this, [this] { names_ = slotNames(); });
}

DatabaseWatcher::Identity DatabaseWatcher::identity() const
{
    Identity id;
    struct stat st {
    };
    if (::stat(QFile::encodeName(file_).constData(), &st) != 0)
        return id;
    id.exists = true;
    id.device = st.st_dev;
    id.inode = st.st_ino;
    id.size = st.st_size;
    id.modified = static_cast<long long>(st.st_mtim.tv_sec) * 1000000000LL + st.st_mtim.tv_nsec;
    id.changed = static_cast<long long>(st.st_ctim.tv_sec) * 1000000000LL + st.st_ctim.tv_nsec;
    return id;
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
    const Identity now = identity();
    if (now == seen_)
        return; // a lock file, a temporary file, the status file
    seen_ = now;
    refresh();
}

void DatabaseWatcher::refresh()
{
    // The stored name of the editor's card: its name box while it is not
    // modified, else the name its slot held when last read.
    const int slot = editor_.numcarte;
    QString name;
    if (slot >= 0)
        name = !editor_.modifie ? editor_.Text4->text() : names_.value(slot);

    // Errors are ignored, as for every listing: a database being written
    // again is looked at on the next change.
    list_.majtab();
    // The refill enables "E&nlever" when there are species; a locked card
    // keeps it disabled.
    if (editor_.locked() && editor_.buttons.Command12)
        editor_.buttons.Command12->setEnabled(false);

    names_ = slotNames();
    if (slot >= 0 && !name.trimmed().isEmpty() && names_.value(slot) != name)
        editor_.numcarte = int(names_.indexOf(name));
    emit refreshed();
}

QStringList DatabaseWatcher::slotNames() const
{
    QStringList names;
    const cards::ListResult listed =
        cards::Database(QFile::encodeName(file_).toStdString()).list(cards::kNom);
    names.reserve(qsizetype(listed.cards.size()));
    for (const cards::ListedCard &c : listed.cards)
        names << QString::fromStdString(c.nom);
    return names;
}
