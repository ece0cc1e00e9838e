#include "database.h"

#include "cp1252.h"

#include <optional>

namespace cards
{

namespace
{

// The stored Windows-1252 bytes of a slot's name, or an error (slot numbers
// too large for a record number give IoError::RecordNumber). Scans compare
// bytes without converting every name: a space is the same byte in both
// encodings, and the conversion is one to one, so bytes are equal exactly
// when texts are.
template <class Records> IoError nameBytes(Records &f, int slot, std::string_view &name)
{
    if (slot < 0 || slot > (kMaxRecord - 1) / kFieldCount)
        return IoError::RecordNumber;
    return f.view(recordOf(slot, kNom), name);
}

} // namespace

namespace image
{

int countCards(const RecordFile &f, IoError *error)
{
    if (error)
        *error = IoError::None;
    std::string_view name;
    for (int i = 0;; ++i) {
        const IoError e = nameBytes(f, i, name);
        if (e != IoError::None) {
            if (error)
                *error = e;
            return i;
        }
        if (isBlank(name))
            return i;
    }
}

IoError readCard(const RecordFile &f, int slot, carte &out)
{
    if (slot < 0 || recordOf(slot, kFieldCount) > kMaxRecord)
        return IoError::RecordNumber;
    for (int k = 1; k <= kFieldCount; ++k) {
        if (const IoError e = f.read(recordOf(slot, k), out.field(k)); e != IoError::None)
            return e;
    }
    return IoError::None;
}

CardsResult readCards(const RecordFile &f)
{
    CardsResult result;
    IoError counted = IoError::None;
    const int n = countCards(f, &counted);
    result.cards.reserve(std::size_t(n));
    for (int slot = 0; slot < n && result.error == IoError::None; ++slot) {
        carte card;
        result.error = readCard(f, slot, card);
        if (result.error == IoError::None)
            result.cards.push_back(std::move(card));
    }
    if (result.error == IoError::None)
        result.error = counted;
    return result;
}

IoError writeCard(RecordFile &f, int slot, const carte &card)
{
    // Every field is checked before the first is written, so that a refused
    // card leaves the image as it was.
    if (slot < 0 || recordOf(slot, kFieldCount) > kMaxRecord)
        return IoError::RecordNumber;
    std::array<std::string, kFieldCount> bytes;
    for (int k = 1; k <= kFieldCount; ++k) {
        auto b = toCp1252(card.field(k));
        if (!b)
            return IoError::Unencodable;
        if (b->size() > static_cast<std::size_t>(kMaxTextLength))
            return IoError::TooLong;
        bytes[static_cast<std::size_t>(k - 1)] = std::move(*b);
    }
    for (int k = 1; k <= kFieldCount; ++k) {
        if (const IoError e =
                f.writeBytes(recordOf(slot, k), bytes[static_cast<std::size_t>(k - 1)]);
            e != IoError::None)
            return e;
    }
    return IoError::None;
}

IoError removeCard(RecordFile &f, int slot)
{
    if (slot < 0 || recordOf(slot, kFieldCount) > kMaxRecord)
        return IoError::RecordNumber;

    // The first free slot after `slot`.
    std::string_view name;
    int end = slot + 1;
    for (;; ++end) {
        if (const IoError e = nameBytes(f, end, name); e != IoError::None)
            return e;
        if (isBlank(name))
            break;
    }

    // Each later slot moves down one: every record is read, written one slot
    // lower, and emptied in its old place (checked whole before any change).
    const int moved = (end - slot - 1) * kFieldCount;
    if (moved > 0 && recordOf(end - 1, kFieldCount) > kMaxRecord)
        return IoError::RecordNumber;
    if (const IoError e = f.moveRecordsDown(recordOf(slot + 1, 1), recordOf(slot, 1), moved);
        e != IoError::None)
        return e;
    // The database now ends at the last slot that held a card. When the
    // removed card was the last one, only its name is blanked.
    return f.writeBytes(recordOf(end - 1, kNom), {});
}

} // namespace image

namespace
{

// One pass: a name, then field f, until the first blank name.
template <class Records> ListResult listOf(Records &file, int f)
{
    ListResult result;
    for (int i = 0;; ++i) {
        ListedCard c;
        std::string_view name;
        IoError e = nameBytes(file, i, name);
        if (e == IoError::None && isBlank(name))
            break;
        c.nom = fromCp1252(name);
        if (e == IoError::None)
            e = recordOf(i, f) > kMaxRecord ? IoError::RecordNumber
                                            : file.read(recordOf(i, f), c.valeur);
        if (e != IoError::None) {
            result.error = e;
            break;
        }
        result.cards.push_back(std::move(c));
    }
    return result;
}

} // namespace

ListResult image::list(const RecordFile &f, int field)
{
    if (field < 1 || field > kFieldCount)
        return {{}, IoError::RecordNumber};
    return listOf(f, field);
}

ListResult Database::list(int f) const
{
    if (f < 1 || f > kFieldCount)
        return {{}, IoError::RecordNumber};
    RecordReader file;
    if (const IoError e = file.open(file_); e != IoError::None)
        return {{}, e};
    return listOf(file, f);
}

CardsResult Database::cards() const
{
    RecordFile file;
    if (const IoError e = RecordFile::load(file_, file); e != IoError::None)
        return {{}, e};
    return image::readCards(file);
}

ShowResult Database::showCompletingFlags(const std::string &name, int numcarte) const
{
    ShowResult result;
    const auto fail = [&result](IoError e) {
        result.message = DbMessage::LectureImpossible;
        result.error = e;
        return result;
    };

    // Showing only reads, without the lock: a database on a folder that
    // cannot be written shows as well as any. Only the completion of a
    // nine-character flag string writes; it then reads the whole file again
    // under the lock, since another program may have changed it in between.
    // Without the lock, the records are read as far as the card only.
    FileLock lock;
    for (;;) {
        result = ShowResult{};
        RecordReader reader;
        RecordFile whole;
        const IoError opened = lock.held() ? RecordFile::load(file_, whole) : reader.open(file_);
        if (opened != IoError::None)
            return fail(opened);
        const auto view = [&](int n, std::string_view &text) {
            return lock.held() ? whole.view(n, text) : reader.view(n, text);
        };
        const auto read = [&](int n, std::string &text) {
            return lock.held() ? whole.read(n, text) : reader.read(n, text);
        };

        // The first slot holding exactly the name; the first blank name ends
        // the search. A name Windows-1252 cannot hold is in no slot.
        const std::optional<std::string> wanted = toCp1252(name);
        int slot = 0;
        std::string_view stored;
        for (;; ++slot) {
            if (slot > (kMaxRecord - 1) / kFieldCount)
                return fail(IoError::RecordNumber);
            if (const IoError e = view(recordOf(slot, kNom), stored); e != IoError::None)
                return fail(e);
            if (wanted && stored == *wanted)
                break;
            if (isBlank(stored)) {
                // Absent: silent for a card outside the database, otherwise a
                // read error (the list showed a name the file no longer has).
                if (numcarte == -1)
                    return result;
                return fail(IoError::None);
            }
        }

        result.slot = slot;
        carte &card = result.card;
        for (int k = kNom; k <= kDrapeaux; ++k) {
            if (const IoError e = read(recordOf(slot, k), card.field(k)); e != IoError::None)
                return fail(e);
        }
        if (completeNine(card.drapeaux())) {
            if (!lock.held()) {
                if (const IoError e = lock.acquire(file_, lockWait_); e != IoError::None)
                    return fail(e);
                if (lock.held())
                    continue;
                // No lock to be had (a folder where the lock file cannot be
                // made): the whole file is read to be written back.
                if (const IoError e = RecordFile::load(file_, whole); e != IoError::None)
                    return fail(e);
            }
            // The completed flag string goes back into the file at once.
            IoError e = whole.write(recordOf(slot, kDrapeaux), card.drapeaux());
            if (e == IoError::None)
                e = whole.save(file_);
            if (e != IoError::None)
                return fail(e);
            result.completedNine = true;
        }
        for (int k = kAspect; k <= kFieldCount; ++k) {
            if (recordOf(slot, k) > kMaxRecord)
                return fail(IoError::RecordNumber);
            if (const IoError e = read(recordOf(slot, k), card.field(k)); e != IoError::None)
                return fail(e);
        }
        result.found = true;
        return result;
    }
}

namespace
{
// The slot that holds the card last seen in `numcarte` under `storedName`:
// numcarte while it still holds that name, else the first slot of that name,
// -1 when no slot holds it any more.
template <class Records>
int slotOfStoredCard(Records &f, int numcarte, const std::optional<std::string> &storedName)
{
    if (!storedName || numcarte < 0)
        return numcarte;
    const std::optional<std::string> wanted = toCp1252(*storedName);
    if (!wanted)
        return numcarte;
    std::string_view stored;
    if (nameBytes(f, numcarte, stored) == IoError::None && stored == *wanted)
        return numcarte;
    for (int i = 0; nameBytes(f, i, stored) == IoError::None && !isBlank(stored); ++i) {
        if (stored == *wanted)
            return i;
    }
    return -1;
}
} // namespace

CheckResult Database::checkName(const std::string &lequel, int numcarte,
                                const std::optional<std::string> &storedName) const
{
    CheckResult result;
    const auto fail = [&result](IoError e) {
        result.message = DbMessage::EcritureImpossible;
        result.reponseNOM = false;
        result.error = e;
        return result;
    };

    // Only names are read: a piece of the file at a time.
    RecordReader file;
    if (const IoError e = file.open(file_); e != IoError::None)
        return fail(e);
    numcarte = slotOfStoredCard(file, numcarte, storedName);
    const std::optional<std::string> wanted = toCp1252(lequel);
    std::string_view stored;
    for (int i = 0;; ++i) {
        if (const IoError e = nameBytes(file, i, stored); e != IoError::None)
            return fail(e);
        if (isBlank(stored))
            break;
        if (wanted && stored == *wanted && i != numcarte)
            result.reponseNOM = false;
    }
    return result;
}

WriteResult Database::write(const carte &card, int numcarte,
                            const std::optional<std::string> &storedName, Saved *saved) const
{
    WriteResult result;
    const auto fail = [&result](IoError e) {
        result.message = DbMessage::EcritureImpossible;
        result.error = e;
        return result;
    };

    FileLock lock;
    if (const IoError e = lock.acquire(file_, lockWait_); e != IoError::None)
        return fail(e);
    RecordFile file;
    if (const IoError e = RecordFile::load(file_, file); e != IoError::None)
        return fail(e);
    // A card replaced in place does not need the end of the database: the
    // names are checked as far as they can be read.
    IoError e;
    const int count = image::countCards(file, &e);
    numcarte = slotOfStoredCard(file, numcarte, storedName);
    if (e != IoError::None && numcarte == -1)
        return fail(e);
    const int slot = numcarte == -1 ? count : numcarte;
    // The caller checked the name on the file as it was then; another
    // program may have given it to a card since.
    if (const std::optional<std::string> wanted = toCp1252(card.nom())) {
        std::string_view stored;
        for (int i = 0; i < count; ++i) {
            if (i != slot && nameBytes(file, i, stored) == IoError::None && stored == *wanted) {
                result.nameTaken = true;
                return fail(IoError::None);
            }
        }
    }
    if (const IoError e = image::writeCard(file, slot, card); e != IoError::None)
        return fail(e);
    if (const IoError e = file.save(file_); e != IoError::None)
        return fail(e);
    result.slot = slot;
    if (saved)
        *saved = {std::move(file), stampOf(file_)};
    return result;
}

DbMessage Database::remove(int numcarte, const std::optional<std::string> &storedName,
                           Saved *saved) const
{
    FileLock lock;
    if (lock.acquire(file_, lockWait_) != IoError::None)
        return DbMessage::EcritureImpossible;
    RecordFile file;
    if (RecordFile::load(file_, file) != IoError::None)
        return DbMessage::EcritureImpossible;
    if (storedName) {
        numcarte = slotOfStoredCard(file, numcarte, storedName);
        if (numcarte == -1) {
            // Removed by another program already.
            if (saved)
                *saved = {std::move(file), stampOf(file_)};
            return DbMessage::None;
        }
    }
    if (image::removeCard(file, numcarte) != IoError::None)
        return DbMessage::EcritureImpossible;
    if (file.save(file_) != IoError::None)
        return DbMessage::EcritureImpossible;
    if (saved)
        *saved = {std::move(file), stampOf(file_)};
    return DbMessage::None;
}

} // namespace cards
