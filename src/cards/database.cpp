#include "database.h"

#include "cp1252.h"

namespace cards
{

namespace
{

int recordOf(int slot, int field)
{
    return 11 * slot + field;
}

// The name of a slot, or an error. Slot numbers too large for a record
// number come back as IoError::RecordNumber from the record file.
IoError readName(const RecordFile &f, int slot, std::string &name)
{
    if (slot < 0 || slot > (kMaxRecord - 1) / 11)
        return IoError::RecordNumber;
    return f.read(recordOf(slot, kNom), name);
}

} // namespace

namespace image
{

int countCards(const RecordFile &f, IoError *error)
{
    if (error)
        *error = IoError::None;
    std::string name;
    for (int i = 0;; ++i) {
        const IoError e = readName(f, i, name);
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

    // First pass: everything the move reads must be readable, so that an
    // error leaves the image untouched.
    std::string text;
    int end = slot + 1; // the first free slot after `slot`
    for (;; ++end) {
        if (const IoError e = readName(f, end, text); e != IoError::None)
            return e;
        if (isBlank(text))
            break;
        for (int k = 2; k <= kFieldCount; ++k) {
            if (const IoError e = f.readBytes(recordOf(end, k), text); e != IoError::None)
                return e;
        }
    }

    // Each later slot moves down one: every record is read, written one slot
    // lower, and emptied in its old place.
    for (int j = slot + 1; j < end; ++j) {
        for (int k = 1; k <= kFieldCount; ++k) {
            f.readBytes(recordOf(j, k), text);
            f.writeBytes(recordOf(j - 1, k), text);
            f.writeBytes(recordOf(j, k), {});
        }
    }
    // The database now ends at the last slot that held a card. When the
    // removed card was the last one, only its name is blanked.
    return f.writeBytes(recordOf(end - 1, kNom), {});
}

} // namespace image

ListResult Database::list(int f) const
{
    ListResult result;
    if (f < 1 || f > kFieldCount) {
        result.error = IoError::RecordNumber;
        return result;
    }
    RecordFile file;
    if (const IoError e = RecordFile::load(file_, file); e != IoError::None) {
        result.error = e;
        return result;
    }
    const int n = image::countCards(file, &result.error);
    result.cards.reserve(static_cast<std::size_t>(n));
    for (int i = 0; i < n; ++i) {
        ListedCard c;
        IoError e = file.read(recordOf(i, kNom), c.nom);
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

ShowResult Database::show(const std::string &name, int numcarte) const
{
    ShowResult result;
    const auto fail = [&result](IoError e) {
        result.message = DbMessage::LectureImpossible;
        result.error = e;
        return result;
    };

    RecordFile file;
    if (const IoError e = RecordFile::load(file_, file); e != IoError::None)
        return fail(e);

    // The first slot holding exactly the name; the first blank name ends the search.
    int slot = 0;
    std::string stored;
    for (;; ++slot) {
        if (const IoError e = readName(file, slot, stored); e != IoError::None)
            return fail(e);
        if (stored == name)
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
        if (const IoError e = file.read(recordOf(slot, k), card.field(k)); e != IoError::None)
            return fail(e);
    }
    if (completeNine(card.drapeaux())) {
        // The completed flag string goes back into the file at once.
        IoError e = file.write(recordOf(slot, kDrapeaux), card.drapeaux());
        if (e == IoError::None)
            e = file.save(file_);
        if (e != IoError::None)
            return fail(e);
        result.completedNine = true;
    }
    for (int k = kAspect; k <= kSolubilite; ++k) {
        if (recordOf(slot, k) > kMaxRecord)
            return fail(IoError::RecordNumber);
        if (const IoError e = file.read(recordOf(slot, k), card.field(k)); e != IoError::None)
            return fail(e);
    }
    result.found = true;
    return result;
}

CheckResult Database::checkName(const std::string &lequel, int numcarte) const
{
    CheckResult result;
    const auto fail = [&result](IoError e) {
        result.message = DbMessage::EcritureImpossible;
        result.reponseNOM = false;
        result.error = e;
        return result;
    };

    RecordFile file;
    if (const IoError e = RecordFile::load(file_, file); e != IoError::None)
        return fail(e);
    std::string stored;
    for (int i = 0;; ++i) {
        if (const IoError e = readName(file, i, stored); e != IoError::None)
            return fail(e);
        if (isBlank(stored))
            break;
        if (stored == lequel && i != numcarte)
            result.reponseNOM = false;
    }
    return result;
}

WriteResult Database::write(const carte &card, int numcarte) const
{
    WriteResult result;
    const auto fail = [&result](IoError e) {
        result.message = DbMessage::EcritureImpossible;
        result.error = e;
        return result;
    };

    RecordFile file;
    if (const IoError e = RecordFile::load(file_, file); e != IoError::None)
        return fail(e);
    int slot = numcarte;
    if (slot == -1) {
        IoError e;
        slot = image::countCards(file, &e);
        if (e != IoError::None)
            return fail(e);
    }
    if (const IoError e = image::writeCard(file, slot, card); e != IoError::None)
        return fail(e);
    if (const IoError e = file.save(file_); e != IoError::None)
        return fail(e);
    result.slot = slot;
    return result;
}

DbMessage Database::remove(int numcarte) const
{
    RecordFile file;
    if (RecordFile::load(file_, file) != IoError::None)
        return DbMessage::EcritureImpossible;
    if (image::removeCard(file, numcarte) != IoError::None)
        return DbMessage::EcritureImpossible;
    if (file.save(file_) != IoError::None)
        return DbMessage::EcritureImpossible;
    return DbMessage::None;
}

} // namespace cards
