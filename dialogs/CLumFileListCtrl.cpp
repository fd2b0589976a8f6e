#include "dialogs/CLumFileListCtrl.h"

#include <QHeaderView>
#include <QHelpEvent>
#include <QMouseEvent>
#include <QPainter>
#include <QStyleOptionHeader>
#include <QStyledItemDelegate>
#include <QToolTip>
#include <algorithm>
#include <cstdio>

#include "dialogs/DialogUnits.h"
#include "recordings/LocalTime.h"
#include "recordings/RecordingTypes.h"
#include "views/Skin.h"

namespace lum {

namespace {

constexpr int kFontPixels = 12;
constexpr qsizetype kNameKeyStart = 4;
constexpr qsizetype kNameKeyLength = 13;

QString FromUtf8(std::string_view text) {
    return QString::fromUtf8(text.data(), static_cast<qsizetype>(text.size()));
}

// Unsigned 16-bit code units, no locale: the order the list has always shown.
int CompareCodeUnits(QStringView a, QStringView b) {
    const qsizetype n = std::min(a.size(), b.size());
    for (qsizetype i = 0; i < n; ++i) {
        const char16_t x = a[i].unicode();
        const char16_t y = b[i].unicode();
        if (x != y) {
            return x < y ? -1 : 1;
        }
    }
    if (a.size() == b.size()) {
        return 0;
    }
    return a.size() < b.size() ? -1 : 1;
}

QStringView NameKey(const QString& text) {
    if (text.size() <= kNameKeyStart) {
        return {};
    }
    return QStringView(text).sliced(kNameKeyStart,
                                    std::min(kNameKeyLength, text.size() - kNameKeyStart));
}

// Sorting compares through the list's own rule for the column being sorted.
class FileListItem : public QTreeWidgetItem {
  public:
    FileListItem() : QTreeWidgetItem(QTreeWidgetItem::UserType) {}
    bool operator<(const QTreeWidgetItem& other) const override {
        const int column = treeWidget() != nullptr ? treeWidget()->sortColumn() : 0;
        return CLumFileListCtrl::CompareCells(column, text(column), other.text(column)) < 0;
    }
};

// White on black, the current recording's row highlighted across all its cells,
// each cell outlined in dark grey.
class CellDelegate : public QStyledItemDelegate {
  public:
    using QStyledItemDelegate::QStyledItemDelegate;

    void paint(QPainter* painter, const QStyleOptionViewItem& option,
               const QModelIndex& index) const override {
        QStyleOptionViewItem cell(option);
        // The playing row is the only one shown highlighted; the rows selected for the
        // file commands are marked in a dark slate, which the highlight covers.
        const bool selected = (option.state & QStyle::State_Selected) != 0;
        cell.state &= ~(QStyle::State_Selected | QStyle::State_HasFocus);
        const bool highlighted =
            index.siblingAtColumn(0).data(CLumFileListCtrl::kDropHighlightRole).toBool();
        if (highlighted) {
            painter->fillRect(cell.rect, cell.palette.brush(QPalette::Active, QPalette::Highlight));
            cell.palette.setColor(QPalette::Text, cell.palette.color(QPalette::HighlightedText));
        } else if (selected) {
            painter->fillRect(cell.rect, QColor(0x34, 0x48, 0x5e));
        }
        QStyledItemDelegate::paint(painter, cell, index);

        // The outline starts one pixel left of the cell, over the neighbour's right edge.
        const QRect r = option.rect;
        const int left = r.left() - 1;
        const int right = r.right();
        const int top = r.top();
        const int bottom = r.bottom() + 1;
        painter->save();
        painter->setPen(QPen(QColor::fromRgb(CLumFileListCtrl::kBorderColour), 1));
        painter->drawLine(left, top, right, top);
        painter->drawLine(right, top, right, bottom);
        painter->drawLine(right, bottom, left, bottom);
        painter->drawLine(left, bottom, left, top);
        painter->restore();
    }
};

}  // namespace

// Paints the list's own sort marks instead of the header's indicator, which would flip
// itself on every click before the list has decided the direction. The mark is a small
// triangle above the middle of the text, so it takes no room from the text beside it.
class CLumFileListCtrl::Header : public QHeaderView {
  public:
    explicit Header(QWidget* parent) : QHeaderView(Qt::Horizontal, parent) {}

    void SetMark(int column, SortMark mark) {
        if (column < 0 || column >= kColumnCount) {
            return;
        }
        marks_[static_cast<std::size_t>(column)] = mark;
        viewport()->update();
    }

    SortMark PaintedMark(int column) const {
        return column >= 0 && column < kColumnCount ? marks_[static_cast<std::size_t>(column)]
                                                    : SortMark::None;
    }

  protected:
    void initStyleOptionForIndex(QStyleOptionHeader* option, int logicalIndex) const override {
        QHeaderView::initStyleOptionForIndex(option, logicalIndex);
        option->sortIndicator = QStyleOptionHeader::None;
    }

    void paintSection(QPainter* painter, const QRect& rect, int logicalIndex) const override {
        QHeaderView::paintSection(painter, rect, logicalIndex);
        const SortMark mark = PaintedMark(logicalIndex);
        if (mark == SortMark::None || !rect.isValid()) {
            return;
        }
        // 7 by 4 pixels; the down mark points down, the up mark up.
        const QPointF centre(rect.center().x() + 0.5, rect.top() + 1.0);
        const qreal tip = mark == SortMark::Down ? 4.0 : 0.0;
        const qreal base = 4.0 - tip;
        const QPointF corners[3] = {centre + QPointF(-3.5, base), centre + QPointF(3.5, base),
                                    centre + QPointF(0.0, tip)};
        painter->save();
        // The style may leave an empty clip region behind after drawing the section.
        painter->setClipRect(rect);
        painter->setRenderHint(QPainter::Antialiasing);
        painter->setPen(Qt::NoPen);
        painter->setBrush(palette().color(QPalette::ButtonText));
        painter->drawPolygon(corners, 3);
        painter->restore();
    }

  private:
    std::array<SortMark, kColumnCount> marks_{};
};

CLumFileListCtrl::CLumFileListCtrl(QWidget* parent)
    : CLumFileListCtrl(CLumSettings::Instance(), parent) {}

CLumFileListCtrl::CLumFileListCtrl(CLumSettings& settings, QWidget* parent)
    : QTreeWidget(parent), settings_(settings), header_(new Header(this)) {
    SetControlId(this, kControlId);
    setHeader(header_);
    setColumnCount(kColumnCount);
    setRootIsDecorated(false);
    setItemsExpandable(false);
    setUniformRowHeights(true);
    setAllColumnsShowFocus(true);
    setSelectionBehavior(QAbstractItemView::SelectRows);
    setSelectionMode(QAbstractItemView::ExtendedSelection);
    setSortingEnabled(false);
    setItemDelegate(new CellDelegate(this));

    QPalette colours = palette();
    colours.setColor(QPalette::Base, Qt::black);
    colours.setColor(QPalette::Text, Qt::white);
    setPalette(colours);
    setFont(GothicFont(kFontPixels));

    header_->setMinimumSectionSize(0);
    header_->setSectionsClickable(true);
    header_->setSectionsMovable(true);
    header_->setStretchLastSection(false);
    header_->setDefaultAlignment(Qt::AlignLeft | Qt::AlignVCenter);
    connect(header_, &QHeaderView::sectionClicked, this, &CLumFileListCtrl::OnHeaderClicked);

    ReLabel();
    SetUp();
}

void CLumFileListCtrl::SetUp() {
    setUpWidth_ = width();
    FitColumns();
    for (int c = 0; c < kColumnCount; ++c) {
        header_->SetMark(c, SortMark::None);
    }
    sortColumn_ = 0;
    sortAscending_ = false;
    header_->SetMark(0, SortMark::Down);
}

void CLumFileListCtrl::ReLabel() {
    QStringList labels;
    for (const int id : kHeaderStringIds) {
        labels << QString::fromStdString(settings_.LoadUiString(id));
    }
    setHeaderLabels(labels);
    for (int row = 0; row < topLevelItemCount(); ++row) {
        QTreeWidgetItem* item = topLevelItem(row);
        const QVariant kind = item->data(1, kKindStringIdRole);
        if (kind.isValid()) {
            item->setText(1, QString::fromStdString(settings_.LoadUiString(kind.toInt())));
        }
    }
    if (setUpWidth_ > 0) {
        FitColumns();
    }
}

void CLumFileListCtrl::FitColumns() {
    std::array<int, kColumnCount> widths{};
    for (std::size_t c = 0; c < widths.size(); ++c) {
        widths[c] = setUpWidth_ * kWidthPercent[c] / 100;
    }
    // What a header needs: its text and the style's margins (the sort mark sits above it).
    const auto headerNeed = [this](int column) {
        QStyleOptionHeader option;
        option.initFrom(header_);
        option.state |= QStyle::State_Horizontal;
        option.orientation = Qt::Horizontal;
        option.section = column;
        option.text = headerItem()->text(column);
        option.fontMetrics = header_->fontMetrics();
        return header_->style()
            ->sizeFromContents(QStyle::CT_HeaderSection, &option, QSize(), header_)
            .width();
    };
    // The name column keeps room for a name with the camera's date in front.
    const int nameNeed = std::max(
        headerNeed(0),
        fontMetrics().horizontalAdvance(QStringLiteral("[2016/05/17-14:03.27] S0517001.AVI")) +
            2 * style()->pixelMetric(QStyle::PM_FocusFrameHMargin) + 2);
    // Room the columns leave free beside a vertical scroll bar, then the name column's
    // room beyond its own need, go to a header that would be cut.
    int free = setUpWidth_ - 2 * frameWidth() - style()->pixelMetric(QStyle::PM_ScrollBarExtent) -
               (widths[0] + widths[1] + widths[2]);
    for (int c = 1; c < kColumnCount; ++c) {
        const auto i = static_cast<std::size_t>(c);
        int missing = std::max(0, headerNeed(c) - widths[i]);
        const int fromFree = std::clamp(missing, 0, std::max(0, free));
        free -= fromFree;
        missing -= fromFree;
        const int fromName = std::min(missing, std::max(0, widths[0] - nameNeed));
        widths[0] -= fromName;
        widths[i] += fromFree + fromName;
    }
    for (int c = 0; c < kColumnCount; ++c) {
        setColumnWidth(c, widths[static_cast<std::size_t>(c)]);
    }
}

CLumFileListCtrl::SortMark CLumFileListCtrl::HeaderSortMark(int column) const {
    return header_->PaintedMark(column);
}

int CLumFileListCtrl::ItemDataOf(int row) const {
    const QTreeWidgetItem* item = topLevelItem(row);
    return item != nullptr ? item->data(0, kItemDataRole).toInt() : -1;
}

int CLumFileListCtrl::RowOfItemData(int itemData) const {
    QTreeWidgetItem* item = ItemOfData(itemData);
    return item != nullptr ? indexOfTopLevelItem(item) : -1;
}

bool CLumFileListCtrl::IsDropHighlighted(int row) const {
    const QTreeWidgetItem* item = topLevelItem(row);
    return item != nullptr && item->data(0, kDropHighlightRole).toBool();
}

QString CLumFileListCtrl::NameText(std::string_view fileName, std::uint8_t hasSideText,
                                   std::int64_t startTime) {
    if (hasSideText != 1) {
        return FromUtf8(fileName);
    }
    LocalDateTime t{0, 0, 0, -1, -1, -1};
    if (const auto local = EpochToLocalDateTime(startTime)) {
        t = *local;
    }
    char prefix[96];
    std::snprintf(prefix, sizeof prefix, "[%d/%02d/%02d-%02d:%02d.%02d] ", t.year, t.month, t.day,
                  t.hour, t.minute, t.second);
    return QString::fromLatin1(prefix) + FromUtf8(fileName);
}

QString CLumFileListCtrl::SizeText(std::uint64_t fileSize) {
    return QStringLiteral(" %1 MB").arg(static_cast<qulonglong>(fileSize / 1048576));
}

int CLumFileListCtrl::CompareCells(int column, const QString& first, const QString& second) {
    if (column == 0) {
        return CompareCodeUnits(NameKey(first), NameKey(second));
    }
    return CompareCodeUnits(first, second);
}

int CLumFileListCtrl::AddRow(int entryIndex, std::string_view folder, std::string_view fileName,
                             std::uint64_t fileSize, std::uint8_t flags, std::uint8_t hasSideText,
                             std::int64_t startTime) {
    (void)folder;  // carried by the catalogue's interface, not shown
    auto* item = new FileListItem;
    item->setText(0, NameText(fileName, hasSideText, startTime));
    const int kind = KindStringId(KindOf(fileName, flags, hasSideText));
    item->setText(1, QString::fromStdString(settings_.LoadUiString(kind)));
    item->setData(1, kKindStringIdRole, kind);
    item->setText(2, SizeText(fileSize));
    item->setData(0, kItemDataRole, entryIndex);
    if (collectingRows_) {
        pendingRows_.append(item);
    } else {
        addTopLevelItem(item);
    }
    return 1;
}

void CLumFileListCtrl::BeginRows() {
    collectingRows_ = true;
}

void CLumFileListCtrl::EndRows() {
    collectingRows_ = false;
    addTopLevelItems(pendingRows_);
    pendingRows_.clear();
}

void CLumFileListCtrl::DeleteAllRows() {
    clear();
}

QTreeWidgetItem* CLumFileListCtrl::ItemOfData(int itemData) const {
    for (int row = 0; row < topLevelItemCount(); ++row) {
        QTreeWidgetItem* item = topLevelItem(row);
        if (item->data(0, kItemDataRole).toInt() == itemData) {
            return item;
        }
    }
    return nullptr;
}

void CLumFileListCtrl::SetDropHighlight(int row, bool on) {
    if (QTreeWidgetItem* item = ItemOfData(row)) {
        item->setData(0, kDropHighlightRole, on);
        // The role lives on the first cell but paints the whole row: repaint all of it.
        viewport()->update(visualItemRect(item));
    }
}

void CLumFileListCtrl::EnsureVisible(int row) {
    if (QTreeWidgetItem* item = ItemOfData(row)) {
        scrollToItem(item);
    }
}

void CLumFileListCtrl::mouseDoubleClickEvent(QMouseEvent* event) {
    QTreeWidget::mouseDoubleClickEvent(event);
    if (event->button() != Qt::LeftButton) {
        return;
    }
    const QTreeWidgetItem* item = itemAt(event->position().toPoint());
    emit PlayItem(item != nullptr ? item->data(0, kItemDataRole).toInt() : -1);
}

void CLumFileListCtrl::OnHeaderClicked(int column) {
    if (column < 0 || column >= kColumnCount) {
        return;
    }
    if (column != sortColumn_) {
        header_->SetMark(sortColumn_, SortMark::None);
        sortAscending_ = true;
        sortColumn_ = column;
    }
    emit SortList(column, sortAscending_);
    sortItems(column, sortAscending_ ? Qt::AscendingOrder : Qt::DescendingOrder);
    header_->SetMark(column, sortAscending_ ? SortMark::Down : SortMark::Up);
    sortAscending_ = !sortAscending_;
}

bool CLumFileListCtrl::viewportEvent(QEvent* event) {
    if (event->type() == QEvent::ToolTip && rowToolTip) {
        const auto* help = static_cast<QHelpEvent*>(event);
        const QTreeWidgetItem* item = itemAt(help->pos());
        const QString tip =
            item != nullptr ? rowToolTip(item->data(0, kItemDataRole).toInt()) : QString();
        if (tip.isEmpty()) {
            QToolTip::hideText();
        } else {
            QToolTip::showText(help->globalPos(), tip, viewport());
        }
        return true;
    }
    return QTreeWidget::viewportEvent(event);
}

}  // namespace lum
