#include "catalogue.h"

#include "cardfile.h"
#include "cardview.h"
#include "downloadlist.h"
#include "localpath.h"
#include "picturefile.h"
#include "sitepages.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QSaveFile>
#include <QSet>

#include <algorithm>
#include <atomic>
#include <filesystem>
#include <functional>
#include <mutex>
#include <optional>
#include <system_error>
#include <thread>
#include <utility>

// The style sheet and the script live in this static library: Q_INIT_RESOURCE
// must be called from outside any namespace.
static void registerAssets()
{
    Q_INIT_RESOURCE(site);
}

namespace site
{

namespace
{

// The new catalogue is written here, inside the folder so that its files
// take their places by a rename on the same file system (a USB stick's root
// has no parent the program may write in).
const QString kStage = QStringLiteral(".catalogue-nouveau");
const QString kMark = QStringLiteral("Catalogue des cartes d'identité des espèces chimiques");

QString quoted(const QString &path)
{
    return QStringLiteral("« %1 »").arg(QDir::toNativeSeparators(path));
}

Published refused(const QString &message)
{
    return {false, message, 0};
}

// A path the mark file may name: relative, inside the folder.
bool insideFolder(const QString &path)
{
    if (path.isEmpty() || path.startsWith(u'/') || path.contains(u'\\'))
        return false;
    const QStringList parts = path.split(u'/');
    for (const QString &part : parts)
        if (part.isEmpty() || part == QLatin1String(".") || part == QLatin1String(".."))
            return false;
    return true;
}

// The files of the catalogue in `folder`, as its mark names them; nothing
// when the folder holds no catalogue.
std::optional<QStringList> catalogueFiles(const QString &folder)
{
    QFile file(QDir(folder).filePath(QString::fromLatin1(kMarkFile)));
    if (!file.open(QIODevice::ReadOnly))
        return std::nullopt;
    const QStringList lines = QString::fromUtf8(file.read(4 * 1024 * 1024)).split(u'\n');
    if (lines.value(0).trimmed() != kMark)
        return std::nullopt;
    QStringList files;
    for (qsizetype i = 1; i < lines.size(); ++i) {
        const QString line = lines[i].trimmed();
        if (!line.startsWith(u'#') && insideFolder(line))
            files << line;
    }
    return files;
}

bool writeMark(const QString &folder, const QStringList &files)
{
    QString text =
        kMark + QStringLiteral("\n# Ce dossier est un catalogue écrit par le logiciel ; il le "
                               "réécrit entier à chaque publication.\n# Ses fichiers :\n");
    QStringList sorted = files;
    sorted.sort();
    for (const QString &f : sorted)
        text += f + u'\n';
    QSaveFile file(QDir(folder).filePath(QString::fromLatin1(kMarkFile)));
    const QByteArray bytes = text.toUtf8();
    return file.open(QIODevice::WriteOnly) && file.write(bytes) == bytes.size() && file.commit();
}

// The new catalogue's files, written into the stage folder.
class Stage
{
public:
    explicit Stage(const QString &folder) : root_(QDir(folder).filePath(kStage)) {}
    ~Stage() { QDir(root_).removeRecursively(); }

    bool make()
    {
        QDir(root_).removeRecursively(); // left by a publication that was cut short
        return QDir().mkpath(root_ + QStringLiteral("/especes")) &&
               QDir().mkpath(root_ + QStringLiteral("/pictogrammes"));
    }

    // Called by one thread only, the one that made the stage.
    bool put(const QString &path, const QByteArray &bytes)
    {
        if (!write(path, bytes)) {
            fail(path);
            return false;
        }
        files_ << path;
        return true;
    }

    // The files `file(i)` makes, for i from 0 to count - 1, made and written
    // by the other processors while this thread does `meanwhile`, then by
    // this one too: the card pictures are most of a catalogue's work. False
    // when a file could not be written, or `meanwhile` failed.
    bool putEverywhere(std::size_t count,
                       const std::function<std::pair<QString, QByteArray>(std::size_t)> &file,
                       const std::function<bool()> &meanwhile)
    {
        std::vector<QString> paths(count);
        std::atomic<std::size_t> next{0};
        const auto work = [&] {
            for (std::size_t i = next++; ok_ && i < count; i = next++) {
                auto [path, bytes] = file(i);
                if (!write(path, bytes))
                    fail(path);
                paths[i] = std::move(path);
            }
        };
        std::vector<std::thread> threads;
        for (unsigned t = 1; t < std::clamp(std::thread::hardware_concurrency(), 1u, 8u); ++t)
            threads.emplace_back(work);
        if (!meanwhile())
            ok_ = false;
        work();
        for (std::thread &t : threads)
            t.join();
        if (ok_)
            files_.append(QStringList(paths.begin(), paths.end()));
        return ok_;
    }

    QString path(const QString &file) const { return QDir(root_).filePath(file); }
    const QStringList &files() const { return files_; }
    QString failed() const
    {
        const std::lock_guard lock(failure_);
        return failed_;
    }

private:
    bool write(const QString &path, const QByteArray &bytes) const
    {
        QFile file(QDir(root_).filePath(path));
        if (!file.open(QIODevice::WriteOnly) || file.write(bytes) != bytes.size() || !file.flush())
            return false;
        file.close();
        return file.error() == QFileDevice::NoError;
    }

    void fail(const QString &path)
    {
        const std::lock_guard lock(failure_);
        if (ok_.exchange(false))
            failed_ = path;
    }

    QString root_;
    QStringList files_;
    std::atomic<bool> ok_{true};
    mutable std::mutex failure_;
    QString failed_; // the first file that could not be written
};

QByteArray resource(const QString &name)
{
    QFile file(name);
    return file.open(QIODevice::ReadOnly) ? file.readAll() : QByteArray();
}

// The new files take the places of the old ones, then the old files the new
// catalogue has not are removed. The mark names both while this goes on, so
// that a swap cut short leaves a folder the next publication recognises.
QString swap(const QString &folder, const Stage &stage, const QStringList &old)
{
    const QSet<QString> fresh(stage.files().cbegin(), stage.files().cend());
    const QSet<QString> before(old.cbegin(), old.cend());
    QStringList both = old;
    for (const QString &f : stage.files())
        if (!before.contains(f))
            both << f;
    if (!writeMark(folder, both))
        return QStringLiteral("le fichier %1 ne peut pas être écrit").arg(kMarkFile);
    const QDir dir(folder);
    QSet<QString> made;
    for (const QString &f : stage.files()) {
        const QString target = dir.filePath(f);
        std::error_code ec;
        const QString parent = QFileInfo(target).absolutePath();
        if (!made.contains(parent) && QDir().mkpath(parent))
            made.insert(parent);
        std::filesystem::rename(platform::toPath(stage.path(f)), platform::toPath(target), ec);
        if (ec)
            return QStringLiteral("%1 ne peut pas être remplacé (%2)")
                .arg(quoted(target), QString::fromLocal8Bit(ec.message()));
    }
    for (const QString &f : old)
        if (!fresh.contains(f))
            QFile::remove(dir.filePath(f));
    if (!writeMark(folder, stage.files()))
        return QStringLiteral("le fichier %1 ne peut pas être écrit").arg(kMarkFile);
    return {};
}

} // namespace

Published writeCatalogue(const std::vector<cards::carte> &cards, const QString &folder,
                         hazardpictures::Style style)
{
    registerAssets();
    const QFileInfo info(folder);
    if (info.exists() && !info.isDir())
        return refused(QStringLiteral("%1 n'est pas un dossier.").arg(quoted(folder)));
    if (!info.exists() && !QDir().mkpath(folder))
        return refused(QStringLiteral("Le dossier %1 ne peut pas être créé.").arg(quoted(folder)));
    const std::optional<QStringList> old = catalogueFiles(folder);
    if (!old) {
        QStringList content = QDir(folder).entryList(QDir::AllEntries | QDir::NoDotAndDotDot |
                                                     QDir::Hidden | QDir::System);
        content.removeAll(kStage);
        if (!content.isEmpty())
            return refused(
                QStringLiteral("Le dossier %1 contient déjà d'autres fichiers et n'est pas un "
                               "catalogue de cartes : choisissez un dossier vide, ou le dossier "
                               "d'un catalogue déjà publié (il contient le fichier %2). Rien n'a "
                               "été écrit.")
                    .arg(quoted(folder), QString::fromLatin1(kMarkFile)));
    }

    Stage stage(folder);
    const auto failed = [&](const QString &what) {
        return refused(QStringLiteral("Écriture impossible dans le dossier %1 (%2) : le "
                                      "catalogue n'est pas publié, le dossier est resté tel qu'il "
                                      "était.")
                           .arg(quoted(folder), what));
    };
    if (!stage.make())
        return failed(QStringLiteral("dossier %1 impossible à créer").arg(kStage));

    const std::vector<QString> stems = sitepages::fileStems(cards);
    std::vector<sitepages::Species> species;
    species.reserve(cards.size());
    for (std::size_t i = 0; i < cards.size(); ++i)
        species.push_back({cards[i], cardViewOf(cards[i], style), stems[i]});
    const auto base = [&](std::size_t i) { return QStringLiteral("especes/") + species[i].stem; };
    // The pages, the card files and the list, while the other processors draw
    // the card pictures.
    QString why;
    const auto pages = [&] {
        std::vector<cards::ListEntry> entries;
        for (std::size_t i = 0; i < species.size(); ++i) {
            const sitepages::Species &s = species[i];
            cards::RecordFile cardFile;
            if (cards::writeCardRecords(cardFile, s.card) != cards::IoError::None) {
                why = QStringLiteral("la carte %1 ne peut pas être écrite")
                          .arg(QString::fromStdString(s.card.nom()));
                return false;
            }
            const std::vector<char> &bytes = cardFile.bytes();
            if (!stage.put(base(i) + QStringLiteral(".CAR"),
                           QByteArray(bytes.data(), qsizetype(bytes.size()))) ||
                !stage.put(base(i) + QStringLiteral(".html"), sitepages::speciesPage(s)))
                return false;
            entries.push_back({s.card.nom(), "", "",
                               "especes/" + cards::urlPathSegment(s.stem.toStdString() + ".CAR")});
        }
        // The download list names the card files relative to itself: the
        // folder need not know the address it will be served at.
        cards::IoError listError = cards::IoError::None;
        const cards::RecordFile list = cards::buildDownloadList(entries, &listError);
        if (listError != cards::IoError::None) {
            why = QString::fromLatin1(cards::kListFileName);
            return false;
        }
        const std::vector<char> &listBytes = list.bytes();
        if (!stage.put(QString::fromLatin1(cards::kListFileName),
                       QByteArray(listBytes.data(), qsizetype(listBytes.size()))) ||
            !stage.put(QStringLiteral("index.html"), sitepages::indexPage(species)) ||
            !stage.put(QStringLiteral("site.css"), resource(QStringLiteral(":/site/site.css"))) ||
            !stage.put(QStringLiteral("catalogue.js"),
                       resource(QStringLiteral(":/site/catalogue.js"))))
            return false;
        for (const QString &r : sitepages::pictogramResources(style))
            if (!stage.put(QStringLiteral("pictogrammes/") + sitepages::pictogramFile(r),
                           resource(r)))
                return false;
        return true;
    };
    const auto picture = [&](std::size_t i) {
        return std::pair(
            base(i) + QStringLiteral(".svg"),
            picturefile::cardPictureBytes(species[i].view, {picturefile::Kind::Svg, 1}));
    };
    if (!stage.putEverywhere(species.size(), picture, pages))
        return failed(why.isEmpty() ? stage.failed() : why);

    if (const QString why = swap(folder, stage, old.value_or(QStringList())); !why.isEmpty())
        return refused(QStringLiteral("Le catalogue du dossier %1 n'a pas pu être remplacé en "
                                      "entier : %2. Publiez-le de nouveau.")
                           .arg(quoted(folder), why));
    const int n = int(cards.size());
    return {true,
            QStringLiteral("Catalogue de %1 écrit dans le dossier %2 : index.html s'ouvre dans "
                           "un navigateur.")
                .arg(n == 1 ? QStringLiteral("1 espèce") : QStringLiteral("%1 espèces").arg(n),
                     quoted(folder)),
            n};
}

} // namespace site
