#include "cardfile.h"

#include "filelock.h"

namespace cards
{

namespace
{

constexpr int kHeaderRecord = 1;

// Record of field k (1-based) in a card file: behind the header.
int recordOf(int field)
{
    return field + 1;
}

} // namespace

CardFileRead readCardFile(const std::filesystem::path &path, bool completeNine)
{
    CardFileRead result;
    const auto fail = [&result](CardFileStatus s) {
        result.status = s;
        result.card = carte{};
        return result;
    };

    // Read without the lock; the completion of a nine-character flag string
    // reads again under it before writing (see Database::showCompletingFlags).
    // A field that cannot be read makes the card unreadable; a record that is
    // not there (a file cut short) too.
    const auto fieldFailed = [](IoError e) {
        return e == IoError::Damaged ? CardFileStatus::Damaged : CardFileStatus::ReadError;
    };
    FileLock lock;
    for (;;) {
        result = CardFileRead{};
        std::error_code missing;
        if (!std::filesystem::exists(path, missing) && !missing)
            return fail(CardFileStatus::Missing);
        RecordFile file;
        if (RecordFile::load(path, file) != IoError::None)
            return fail(CardFileStatus::ReadError);
        // A first record that is not even a record (an HTML page, a picture)
        // is a file of another kind, not a damaged card file.
        std::string header;
        if (file.read(kHeaderRecord, header) != IoError::None)
            return fail(CardFileStatus::NotCardFile);
        if (header != kCardHeader)
            return fail(CardFileStatus::NotCardFile);
        if (file.recordCount() < recordOf(kFieldCount))
            return fail(CardFileStatus::Damaged);

        carte &card = result.card;
        for (int k = kNom; k <= kDrapeaux; ++k) {
            if (const IoError e = file.read(recordOf(k), card.field(k)); e != IoError::None)
                return fail(fieldFailed(e));
        }
        if (completeNine && cards::completeNine(card.drapeaux())) {
            if (!lock.held()) {
                if (lock.acquire(path) != IoError::None)
                    return fail(CardFileStatus::ReadError);
                if (lock.held())
                    continue;
            }
            if (file.write(recordOf(kDrapeaux), card.drapeaux()) != IoError::None ||
                file.save(path) != IoError::None)
                return fail(CardFileStatus::ReadError);
            result.completedNine = true;
        }
        for (int k = kAspect; k <= kFieldCount; ++k) {
            if (const IoError e = file.read(recordOf(k), card.field(k)); e != IoError::None)
                return fail(fieldFailed(e));
        }
        return result;
    }
}

IoError writeCardFile(const std::filesystem::path &path, const carte &card)
{
    // The file is read for its bytes past the card's records, so it is written under
    // its lock like the database.
    FileLock lock;
    if (const IoError e = lock.acquire(path); e != IoError::None)
        return e;
    RecordFile file;
    if (const IoError e = RecordFile::load(path, file); e != IoError::None)
        return e;
    if (const IoError e = writeCardRecords(file, card); e != IoError::None)
        return e;
    return file.save(path);
}

IoError writeCardRecords(RecordFile &file, const carte &card)
{
    IoError e = file.write(kHeaderRecord, kCardHeader);
    for (int k = kNom; k <= kFieldCount && e == IoError::None; ++k)
        e = file.write(recordOf(k), card.field(k));
    return e;
}

} // namespace cards
