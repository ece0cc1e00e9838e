#pragma once

#include "carte.h"
#include "filelock.h"
#include "recordfile.h"

#include <filesystem>
#include <optional>
#include <string>
#include <vector>

namespace cards
{

inline constexpr int kMaxCards = 2978;

// The record of field `field` (1-based) of the card in slot `slot`: a card is
// its fields' records one after the other.
constexpr int recordOf(int slot, int field)
{
    return kFieldCount * slot + field;
}
inline constexpr const char *kDatabaseFileName = "ESPCHIMIQUES.ZYP";

// Which message a failed operation calls for.
enum class DbMessage {
    None,
    LectureImpossible, // "Lecture impossible" / "Vérifier l'état du lecteur."
    EcritureImpossible // "Ecriture impossible" / "Vérifier l'état du lecteur et les protections en
                       // écriture."
};

struct ListedCard {
    std::string nom;    // as stored, untrimmed
    std::string valeur; // field f as stored
};

struct CardsResult {
    std::vector<carte> cards;      // what could be read, in slot order
    IoError error = IoError::None; // None, or why the reading stopped early
};

struct ListResult {
    std::vector<ListedCard> cards; // what could be read, in slot order
    IoError error = IoError::None; // None, or why the listing stopped early
};

struct ShowResult {
    DbMessage message = DbMessage::None;
    bool found = false; // false with message None: name absent and numcarte was -1
    int slot = -1;
    // The card's fields (drapeaux completed to ten); after a failure, the
    // fields read before it, the others empty.
    carte card;
    // A nine-character flag string was completed and written back (the editor beeps).
    bool completedNine = false;
    IoError error = IoError::None; // the file error behind LectureImpossible
};

struct CheckResult {
    DbMessage message = DbMessage::None; // EcritureImpossible when the check could not read
    bool reponseNOM = true;              // false: another slot holds the name (or the check failed)
    IoError error = IoError::None;
};

struct WriteResult {
    DbMessage message = DbMessage::None;
    int slot = -1; // slot written
    IoError error = IoError::None;
    // Refused: another slot holds the name (given to a card by another
    // program since the caller's name check). Nothing was written.
    bool nameTaken = false;
};

// What a change to the database leaves, for the program that made it: the
// file's new content, from which it refills its list without reading the
// file again, and the file's stamp, by which it knows this version as its own.
struct Saved {
    RecordFile image;
    FileStamp stamp;
};

// The species database: stateless operations on one file. Each reads the file
// once and, when it changes it, replaces it whole (never half-written); the
// bytes written are exactly those of the record-by-record algorithm. An
// operation that changes the file holds its lock (FileLock) from the read to
// the replacement, so that other programs' changes made meanwhile are kept;
// when the lock stays taken for `lockWait` it fails and writes nothing.
class Database
{
public:
    explicit Database(std::filesystem::path file, std::chrono::milliseconds lockWait = kLockWait)
        : file_(std::move(file)), lockWait_(lockWait)
    {
    }
    static Database inDirectory(const std::filesystem::path &dir)
    {
        return Database(dir / kDatabaseFileName);
    }

    const std::filesystem::path &path() const { return file_; }

    // The list: name and field f (a quantity) of every card, in slot order. A
    // missing or unreadable file lists as empty (never created).
    ListResult list(int f) const;

    // Every card, in slot order, read in one go. A missing file holds none.
    CardsResult cards() const;

    // Shows a card: the first slot whose name equals `name` exactly. Not
    // found is silent when numcarte is -1, LectureImpossible otherwise.
    // It may write: a nine-character flag string is completed to ten and
    // written back into the file at once, under the lock (completedNine).
    ShowResult showCompletingFlags(const std::string &name, int numcarte) const;

    // The name check: is `lequel` free for the card in slot numcarte (its own
    // slot is skipped)? A check that cannot read refuses (EcritureImpossible,
    // reponseNOM false), so nothing is written behind it.
    // `storedName` as for write: the card's own slot is where that name now stands.
    CheckResult checkName(const std::string &lequel, int numcarte,
                          const std::optional<std::string> &storedName = std::nullopt) const;

    // Writes the card into slot numcarte, or the first free slot when
    // numcarte is -1 (numcarte itself is the caller's and stays as it is).
    // The caller has run checkName first; the check is made again under the
    // lock, and a name that another slot holds by then is refused
    // (EcritureImpossible with nameTaken). Creates a missing file.
    // `storedName`, when given, is the name the card had in slot numcarte
    // when it was shown: if another program has moved or removed cards since,
    // the card is written where that name now stands, or added when it is
    // gone, never over another card. The slot written is in the result, and
    // what the write left in `saved` when given.
    WriteResult write(const carte &card, int numcarte,
                      const std::optional<std::string> &storedName = std::nullopt,
                      Saved *saved = nullptr) const;

    // Removes slot numcarte: later cards move down one slot, the last slot
    // that held a card gets an empty name (its other records stay). With
    // `storedName`, the card of that name is removed wherever another program
    // has moved it, and nothing when it is gone already. What the removal left
    // in `saved` when given (the file as it was when nothing was removed).
    DbMessage remove(int numcarte, const std::optional<std::string> &storedName = std::nullopt,
                     Saved *saved = nullptr) const;

private:
    std::filesystem::path file_;
    std::chrono::milliseconds lockWait_;
};

// Pure operations on an in-memory image, used by Database and by tools.
namespace image
{
// Number of cards (slots before the first blank name), which is also the
// first free slot. Stops at a damaged record.
int countCards(const RecordFile &f, IoError *error = nullptr);
// The fields of a slot; on error, those read before it.
IoError readCard(const RecordFile &f, int slot, carte &out);
// Every card, in slot order, up to the first blank name; on error, those
// read before it.
CardsResult readCards(const RecordFile &f);
// The list as Database::list gives it, from an image.
ListResult list(const RecordFile &f, int field);
// Every field is checked before the first is written: on error the image is unchanged.
IoError writeCard(RecordFile &f, int slot, const carte &card);
// The removal, with the bytes that moving record after record would leave;
// on error the image is unchanged.
IoError removeCard(RecordFile &f, int slot);
} // namespace image

} // namespace cards
