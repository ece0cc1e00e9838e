#include "genericcomparison.h"

#include "fields.h"

#include <QCollatorSortKey>

#include <algorithm>
#include <numeric>
#include <optional>

namespace
{

enum Rank { Blank, Number, Text };

struct Key {
    Rank rank;
    double value = 0;
};

Key classify(const QString &s)
{
    if (s.trimmed().isEmpty())
        return {Blank};
    if (const auto v = cards::readDecimalComma(s.toStdString()))
        return {Number, *v};
    return {Text};
}

} // namespace

GenericComparison::GenericComparison() : collator_(QLocale(QLocale::French, QLocale::France))
{
    collator_.setCaseSensitivity(Qt::CaseSensitive);
    collator_.setNumericMode(false);
}

int GenericComparison::compare(const QString &a, const QString &b) const
{
    const Key ka = classify(a);
    const Key kb = classify(b);
    if (ka.rank != kb.rank)
        return ka.rank < kb.rank ? -1 : 1;
    switch (ka.rank) {
    case Blank:
        return 0;
    case Number:
        return ka.value < kb.value ? -1 : (kb.value < ka.value ? 1 : 0);
    case Text:
        break;
    }
    return collator_.compare(a, b);
}

std::vector<int> GenericComparison::sortOrder(const std::vector<QString> &keys,
                                              const std::vector<QString> *ties) const
{
    // Sort keys of the collation are computed once per text, so that a list
    // of thousands of names sorts in a few milliseconds.
    struct Entry {
        Key key;
        std::optional<QCollatorSortKey> text;
    };
    const auto entriesOf = [this](const std::vector<QString> &texts) {
        std::vector<Entry> entries;
        entries.reserve(texts.size());
        for (const QString &s : texts) {
            Entry e{classify(s), std::nullopt};
            if (e.key.rank == Text)
                e.text = collator_.sortKey(s);
            entries.push_back(std::move(e));
        }
        return entries;
    };
    const auto compareEntries = [](const Entry &a, const Entry &b) {
        if (a.key.rank != b.key.rank)
            return a.key.rank < b.key.rank ? -1 : 1;
        if (a.key.rank == Number)
            return a.key.value < b.key.value ? -1 : (b.key.value < a.key.value ? 1 : 0);
        if (a.key.rank == Text)
            return a.text->compare(*b.text);
        return 0;
    };
    const std::vector<Entry> primary = entriesOf(keys);
    const std::vector<Entry> secondary =
        ties && ties->size() == keys.size() ? entriesOf(*ties) : std::vector<Entry>();
    std::vector<int> order(keys.size());
    std::iota(order.begin(), order.end(), 0);
    std::stable_sort(order.begin(), order.end(), [&](int i, int j) {
        const int c = compareEntries(primary[std::size_t(i)], primary[std::size_t(j)]);
        if (c != 0 || secondary.empty())
            return c < 0;
        return compareEntries(secondary[std::size_t(i)], secondary[std::size_t(j)]) < 0;
    });
    return order;
}
