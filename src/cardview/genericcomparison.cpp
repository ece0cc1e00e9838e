#include "genericcomparison.h"

#include "fields.h"

#include <QCollatorSortKey>

#include <algorithm>
#include <numeric>

QString listCell(const std::string &valeur)
{
    return QString::fromStdString(valeur) + QStringLiteral("   ");
}

GenericComparison::Key GenericComparison::classify(const QString &s)
{
    if (s.trimmed().isEmpty())
        return {Blank, 0, std::nullopt};
    if (const auto v = cards::readDecimalComma(s.toStdString()))
        return {Number, *v, std::nullopt};
    return {Text, 0, std::nullopt};
}

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

const GenericComparison::Key &GenericComparison::cached(const QString &s) const
{
    auto it = keys_.find(s);
    if (it == keys_.end()) {
        Key key = classify(s);
        if (key.rank == Text)
            key.text = collator_.sortKey(s);
        it = keys_.emplace(s, std::move(key)).first;
    }
    return it->second;
}

std::vector<int> GenericComparison::sortOrder(const std::vector<QString> &keys,
                                              const std::vector<QString> *ties) const
{
    // Each text is classified and given its collation sort key once, and
    // kept: a list of thousands of names sorts in a few milliseconds, and
    // sorts again after one card changed at the cost of that card. The
    // texts of lists long gone are let go.
    if (keys_.size() > 4 * (keys.size() + 1024))
        keys_.clear();
    const auto entriesOf = [this](const std::vector<QString> &texts) {
        std::vector<const Key *> entries;
        entries.reserve(texts.size());
        for (const QString &s : texts)
            entries.push_back(&cached(s));
        return entries;
    };
    const auto compareEntries = [](const Key &a, const Key &b) {
        if (a.rank != b.rank)
            return a.rank < b.rank ? -1 : 1;
        if (a.rank == Number)
            return a.value < b.value ? -1 : (b.value < a.value ? 1 : 0);
        if (a.rank == Text)
            return a.text->compare(*b.text);
        return 0;
    };
    const std::vector<const Key *> primary = entriesOf(keys);
    const std::vector<const Key *> secondary =
        ties && ties->size() == keys.size() ? entriesOf(*ties) : std::vector<const Key *>();
    std::vector<int> order(keys.size());
    std::iota(order.begin(), order.end(), 0);
    std::stable_sort(order.begin(), order.end(), [&](int i, int j) {
        const int c = compareEntries(*primary[std::size_t(i)], *primary[std::size_t(j)]);
        if (c != 0 || secondary.empty())
            return c < 0;
        return compareEntries(*secondary[std::size_t(i)], *secondary[std::size_t(j)]) < 0;
    });
    return order;
}
