#pragma once

#include <QString>

#include <array>

namespace network
{

inline constexpr const char *kParanetFileName = "PARANET.LST";

// The records of the parameters file, numbered from 1.
enum ParanetRecord : int {
    kAccueil = 1, // address of the home page
    kRecherche,   // address of the search page
    kNomAuteur,   // the user's name or establishment
    kAdresse,     // the user's e-mail address
    kServeurSmtp, // the outgoing mail server ("host" or "host:port")
    kDestination, // where published cards are sent
    kProcedures,  // file of online update procedures
    kCartes,      // the list of cards to download
};
inline constexpr int kParanetRecords = 8;

struct Parameters {
    std::array<QString, kParanetRecords> records;
    QString record(int n) const { return records.at(static_cast<std::size_t>(n - 1)); }
};

struct ParametersRead {
    Parameters parameters; // what could be read (a missing file reads as empty texts)
    bool ok = true;        // false: the file could not be read or a record is damaged
};

QString paranetPath(const QString &appDir);

// Reads records 1 to 8; on a damaged record the records before it are kept.
ParametersRead readParameters(const QString &appDir);

// Writes records 3, 4 and 5 and leaves every other byte of the file as it was.
// False when the file could not be written (or a text does not fit its record).
bool writeMailParameters(const QString &appDir, const QString &nom, const QString &adresse,
                         const QString &serveur);

} // namespace network
