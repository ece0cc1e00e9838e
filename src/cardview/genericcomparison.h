#pragma once

#include <QCollator>
#include <QCollatorSortKey>
#include <QString>

#include <optional>
#include <string>
#include <unordered_map>
#include <vector>

// The species list's order: the generic comparison of two key cells. Keys fall into three ranks:
// blank (empty or spaces), numbers (compared by value), other texts (compared with the French
// collation, so "éthanol" sorts between "eau" and "fer"). Ranking first keeps the order transitive,
// which a sort needs: comparing a number with a text as text while two numbers compare by value
// would let "9" < "10", "10" < "2x" and "2x" < "9" all hold.
// A quantity's cell in the species list: its stored text followed by three
// spaces, as the list shows and sorts it.
QString listCell(const std::string &valeur);

class GenericComparison
{
public:
    GenericComparison();

    // Negative, zero or positive as a sorts before, with or after b.
    int compare(const QString &a, const QString &b) const;

    // The ascending order of `keys` as a permutation of their indices. Keys
    // that compare equal are ordered by their `ties` (the species' names)
    // when given, and then keep their order.
    std::vector<int> sortOrder(const std::vector<QString> &keys,
                               const std::vector<QString> *ties = nullptr) const;

    // The species list's order: by name, or by the cells of a quantity (as
    // listCell gives them) with ties ordered by name. The main window's list
    // and the web catalogue both sort by it.
    std::vector<int> listOrder(const std::vector<QString> &names, const std::vector<QString> &cells,
                               bool byName) const
    {
        return byName ? sortOrder(names) : sortOrder(cells, &names);
    }

private:
    enum Rank { Blank, Number, Text };
    // A key cell as the comparison sees it: its rank, and its value or its
    // collation sort key.
    struct Key {
        Rank rank = Blank;
        double value = 0;
        std::optional<QCollatorSortKey> text;
    };
    static Key classify(const QString &s);
    const Key &cached(const QString &s) const;

    QCollator collator_;
    mutable std::unordered_map<QString, Key> keys_;
};
