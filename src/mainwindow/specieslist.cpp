#include "specieslist.h"

#include "cardlayout.h"
#include "database.h"
#include "genericcomparison.h"
#include "localpath.h"
#include "sortcriteria.h"

#include <QComboBox>
#include <QFile>
#include <QFont>
#include <QHash>
#include <QHeaderView>
#include <QItemSelectionModel>
#include <QKeyEvent>
#include <QLineEdit>
#include <QMouseEvent>
#include <QTableView>

#include <algorithm>
#include <system_error>

namespace
{

// The designed widths, 2800 and 1000 twips at 15 twips per pixel.
constexpr int kNameWidth = 187;
constexpr int kValueWidth = 67;

// The search field stands under the list, as wide as it, at the bottom of
// the window: the line of Combo1 holds the heading "Critère de tri :", and
// the window may not grow. The list gives up the field's height.
constexpr int kSearchGap = 3;
constexpr QRect kSearchField{cardlayout::kMS1.left(),
                             cardlayout::kMS1.bottom() + 1 - cardlayout::kCombo1.height(),
                             cardlayout::kMS1.width(), cardlayout::kCombo1.height()};
constexpr QRect kListArea =
    cardlayout::kMS1.adjusted(0, 0, 0, -(cardlayout::kCombo1.height() + kSearchGap));

} // namespace

SpeciesListing readSpeciesListing(const QString &appDir, int field, bool byName)
{
    return ListSorter().sort(cards::Database::inDirectory(platform::toPath(appDir)).list(field),
                             byName);
}

SpeciesListing ListSorter::sort(cards::ListResult listed, bool byName)
{
    const std::size_t n = listed.cards.size();
    const bool sameSize = n == listed_.size();
    bool sameKeys = sameSize && byName == byName_;
    std::vector<QString> names(n);
    std::vector<QString> values(n);
    for (std::size_t i = 0; i < n; ++i) {
        const cards::ListedCard &c = listed.cards[i];
        const bool sameName = sameSize && c.nom == listed_[i].nom;
        const bool sameValue = sameSize && c.valeur == listed_[i].valeur;
        names[i] = sameName ? names_[i] : QString::fromStdString(c.nom);
        values[i] = sameValue ? values_[i] : listCell(c.valeur);
        sameKeys = sameKeys && sameName && (byName || sameValue);
    }
    if (!sameKeys)
        order_ = comparison_.listOrder(names, values, byName);
    SpeciesListing listing;
    listing.complete = listed.error == cards::IoError::None;
    listing.rows.reserve(n);
    for (int i : order_)
        listing.rows.push_back({names[std::size_t(i)], values[std::size_t(i)]});
    listed_ = std::move(listed.cards);
    names_ = std::move(names);
    values_ = std::move(values);
    byName_ = byName;
    return listing;
}

std::vector<speciessearch::Key> searchKeys(const cards::ListResult &formulas,
                                           const std::vector<SpeciesModel::Row> &rows)
{
    // A name held by several slots is the card of the first, as when shown.
    QHash<QString, QString> formulaOf;
    formulaOf.reserve(qsizetype(formulas.cards.size()));
    for (const cards::ListedCard &c : formulas.cards) {
        const QString nom = QString::fromStdString(c.nom);
        if (!formulaOf.contains(nom))
            formulaOf.insert(nom, QString::fromStdString(c.valeur));
    }
    std::vector<speciessearch::Key> keys;
    keys.reserve(rows.size());
    for (const SpeciesModel::Row &row : rows)
        keys.push_back(speciessearch::keyOf(row.nom, formulaOf.value(row.nom)));
    return keys;
}

int SpeciesModel::rowCount(const QModelIndex &parent) const
{
    return parent.isValid() ? 0 : int(rows_.size());
}

int SpeciesModel::columnCount(const QModelIndex &parent) const
{
    return parent.isValid() ? 0 : 2;
}

QVariant SpeciesModel::data(const QModelIndex &index, int role) const
{
    if (!index.isValid() || index.row() >= int(rows_.size()))
        return {};
    if (role == Qt::DisplayRole) {
        const Row &r = rows_[std::size_t(index.row())];
        return index.column() == 0 ? r.nom : r.valeur;
    }
    if (role == Qt::TextAlignmentRole)
        return int(Qt::AlignCenter);
    return {};
}

QVariant SpeciesModel::headerData(int section, Qt::Orientation orientation, int role) const
{
    if (orientation != Qt::Horizontal)
        return {};
    if (role == Qt::DisplayRole)
        return header(section);
    if (role == Qt::TextAlignmentRole)
        return int(Qt::AlignCenter);
    return {};
}

Qt::ItemFlags SpeciesModel::flags(const QModelIndex &index) const
{
    if (!index.isValid() || index.row() >= int(rows_.size()) || !kept(index.row()))
        return Qt::NoItemFlags;
    return Qt::ItemIsSelectable | Qt::ItemIsEnabled;
}

void SpeciesModel::setRows(std::vector<Row> rows)
{
    // As many rows as before, most often the same but for a card just
    // written: only the rows that changed are redrawn.
    if (rows.size() == rows_.size() && !rows_.empty()) {
        std::size_t first = rows.size();
        std::size_t last = 0;
        for (std::size_t i = 0; i < rows.size(); ++i) {
            if (rows[i].nom == rows_[i].nom && rows[i].valeur == rows_[i].valeur)
                continue;
            first = std::min(first, i);
            last = i;
        }
        rows_ = std::move(rows);
        kept_.assign(rows_.size(), 1);
        if (first <= last)
            emit dataChanged(index(int(first), 0), index(int(last), 1));
        return;
    }
    beginResetModel();
    rows_ = std::move(rows);
    kept_.assign(rows_.size(), 1);
    endResetModel();
}

void SpeciesModel::setHeader(int column, const QString &text)
{
    QString &header = headers_[column == 0 ? 0 : 1];
    if (header == text)
        return; // the grid's header is not redrawn for nothing
    header = text;
    emit headerDataChanged(Qt::Horizontal, column, column);
}

SpeciesList::SpeciesList(QWidget *window, const QString &appDir) : QObject(window), appDir_(appDir)
{
    model_ = new SpeciesModel(this);
    model_->setHeader(0, QString::fromUtf8(kNameHeader));

    MS1 = new QTableView(window);
    MS1->setObjectName(QStringLiteral("MS1"));
    MS1->setModel(model_);
    MS1->setGeometry(kListArea);
    MS1->setSelectionMode(QAbstractItemView::SingleSelection);
    MS1->setSelectionBehavior(QAbstractItemView::SelectItems);
    MS1->setEditTriggers(QAbstractItemView::NoEditTriggers);
    MS1->setHorizontalScrollBarPolicy(Qt::ScrollBarAlwaysOff);
    MS1->setVerticalScrollBarPolicy(Qt::ScrollBarAlwaysOn);
    MS1->setTabKeyNavigation(false);
    MS1->setWordWrap(false);
    MS1->verticalHeader()->hide();
    MS1->verticalHeader()->setSectionResizeMode(QHeaderView::Fixed);
    MS1->verticalHeader()->setDefaultSectionSize(MS1->fontMetrics().height() + 4);
    MS1->horizontalHeader()->setSectionsClickable(false);
    MS1->horizontalHeader()->setHighlightSections(false);
    MS1->horizontalHeader()->setSectionResizeMode(QHeaderView::Fixed);
    MS1->setMouseTracking(true);
    MS1->viewport()->setMouseTracking(true);
    MS1->viewport()->installEventFilter(this);

    connect(MS1->selectionModel(), &QItemSelectionModel::currentChanged, this,
            &SpeciesList::onCurrentChanged);
    connect(MS1->selectionModel(), &QItemSelectionModel::selectionChanged, this,
            &SpeciesList::onSelectionChanged);
    connect(MS1, &QTableView::clicked, this, &SpeciesList::onClicked);

    Combo1 = new QComboBox(window);
    Combo1->setObjectName(QStringLiteral("Combo1"));
    Combo1->setGeometry(cardlayout::kCombo1);
    Combo1->setMaxVisibleItems(8);
    connect(Combo1, &QComboBox::activated, this, [this] { emit criterionPicked(); });

    recherche = new QLineEdit(window);
    recherche->setObjectName(QStringLiteral("recherche"));
    recherche->setGeometry(kSearchField);
    recherche->setPlaceholderText(QStringLiteral("Rechercher une espèce…"));
    recherche->installEventFilter(this);
    MS1->installEventFilter(this);
    connect(recherche, &QLineEdit::textChanged, this, &SpeciesList::search);
    connect(recherche, &QLineEdit::returnPressed, this, [this] { enterShownRow(false); });
}

void SpeciesList::fillCombo1()
{
    Combo1->clear();
    for (const SortCriterion &c : kSortCriteria)
        Combo1->addItem(QString::fromUtf8(c.entry));
    // A filled combo box shows its first entry; the list starts with none
    // selected, and majtab selects entry 0.
    Combo1->setCurrentIndex(-1);
}

void SpeciesList::setColumns()
{
    MS1->setColumnWidth(0, kNameWidth);
    MS1->setColumnWidth(1, kValueWidth);
}

bool SpeciesList::majtab(const cards::RecordFile *image)
{
    const QString w = currentName();
    const int previousRow = row();
    if (Combo1->currentIndex() < 0)
        Combo1->setCurrentIndex(0);

    QString header1 = model_->header(1);
    const int entry = Combo1->currentIndex();
    if (entry >= 1 && entry < int(kSortCriteria.size())) {
        field_ = kSortCriteria[std::size_t(entry)].field;
        header1 = QString::fromUtf8(kSortCriteria[std::size_t(entry)].header);
    }
    if (header1.isEmpty())
        header1 = QString::fromUtf8(kMolarMassHeader);
    if (header1 == QString::fromUtf8(kMolarMassHeader))
        field_ = cards::kMasseMolaire;

    SpeciesListing listing = read(field_, entry <= 0, image);

    silent_ = true;
    model_->setHeader(0, QString::fromUtf8(kNameHeader));
    model_->setHeader(1, header1);
    model_->setRows(std::move(listing.rows));
    keys_.clear();
    // A search under way needs the formulas: the written content has them.
    if (image && !query_.isEmpty())
        keys_ = searchKeys(cards::image::list(*image, cards::kFormule), model_->rows());
    applySearch(true);
    silent_ = false;
    emit hasSpecies(model_->rowCount() > 0);

    // The refill keeps the species that was current: the last row holding its
    // name. Without it the current row stays where it was. Neither is a cell
    // entry: the caller decides what the editor shows.
    int target = w.trimmed().isEmpty() ? -1 : lastRowNamed(w);
    if (target < 0 && previousRow >= 1 && model_->rowCount() > 0)
        target = std::min(previousRow - 1, model_->rowCount() - 1);
    if (target >= 0)
        setCurrentSilently(target);
    return listing.complete;
}

std::future<SpeciesListing> SpeciesList::readFirstListing(const QString &appDir)
{
    try {
        return std::async(std::launch::async, readSpeciesListing, appDir, cards::kMasseMolaire,
                          true);
    } catch (const std::system_error &) {
        return {}; // no thread to be had: the first majtab reads it itself
    }
}

void SpeciesList::setFirstListing(std::future<SpeciesListing> listing)
{
    firstListing_ = std::move(listing);
}

SpeciesListing SpeciesList::read(int field, bool byName, const cards::RecordFile *image)
{
    if (firstListing_.valid()) {
        SpeciesListing first = firstListing_.get();
        if (field == cards::kMasseMolaire && byName)
            return first;
    }
    if (image)
        return sorter_.sort(cards::image::list(*image, field), byName);
    return sorter_.sort(cards::Database::inDirectory(platform::toPath(appDir_)).list(field),
                        byName);
}

int SpeciesList::rows() const
{
    return model_->rowCount() + 1;
}

int SpeciesList::row() const
{
    const QModelIndex current = MS1->selectionModel()->currentIndex();
    return current.isValid() ? current.row() + 1 : 0;
}

QString SpeciesList::text(int r, int c) const
{
    if (r == 0)
        return model_->header(c);
    if (r < 1 || r > model_->rowCount())
        return {};
    const SpeciesModel::Row &row = model_->row(r - 1);
    return c == 0 ? row.nom : row.valeur;
}

void SpeciesList::setRow(int r, bool enter)
{
    if (r < 1 || r > model_->rowCount())
        return;
    if (!enter) {
        setCurrentSilently(r - 1);
        return;
    }
    MS1->selectionModel()->setCurrentIndex(model_->index(r - 1, 0),
                                           QItemSelectionModel::ClearAndSelect);
}

int SpeciesList::lastRowNamed(const QString &nom) const
{
    for (int i = model_->rowCount() - 1; i >= 0; --i)
        if (model_->row(i).nom == nom)
            return i;
    return -1;
}

bool SpeciesList::setCurrentName(const QString &nom)
{
    const int i = lastRowNamed(nom);
    if (i < 0)
        return false;
    setCurrentSilently(i);
    return true;
}

void SpeciesList::setCurrentSilently(int modelRow)
{
    silent_ = true;
    const QModelIndex index = model_->index(modelRow, 0);
    MS1->selectionModel()->setCurrentIndex(index, QItemSelectionModel::ClearAndSelect);
    MS1->scrollTo(index);
    silent_ = false;
}

void SpeciesList::onCurrentChanged(const QModelIndex &current, const QModelIndex &previous)
{
    if (silent_ || !current.isValid())
        return;
    // The selection shrinks to the name cell of the current row.
    if (current.column() != 0)
        setCurrentSilently(current.row());
    if (current.row() != previous.row())
        emit cellEntry();
}

void SpeciesList::onSelectionChanged()
{
    // The selection shrinks to the name cell of the current row.
    const QModelIndex current = MS1->selectionModel()->currentIndex();
    if (shrinking_ || !current.isValid())
        return;
    const QModelIndex name = model_->index(current.row(), 0);
    const QModelIndexList selected = MS1->selectionModel()->selectedIndexes();
    if (selected.size() == 1 && selected.front() == name)
        return;
    shrinking_ = true;
    MS1->selectionModel()->select(name, QItemSelectionModel::ClearAndSelect);
    shrinking_ = false;
}

void SpeciesList::onClicked(const QModelIndex &index)
{
    // A click that changed the row was already a cell entry; a click on the
    // current row shows its card again.
    if (index.isValid() && index.row() == pressRow_)
        emit cellEntry();
}

bool SpeciesList::isShown(int r) const
{
    return r >= 1 && r <= model_->rowCount() && model_->kept(r - 1);
}

int SpeciesList::shownRows() const
{
    int n = 0;
    for (int i = 0; i < model_->rowCount(); ++i)
        n += model_->kept(i);
    return n;
}

void SpeciesList::search()
{
    applySearch(false);
}

// Hides the rows that the query leaves out and shows the others. Only the
// rows whose state changes are touched, so each key costs what it changes.
void SpeciesList::applySearch(bool refilled)
{
    const QString query = speciessearch::foldQuery(recherche->text());
    if (!refilled && query == query_)
        return;
    query_ = query;
    const int n = model_->rowCount();
    // The keys are read and folded once per filling of the list, by the first
    // search that needs them: a list nobody searches costs nothing more.
    if (!query_.isEmpty() && keys_.size() != std::size_t(n))
        keys_ = searchKeys(
            cards::Database::inDirectory(platform::toPath(appDir_)).list(cards::kFormule),
            model_->rows());
    bool changed = false;
    for (int i = 0; i < n; ++i) {
        const bool keep = query_.isEmpty() || speciessearch::matches(keys_[std::size_t(i)], query_);
        model_->setKept(i, keep);
        // The grid's own state is the one compared: a refill of as many rows
        // leaves the rows it hid hidden.
        if (keep != MS1->isRowHidden(i))
            continue;
        // The grid is redrawn once, after the last row shown or hidden; a
        // refill that shows and hides nothing redraws only what changed.
        if (!changed)
            MS1->setUpdatesEnabled(false);
        MS1->setRowHidden(i, !keep);
        changed = true;
    }
    if (changed)
        MS1->setUpdatesEnabled(true);
    if (!changed || refilled)
        return;
    // The current species stays current, in view when shown: in the list as
    // laid out again for the rows now shown or hidden.
    MS1->doItemsLayout();
    const QModelIndex current = MS1->selectionModel()->currentIndex();
    if (current.isValid() && model_->kept(current.row()))
        MS1->scrollTo(current);
    else
        MS1->scrollToTop();
}

bool SpeciesList::showCurrent()
{
    if (row() < 1 || isShown(row()) || recherche->text().isEmpty())
        return false;
    recherche->clear();
    return true;
}

void SpeciesList::enterShownRow(bool last)
{
    for (int i = 0; i < model_->rowCount(); ++i) {
        const int r = last ? model_->rowCount() - i : i + 1;
        if (isShown(r)) {
            setRow(r, true);
            MS1->scrollTo(model_->index(r - 1, 0));
            return;
        }
    }
}

bool SpeciesList::eventFilter(QObject *watched, QEvent *event)
{
    if (event->type() == QEvent::KeyPress) {
        const int key = static_cast<QKeyEvent *>(event)->key();
        if (watched == recherche && key == Qt::Key_Escape && !recherche->text().isEmpty()) {
            recherche->clear();
            return true;
        }
        // Down goes from the field into the list, on the current species
        // when it is shown, else on the first one shown.
        if (watched == recherche && key == Qt::Key_Down) {
            MS1->setFocus(Qt::TabFocusReason);
            if (!isShown(row()))
                enterShownRow(false);
            return true;
        }
        // Home and End go to the first and the last species, not across the row.
        if (watched == MS1 && (key == Qt::Key_Home || key == Qt::Key_End)) {
            enterShownRow(key == Qt::Key_End);
            return true;
        }
    }
    if (watched == MS1->viewport()) {
        if (event->type() == QEvent::MouseButtonPress) {
            const QModelIndex current = MS1->selectionModel()->currentIndex();
            pressRow_ = current.isValid() ? current.row() : -1;
        } else if (event->type() == QEvent::MouseMove) {
            const auto *e = static_cast<QMouseEvent *>(event);
            // Dragging with the left button moves the current row.
            if (e->buttons() & Qt::LeftButton) {
                const int r = MS1->rowAt(int(e->position().y()));
                if (r >= 0 && r != row() - 1)
                    setRow(r + 1, true);
            }
        }
    }
    return QObject::eventFilter(watched, event);
}
