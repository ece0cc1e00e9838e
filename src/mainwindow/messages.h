#pragma once

#include <QString>

// The texts of the main window's message boxes.
namespace messages
{

inline const QString kEnregistrerTitle = QStringLiteral("Enregistrer ?");
inline const QString kEnregistrerText =
    QStringLiteral("Cette carte a été modifiée.\nEnregistrer les modifications.");

inline const QString kLectureTitle = QStringLiteral("Lecture impossible");
inline const QString kLectureText = QStringLiteral("Vérifier l'état du lecteur.");

inline const QString kEcritureTitle = QStringLiteral("Ecriture impossible");
inline const QString kEcritureText =
    QStringLiteral("Vérifier l'état du lecteur et les protections en écriture.");

inline const QString kOccupeText =
    QStringLiteral("Un autre programme modifie la base de données en ce moment.\n"
                   "Rien n'a été enregistré : réessayer dans un instant.");

inline const QString kAjoutTitle = QStringLiteral("Ajout impossible");
inline const QString kSansNom = QStringLiteral("Cette espèce chimique doit avoir un nom !");
inline const QString kNomPris = QStringLiteral("Il y a déjà une espèce chimique avec ce nom.");

inline const QString kEnleverImpossibleTitle = QStringLiteral("Impossible d'enlever");
inline const QString kEnleverImpossibleText =
    QStringLiteral("Cette carte n'est pas enregistrée dans la base.");
inline const QString kEnleverTitle = QStringLiteral("Enlever cette carte ?");

inline const QString kNonValideTitle = QStringLiteral("Fichier non valide");
inline const QString kNonValideText =
    QStringLiteral("Ce fichier ne correspond pas à cette application.");

inline const QString kIntrouvableTitle = QStringLiteral("Fichier introuvable");
inline const QString kIntrouvableText = QStringLiteral("Le fichier %1 n'existe pas.");

inline const QString kEndommageTitle = QStringLiteral("Fichier endommagé");
inline const QString kEndommageText =
    QStringLiteral("Le fichier %1 est endommagé : la carte qu'il contient est incomplète ou "
                   "illisible.\nLa carte affichée n'a pas été changée.");

inline const QString kEcraserTitle = QStringLiteral("Ecraser le fichier existant ?");

inline const QString kSortieTitle = QStringLiteral("Sortie du module");
inline const QString kSortieText = QStringLiteral("Voulez-vous fermer la connexion ?");

inline const QString kFermerTitle = QStringLiteral("Fermer");
inline const QString kFermerText =
    QStringLiteral("Fermer Cartes d'identité des espèces chimiques ?");

} // namespace messages
