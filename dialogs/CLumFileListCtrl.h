// The recording list: one report-style row per recording with its name, kind and size,
// white on black with dark cell borders, sorted by header clicks.
#pragma once

#include <QString>
#include <QTreeWidget>
#include <array>
#include <cstdint>
#include <functional>
#include <string_view>

#include "catalogue/CatalogueViews.h"
#include "settings/CLumSettings.h"

namespace lum {

class CLumFileListCtrl : public QTreeWidget, public IFileListView {
    Q_OBJECT

  public:
    static constexpr int kControlId = 1027;
    static constexpr int kColumnCount = 3;
    static constexpr std::array<int, kColumnCount> kHeaderStringIds{122, 152, 120};
    static constexpr std::array<int, kColumnCount> kWidthPercent{55, 22, 16};
    // Item data of a row: the recording's catalogue index when it was added.
    static constexpr int kItemDataRole = Qt::UserRole;
    // Rows marked as the current recording.
    static constexpr int kDropHighlightRole = Qt::UserRole + 1;
    // The string id of the kind shown in column 1, so a language change can re-label it.
    static constexpr int kKindStringIdRole = Qt::UserRole + 2;
    // COLORREF 0x202020: the same grey in either byte order.
    static constexpr QRgb kBorderColour = 0x202020;

    enum class SortMark { None, Down, Up };

    // Texts through the process-wide settings object.
    explicit CLumFileListCtrl(QWidget* parent = nullptr);
    CLumFileListCtrl(CLumSettings& settings, QWidget* parent = nullptr);

    // Column widths from the list's current outer width; sort state back to column 0 with
    // the down mark and the next click on column 0 descending. Run once the list is placed.
    void SetUp();
    // Header texts and the kind of every row again in the current language, and the column
    // widths of set-up again for them; order and rows stay.
    void ReLabel();

    int SortColumn() const { return sortColumn_; }
    // The direction the next click on the sort column applies.
    bool SortAscending() const { return sortAscending_; }
    SortMark HeaderSortMark(int column) const;

    int RowCount() const { return topLevelItemCount(); }
    int ItemDataOf(int row) const;
    // Row position of the row with that item data, -1 when there is none.
    int RowOfItemData(int itemData) const;
    bool IsDropHighlighted(int row) const;

    // Cell texts of a recording.
    static QString NameText(std::string_view fileName, std::uint8_t hasSideText,
                            std::int64_t startTime);
    static QString SizeText(std::uint64_t fileSize);
    // The list's own order of two cell texts of a column: -1, 0 or 1.
    static int CompareCells(int column, const QString& first, const QString& second);

    // IFileListView
    int AddRow(int entryIndex, std::string_view folder, std::string_view fileName,
               std::uint64_t fileSize, std::uint8_t flags, std::uint8_t hasSideText,
               std::int64_t startTime) override;
    void DeleteAllRows() override;
    void BeginRows() override;
    void EndRows() override;
    // row: the item data of the row, since the list may have sorted itself.
    void SetDropHighlight(int row, bool on) override;
    void EnsureVisible(int row) override;

    // The tooltip of a row, asked when the pointer rests on it: the recording's catalogue
    // index in, the text out (empty: no tooltip).
    std::function<QString(int entryIndex)> rowToolTip;

  signals:
    // A double-click: the catalogue index of the row hit, -1 when no row was hit.
    void PlayItem(int entryIndex);
    // A header click, before the list sorts itself; ascending is the direction applied.
    void SortList(int column, bool ascending);

  protected:
    void mouseDoubleClickEvent(QMouseEvent* event) override;
    bool viewportEvent(QEvent* event) override;

  private:
    void OnHeaderClicked(int column);
    // The widths of set-up (55, 22 and 16 % of the outer width), except that a column whose
    // header would be cut, sort mark included, is widened at the cost of the name column.
    void FitColumns();
    QTreeWidgetItem* ItemOfData(int itemData) const;
    // Rows made between BeginRows and EndRows, added to the list in one step:
    // twenty thousand single inserts would hold the window for a second.
    QList<QTreeWidgetItem*> pendingRows_;
    bool collectingRows_ = false;

    CLumSettings& settings_;
    class Header;
    Header* header_;
    int sortColumn_ = 0;
    bool sortAscending_ = false;
    int setUpWidth_ = 0;
};

}  // namespace lum
