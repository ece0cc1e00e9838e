#pragma once

#include "carte.h"
#include "recordfile.h"

#include <filesystem>

namespace cards
{

inline constexpr const char *kCardHeader =
    "Carte d'identité d'une espèce chimique pour le logiciel ZYP";
// The temporary card file through which downloaded cards pass.
inline constexpr const char *kTempoCarFileName = "TEMPO.CAR";

enum class CardFileStatus {
    Ok,
    Missing, // there is no file of that name
    // "Fichier non valide" / "Ce fichier ne correspond pas à cette application.":
    // the first record is not the header, or not even a record (a file of
    // another kind, whose length word says more than a record holds).
    NotCardFile,
    // A card file that ends before its last field, or one of whose records
    // is damaged: the card in it cannot be read whole.
    Damaged,
    ReadError, // "Lecture impossible" / "Vérifier l'état du lecteur."
};

struct CardFileRead {
    CardFileStatus status = CardFileStatus::Ok;
    carte card;                 // the card when Ok
    bool completedNine = false; // a nine-character flag string was completed (beep)
};

// Reads a card file. With completeNine (the Open command) a nine-character
// flag string gets its "0" and is written back into the file; without it (the
// downloaded card) it is left as read.
CardFileRead readCardFile(const std::filesystem::path &path, bool completeNine);

// Writes the header and the card's fields into a card file's image: a new
// file's whole content, or an existing file's records over its old ones.
IoError writeCardRecords(RecordFile &file, const carte &card);

// Writes the header and the card's fields (records 1 to 1 + kFieldCount). An
// existing longer file keeps its bytes past them, as overwriting record by
// record would.
// Returns None, or the error that makes it "Ecriture impossible".
IoError writeCardFile(const std::filesystem::path &path, const carte &card);

} // namespace cards
