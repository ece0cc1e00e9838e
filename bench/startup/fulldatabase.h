#pragma once

#include "carte.h"
#include "database.h"
#include "recordfile.h"

#include <cstdio>
#include <filesystem>
#include <string>

// A database of `count` generated cards with every field filled; with
// `allHazards`, every card carries the four hazards.
inline bool writeGeneratedDatabase(const std::filesystem::path &dir, int count,
                                   bool allHazards = false)
{
    cards::RecordFile file;
    for (int i = 0; i < count; ++i) {
        char name[64];
        std::snprintf(name, sizeof name, "Espèce chimique n° %04d", (i * 7919) % cards::kMaxCards);
        cards::carte c;
        c.nom() = name;
        c.formule() = "C#6H#1#2O#6";
        c.drapeaux() = i % 3 ? "1010000100" : "0101011110";
        if (allHazards)
            c.drapeaux().replace(2, 4, "1111");
        c.aspect() = "solide blanc, cristaux incolores, odeur caractéristique";
        for (int k = 0; k < cards::kQuantityCount; ++k)
            c.quantite(k) = std::to_string((i * 31 + k * 17) % 1000) + "," + std::to_string(i % 10);
        if (i % 50 == 0)
            c.quantite(cards::quantityIndex(cards::kSolubilite)) = "miscible";
        if (cards::image::writeCard(file, i, c) != cards::IoError::None)
            return false;
    }
    return file.save(dir / cards::kDatabaseFileName) == cards::IoError::None;
}

// The largest database the format allows: 2978 cards with every field filled.
inline bool writeFullDatabase(const std::filesystem::path &dir)
{
    return writeGeneratedDatabase(dir, cards::kMaxCards);
}
