// A list browser as a window ("City List", "Country And Entity List"): a
// table view over the browser table it shares with its HUD panel. The view
// holds no rows of its own; its model asks the table for the texts of the
// cells it shows (Windows-1252, decoded for display). Rows are drawn by a
// delegate that shortens a text too wide for its column with "..."; a
// header click sorts by that column; "Find" opens the search prompt and
// "TOGGLE" switches the browser back to its panel.
#pragma once

#include <QAbstractTableModel>
#include <QStyledItemDelegate>
#include <memory>

#include "hud/browser_table.h"
#include "hud/placed_window.h"

class QFontMetrics;
class QItemSelection;
class QTableView;

namespace tnx::hud {

// The table as the view sees it: column 0 is the rank (sorted position + 1),
// column k >= 1 the table's column k + 1.
class BrowserTableModel : public QAbstractTableModel {
public:
    explicit BrowserTableModel(BrowserTable& table, QObject* parent = nullptr);
    int rowCount(const QModelIndex& parent = {}) const override;
    int columnCount(const QModelIndex& parent = {}) const override;
    QVariant data(const QModelIndex& index, int role) const override;
    QVariant headerData(int section, Qt::Orientation orientation, int role) const override;
    // The rows changed underneath: everything is asked for again.
    void reload();
    BrowserTable& table() const { return table_; }

private:
    BrowserTable& table_;
};

// Draws a row's cells: selected rows on the highlight in white, each text
// single-line and vertically centred, shortened with "..." when it does not
// fit (then always left-aligned).
class FittedRowDelegate : public QStyledItemDelegate {
public:
    using QStyledItemDelegate::QStyledItemDelegate;
    void paint(QPainter* painter, const QStyleOptionViewItem& option, const QModelIndex& index) const override;

    // The text as it fits `available` pixels less `margin`: unchanged when
    // it does, else cut from the end (to one character at least) and
    // followed by "...". `shortened` tells which.
    static QString fit(const QFontMetrics& metrics, const QString& text, int available, int margin, bool* shortened);
};

class ListWindow : public PlacedWindow, public BrowserWindow {
public:
    static constexpr int kControlId = 2000;

    explicit ListWindow(const BrowserWindowSetup& setup);
    ~ListWindow() override;

    // BrowserWindow
    void show(bool on) override { showBrowser(on); }
    bool isShown() const override { return isVisible(); }
    void select(int row, int flag) override;
    void clearSelection() override;
    void find(std::string_view text) override;
    void setToggleEnabled(bool on) override { enableToggle(on); }
    void refreshColumns() override;
    void storeGeometry() override;

    QTableView* view() const { return view_; }
    BrowserTableModel* model() const { return model_; }
    FindPrompt* findPrompt() const { return find_.get(); }
    // A header click on view column `column`.
    void sortByColumn(int column);
    // The row the user selected last (-1 when none).
    int lastSelected() const { return lastSelected_; }

protected:
    void beforeHide() override;

private:
    void applyColumnWidths();
    void selectionChanged(const QItemSelection& selected, const QItemSelection& deselected);
    void itemChanged(int position);
    void rowClicked(int position);
    void openFind();

    BrowserTable& table_;
    BrowserTableModel* model_ = nullptr;
    QTableView* view_ = nullptr;
    std::unique_ptr<FindPrompt> find_;
    int observer_ = 0;
    int lastSelected_ = -1;
    // The row selected from outside (a find, a click on the globe): a click
    // on it picks it although its selection does not change.
    int placedRow_ = -1;
    bool quiet_ = false;
};

}  // namespace tnx::hud
