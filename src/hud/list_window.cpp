#include "hud/list_window.h"

#include <QAction>
#include <QApplication>
#include <QHeaderView>
#include <QKeyEvent>
#include <QMenuBar>
#include <QPainter>
#include <QScrollBar>
#include <QTableView>

#include "hud/find_dialog.h"
#include "platform/text/text_encoding.h"

namespace tnx::hud {

namespace {
// Every column at its default width.
constexpr QSize kDefaultSize(940, 440);

QString decode(std::string_view text) { return QString::fromStdString(text::windows1252ToUtf8(text)); }

bool numeric(int type) { return type != kColumnText; }

// The view keeps the keys that move through the list; any other key goes on
// to the window (and from there to the globe).
class ListView : public QTableView {
public:
    using QTableView::QTableView;

protected:
    void keyPressEvent(QKeyEvent* e) override {
        switch (e->key()) {
            case Qt::Key_Up:
            case Qt::Key_Down:
            case Qt::Key_PageUp:
            case Qt::Key_PageDown:
            case Qt::Key_Home:
            case Qt::Key_End: QTableView::keyPressEvent(e); break;
            default: e->ignore(); break;
        }
    }
    void keyboardSearch(const QString&) override {}
};
}  // namespace

// --- model ------------------------------------------------------------------------------

BrowserTableModel::BrowserTableModel(BrowserTable& table, QObject* parent) : QAbstractTableModel(parent), table_(table) {}

int BrowserTableModel::rowCount(const QModelIndex& parent) const { return parent.isValid() ? 0 : table_.rowCount(); }

int BrowserTableModel::columnCount(const QModelIndex& parent) const {
    return parent.isValid() ? 0 : std::max(table_.columnCount() - 1, 0);
}

QVariant BrowserTableModel::data(const QModelIndex& index, int role) const {
    if (!index.isValid() || index.row() >= table_.rowCount()) return {};
    const int column = index.column() + 1;
    if (role == Qt::DisplayRole) {
        if (index.column() == 0) return QString::number(index.row() + 1);
        return decode(table_.cellText(index.row(), column));
    }
    if (role == Qt::TextAlignmentRole) {
        const bool right = index.column() > 0 && numeric(table_.columnType(column));
        return int((right ? Qt::AlignRight : Qt::AlignLeft) | Qt::AlignVCenter);
    }
    return {};
}

QVariant BrowserTableModel::headerData(int section, Qt::Orientation orientation, int role) const {
    if (orientation != Qt::Horizontal || role != Qt::DisplayRole) return {};
    if (section == 0) return QStringLiteral("Rank");
    return decode(table_.columnName(section + 1));
}

void BrowserTableModel::reload() {
    beginResetModel();
    endResetModel();
}

// --- delegate ------------------------------------------------------------------------------

QString FittedRowDelegate::fit(const QFontMetrics& metrics, const QString& text, int available, int margin,
                               bool* shortened) {
    if (shortened) *shortened = false;
    if (text.isEmpty() || metrics.horizontalAdvance(text) + margin <= available) return text;
    const QString dots = QStringLiteral("...");
    const int dotsWidth = metrics.horizontalAdvance(dots);
    QString cut = text;
    while (cut.size() > 1 && metrics.horizontalAdvance(cut) + dotsWidth + margin > available) cut.chop(1);
    if (shortened) *shortened = true;
    return cut + dots;
}

void FittedRowDelegate::paint(QPainter* painter, const QStyleOptionViewItem& option, const QModelIndex& index) const {
    const bool selected = option.state & QStyle::State_Selected;
    painter->save();
    if (selected) painter->fillRect(option.rect, option.palette.highlight());
    painter->setFont(option.font);
    painter->setPen(selected ? QColor(Qt::white) : option.palette.text().color());
    const bool rank = index.column() == 0;
    const int margin = rank ? 4 : 12, inset = rank ? 2 : 6;
    bool shortened = false;
    const QString text = fit(option.fontMetrics, index.data(Qt::DisplayRole).toString(), option.rect.width(), margin,
                             &shortened);
    int align = Qt::AlignLeft;
    if (!rank && !shortened) align = index.data(Qt::TextAlignmentRole).toInt() & Qt::AlignHorizontal_Mask;
    const QRect r = option.rect.adjusted(inset, 0, -inset, 0);
    painter->drawText(r, align | Qt::AlignVCenter | Qt::TextSingleLine | Qt::TextDontClip, text);
    painter->restore();
}

// --- window -------------------------------------------------------------------------------

ListWindow::ListWindow(const BrowserWindowSetup& setup) : PlacedWindow(setup, kDefaultSize), table_(*setup.table) {
    auto* findAction = new QAction("Find", this);
    findAction->setObjectName(QString::number(kFindCommand));
    menuBar()->insertAction(toggleAction(), findAction);
    connect(findAction, &QAction::triggered, this, [this] { openFind(); });

    view_ = new ListView(this);
    view_->setObjectName(QString::number(kControlId));
    model_ = new BrowserTableModel(table_, view_);
    view_->setModel(model_);
    view_->setItemDelegate(new FittedRowDelegate(view_));
    view_->setSelectionBehavior(QAbstractItemView::SelectRows);
    view_->setSelectionMode(QAbstractItemView::SingleSelection);
    view_->setShowGrid(true);
    view_->setWordWrap(false);
    view_->setSortingEnabled(false);
    view_->verticalHeader()->hide();
    // Fixed row heights: the view never measures the rows it does not show.
    view_->verticalHeader()->setSectionResizeMode(QHeaderView::Fixed);
    view_->verticalHeader()->setDefaultSectionSize(view_->fontMetrics().height() + 6);
    view_->horizontalHeader()->setSectionsClickable(true);
    view_->horizontalHeader()->setStretchLastSection(false);
    view_->horizontalHeader()->setHighlightSections(false);
    setCentralWidget(view_);
    applyColumnWidths();

    connect(view_->horizontalHeader(), &QHeaderView::sectionClicked, this, [this](int c) { sortByColumn(c); });
    connect(view_->selectionModel(), &QItemSelectionModel::selectionChanged, this,
            [this](const QItemSelection& s, const QItemSelection& d) { selectionChanged(s, d); });
    connect(view_, &QAbstractItemView::clicked, this, [this](const QModelIndex& i) { rowClicked(i.row()); });
    // Sorted or filled through the panel: the view asks again.
    observer_ = table_.addObserver([this] {
        if (!quiet_) model_->reload();
    });
}

ListWindow::~ListWindow() {
    table_.removeObserver(observer_);
    find_.reset();
}

void ListWindow::applyColumnWidths() {
    const int columns = model_->columnCount();
    const auto& saved = this->saved();
    int maxWidth = 0;
    for (const win::Rect& s : screenAreas()) maxWidth = std::max(maxWidth, s.width());
    WindowGeometry none;
    for (int c = 0; c < columns; ++c)
        view_->setColumnWidth(c, (saved ? *saved : none).columnWidth(c, columns, maxWidth));
}

void ListWindow::storeGeometry() {
    std::array<int32_t, WindowGeometry::kColumns> widths{};
    const int columns = std::min(model_->columnCount(), WindowGeometry::kColumns);
    for (int c = 0; c < columns; ++c) widths[size_t(c)] = view_->columnWidth(c);
    storePlacement(widths);
}

void ListWindow::refreshColumns() {
    std::vector<int> widths;
    for (int c = 0; c < model_->columnCount(); ++c) widths.push_back(view_->columnWidth(c));
    model_->reload();
    for (int c = 0; c < int(widths.size()) && c < model_->columnCount(); ++c) view_->setColumnWidth(c, widths[size_t(c)]);
}

void ListWindow::sortByColumn(int column) {
    if (column < 0 || column >= model_->columnCount()) return;
    std::vector<int> rows;
    for (const QModelIndex& i : view_->selectionModel()->selectedRows()) rows.push_back(table_.rowOfPosition(i.row()));
    quiet_ = true;
    view_->clearSelection();
    table_.sort(column + 1, kSortToggle);
    model_->reload();
    view_->horizontalHeader()->setSortIndicatorShown(true);
    view_->horizontalHeader()->setSortIndicator(
        column, table_.sortDirection() == kSortAscending ? Qt::AscendingOrder : Qt::DescendingOrder);
    int first = -1;
    for (int row : rows) {
        const int p = table_.positionOfRow(row);
        if (p < 0) continue;
        view_->selectionModel()->select(model_->index(p, 0),
                                        QItemSelectionModel::Select | QItemSelectionModel::Rows);
        if (first < 0 || p < first) first = p;
        if (lastSelected_ >= 0) lastSelected_ = p;
        if (placedRow_ >= 0) placedRow_ = p;
    }
    if (first >= 0) view_->verticalScrollBar()->setValue(std::max(first - 1, 0));
    quiet_ = false;
}

void ListWindow::select(int row, int flag) {
    const int position = flag == 0 ? table_.positionOfRow(row - 1) : row;
    quiet_ = true;
    view_->clearSelection();
    if (position >= 0 && position < table_.rowCount()) {
        // Near the top: one row shows above it.
        view_->verticalScrollBar()->setValue(std::max(position - 1, 0));
        const QModelIndex index = model_->index(position, 0);
        view_->selectionModel()->setCurrentIndex(index, QItemSelectionModel::ClearAndSelect |
                                                            QItemSelectionModel::Rows);
        placedRow_ = position;
    } else {
        // Nothing found: the end of the list, no row.
        view_->verticalScrollBar()->setValue(view_->verticalScrollBar()->maximum());
        placedRow_ = -1;
    }
    lastSelected_ = -1;
    quiet_ = false;
}

void ListWindow::clearSelection() {
    quiet_ = true;
    view_->clearSelection();
    lastSelected_ = placedRow_ = -1;
    quiet_ = false;
}

void ListWindow::find(std::string_view text) { select(table_.find(2, text), 1); }

void ListWindow::selectionChanged(const QItemSelection& selected, const QItemSelection& deselected) {
    if (quiet_) return;
    for (const QModelIndex& i : deselected.indexes())
        if (i.column() == 0) itemChanged(i.row());
    for (const QModelIndex& i : selected.indexes())
        if (i.column() == 0) itemChanged(i.row());
}

void ListWindow::itemChanged(int position) {
    // The row placed from outside was never the user's pick.
    if (position >= 0 && position == placedRow_) {
        placedRow_ = -1;
        return;
    }
    placedRow_ = -1;
    if (position < 0 || position == lastSelected_) {
        lastSelected_ = -1;
        return;
    }
    lastSelected_ = position;
    if (setup().dispatch) setup().dispatch(kDispatchPick, int(setup().kind), table_.rowOfPosition(position) + 1);
}

void ListWindow::rowClicked(int position) {
    if (position < 0 || position != placedRow_) return;
    if (!view_->selectionModel()->isRowSelected(position, {})) return;
    placedRow_ = -1;
    lastSelected_ = position;
    if (setup().dispatch) setup().dispatch(kDispatchPick, int(setup().kind), table_.rowOfPosition(position) + 1);
}

void ListWindow::openFind() {
    if (!find_) find_ = std::make_unique<FindDialog>(setup().kind, [this](std::string_view t) { find(t); }, this);
    if (find_) find_->open();
}

void ListWindow::beforeHide() {
    if (find_) find_->close();
}

std::unique_ptr<BrowserWindow> makeListWindow(const BrowserWindowSetup& setup) {
    // Windows need the widgets' application (a viewer run by a plain GUI
    // application has none).
    if (!setup.table || !qobject_cast<QApplication*>(QCoreApplication::instance())) return nullptr;
    return std::make_unique<ListWindow>(setup);
}

}  // namespace tnx::hud
