#pragma once

#include "database.h"
#include "genericcomparison.h"
#include "speciessearch.h"

#include <QAbstractTableModel>
#include <QObject>
#include <QString>

#include <future>
#include <vector>

class QComboBox;
class QLineEdit;
class QTableView;
class QWidget;

// The rows of MS1 below its header row: name and quantity cells.
class SpeciesModel : public QAbstractTableModel
{
    Q_OBJECT
public:
    struct Row {
        QString nom;
        QString valeur; // the field followed by three spaces
    };

    using QAbstractTableModel::QAbstractTableModel;

    int rowCount(const QModelIndex &parent = {}) const override;
    int columnCount(const QModelIndex &parent = {}) const override;
    QVariant data(const QModelIndex &index, int role) const override;
    QVariant headerData(int section, Qt::Orientation orientation, int role) const override;
    // A row that the search leaves out cannot be entered from the keyboard.
    Qt::ItemFlags flags(const QModelIndex &index) const override;

    void setRows(std::vector<Row> rows);
    void setHeader(int column, const QString &text);
    QString header(int column) const { return headers_[column == 0 ? 0 : 1]; }
    const Row &row(int i) const { return rows_[std::size_t(i)]; }
    const std::vector<Row> &rows() const { return rows_; }

    // Which rows the search keeps; every row after setRows.
    bool kept(int i) const { return kept_[std::size_t(i)] != 0; }
    void setKept(int i, bool kept) { kept_[std::size_t(i)] = kept; }

private:
    std::vector<Row> rows_;
    std::vector<char> kept_;
    QString headers_[2];
};

// The rows of the list as read from the database and sorted.
struct SpeciesListing {
    std::vector<SpeciesModel::Row> rows;
    bool complete = true; // false when the database could not be read whole
};

// Sorts the names and the values of one field of every card, as listed, by
// name, or by the field with ties ordered by name. It remembers its last
// sort: a listing whose keys are those it sorted last (a card written with
// its name, and the field sorted by, as they were) takes the same order
// without sorting again, and the texts that did not change are kept.
class ListSorter
{
public:
    SpeciesListing sort(cards::ListResult listed, bool byName);

private:
    GenericComparison comparison_;
    // The last listing sorted, slot by slot, its texts and the order it got.
    std::vector<cards::ListedCard> listed_;
    std::vector<QString> names_;
    std::vector<QString> values_;
    std::vector<int> order_;
    bool byName_ = true;
};
// The same read from the database in `appDir`. It touches no widget:
// start-up runs it on another thread.
SpeciesListing readSpeciesListing(const QString &appDir, int field, bool byName);

// The search key of each row: its name and the formula of the card of that
// name among `formulas` (a listing of the formula field; none when the card
// is gone).
std::vector<speciessearch::Key> searchKeys(const cards::ListResult &formulas,
                                           const std::vector<SpeciesModel::Row> &rows);

// The species list: the grid MS1 with its fixed header row, the sort
// criterion Combo1 and the search field that narrows the list as one types.
// Rows are numbered as the grid numbers them: row 0 is the header, species
// rows are 1 to rows() - 1. The search only hides rows: it leaves the rows,
// their numbers, their order and the current row as they are, so a species
// left out can still be current (the editor keeps its card) and the listing
// of the whole database still sees every row.
class SpeciesList : public QObject
{
    Q_OBJECT
public:
    SpeciesList(QWidget *window, const QString &appDir);

    QTableView *MS1 = nullptr;
    QComboBox *Combo1 = nullptr;
    QLineEdit *recherche = nullptr; // the search field

    // Start-up: the eight criteria, and the columns' widths and alignment.
    void fillCombo1();
    void setColumns();

    // Refills and re-sorts the list, keeping the current species current:
    // from the database, or from `image`, the content the window has just
    // written into it. Returns false when the database could not be read
    // whole (the list then holds what could be read).
    bool majtab(const cards::RecordFile *image = nullptr);

    // Start-up: the window reads and sorts the list that its first majtab
    // shows (by name, with molar masses) on another thread while it builds
    // its controls, and hands it over; majtab waits for it and takes it.
    static std::future<SpeciesListing> readFirstListing(const QString &appDir);
    void setFirstListing(std::future<SpeciesListing> listing);

    int rows() const; // header row included
    int row() const;  // current row, 0 when no species row is current
    QString text(int r, int c) const;
    QString currentName() const { return text(row(), 0); }
    // The field shown in column 1 (a quantity).
    int field() const { return field_; }

    // Makes species row r current. With `enter` the change is a cell entry
    // like the user's; without, the card shown does not change.
    void setRow(int r, bool enter);
    // Makes the last row named `nom` current, without a cell entry: the card
    // the editor holds already. False when no row has that name.
    bool setCurrentName(const QString &nom);

    // Whether the search shows species row r.
    bool isShown(int r) const;
    // Makes the current row seen: a search that leaves it out is cleared.
    // True when the search was cleared.
    bool showCurrent();
    // The species rows the search shows, in order.
    int shownRows() const;

signals:
    // The current row changed (by the user, or by setRow with `enter`), or
    // the user clicked the row that was already current.
    void cellEntry();
    // The user picked a criterion in Combo1.
    void criterionPicked();
    // majtab found at least one species, or none.
    void hasSpecies(bool any);

protected:
    bool eventFilter(QObject *watched, QEvent *event) override;

private:
    void onCurrentChanged(const QModelIndex &current, const QModelIndex &previous);
    void onSelectionChanged();
    void onClicked(const QModelIndex &index);
    void setCurrentSilently(int modelRow);
    int lastRowNamed(const QString &nom) const; // model row, -1 when none
    SpeciesListing read(int field, bool byName, const cards::RecordFile *image);
    void search();
    void applySearch(bool refilled);
    // Makes the first (or the last) species row that the search shows
    // current, as a cell entry.
    void enterShownRow(bool last);

    QString appDir_;
    SpeciesModel *model_ = nullptr;
    ListSorter sorter_; // keeps what it sorted from one refill to the next
    std::future<SpeciesListing> firstListing_;
    QString query_;                        // the folded query the rows are shown for
    std::vector<speciessearch::Key> keys_; // one per row once a search needs them
    int field_ = 5;
    bool silent_ = false;
    bool shrinking_ = false;
    int pressRow_ = -1;
};
