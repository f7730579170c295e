#include "symbol_list.h"

#include "ui/form.h"

#include <QGuiApplication>
#include <QHeaderView>
#include <QMouseEvent>
#include <QPainter>
#include <QStyledItemDelegate>

#include <algorithm>

namespace quoterra {

namespace {

constexpr int kDropHighlightRole = Qt::UserRole + 1;

// Rows get a little air, and the drop target a light wash of the selection
// colour, so it is told apart from the row being dragged.
class RowDelegate : public QStyledItemDelegate {
public:
    using QStyledItemDelegate::QStyledItemDelegate;

    QSize sizeHint(const QStyleOptionViewItem& option, const QModelIndex& index) const override
    {
        QSize size = QStyledItemDelegate::sizeHint(option, index);
        size.setHeight(std::max(size.height(), option.fontMetrics.height() + 6));
        return size;
    }

    void paint(QPainter* painter, const QStyleOptionViewItem& option, const QModelIndex& index) const override
    {
        if (index.siblingAtColumn(0).data(kDropHighlightRole).toBool()
            && !option.state.testFlag(QStyle::State_Selected)) {
            QColor wash = option.palette.color(QPalette::Highlight);
            wash.setAlpha(70);
            painter->fillRect(option.rect, wash);
        }
        QStyledItemDelegate::paint(painter, option, index);
    }
};

} // namespace

SymbolList::SymbolList(QWidget* parent)
    : QTreeWidget(parent)
    , dragIcon_(QStringLiteral(":/icons/drag-row.png"))
{
    setObjectName(QStringLiteral("lstSymbols"));
    setColumnCount(2);
    setHeaderLabels({QStringLiteral("Ticker Symbol"), QStringLiteral("Symbol Name")});
    // Neither column can be resized by the user.
    header()->setSectionResizeMode(QHeaderView::Fixed);
    header()->setStretchLastSection(false);
    header()->setSectionsMovable(false);
    header()->setSectionsClickable(false);
    header()->setDefaultAlignment(Qt::AlignLeft | Qt::AlignVCenter);
    setRootIsDecorated(false);
    setItemsExpandable(false);
    setUniformRowHeights(true);
    setAllColumnsShowFocus(true);
    setAlternatingRowColors(true);
    setSelectionBehavior(QAbstractItemView::SelectRows);
    setSelectionMode(QAbstractItemView::SingleSelection);
    setEditTriggers(QAbstractItemView::NoEditTriggers);
    // Rows scroll whole, one at a time, as the drag steps expect.
    setVerticalScrollMode(QAbstractItemView::ScrollPerItem);
    setItemDelegate(new RowDelegate(this));

    restingSteps_.setInterval(kRestingStepMs);
    connect(&restingSteps_, &QTimer::timeout, this, [this] { dragOver(dragHeight_); });
}

QTreeWidgetItem* SymbolList::row(int index) const
{
    return index >= 1 && index <= count() ? topLevelItem(index - 1) : nullptr;
}

QTreeWidgetItem* SymbolList::addRow(int index, const QString& symbol, const QString& name)
{
    auto* item = new QTreeWidgetItem(QStringList{symbol, name});
    item->setFlags(Qt::ItemIsSelectable | Qt::ItemIsEnabled);
    if (index < 1 || index > count())
        addTopLevelItem(item);
    else
        insertTopLevelItem(index - 1, item);
    return item;
}

void SymbolList::removeRow(int index)
{
    QTreeWidgetItem* item = row(index);
    if (!item)
        return;
    if (item == highlight_)
        highlight_ = nullptr;
    delete takeTopLevelItem(index - 1);
}

QTreeWidgetItem* SymbolList::selectedRow() const
{
    const QList<QTreeWidgetItem*> selected = selectedItems();
    return selected.isEmpty() ? nullptr : selected.last();
}

void SymbolList::selectRow(QTreeWidgetItem* item)
{
    const bool scrolls = hasAutoScroll();
    setAutoScroll(false);
    if (item) {
        setCurrentItem(item, 0, QItemSelectionModel::ClearAndSelect | QItemSelectionModel::Rows);
    } else {
        selectionModel()->clear();
    }
    setAutoScroll(scrolls);
}

QRectF SymbolList::rowTwips(const QTreeWidgetItem* item) const
{
    if (!item)
        return {};
    const QRect r = visualItemRect(item);
    const QPoint corner = viewport()->mapTo(this, r.topLeft());
    const Screen& s = screenOf(*this);
    return QRectF(s.twipsX(corner.x()), s.twipsY(corner.y()), s.twipsX(r.width()), s.twipsY(r.height()));
}

QTreeWidgetItem* SymbolList::rowAt(float xTwips, float yTwips) const
{
    const Screen& s = screenOf(*this);
    const QPoint at = viewport()->mapFrom(this, QPoint(s.pixelsX(xTwips), s.pixelsY(yTwips)));
    return viewport()->rect().contains(at) ? itemAt(at) : nullptr;
}

QTreeWidgetItem* SymbolList::firstVisibleRow() const
{
    return itemAt(QPoint(0, 0));
}

void SymbolList::setDropHighlight(QTreeWidgetItem* item)
{
    if (item == highlight_)
        return;
    if (highlight_)
        highlight_->setData(0, kDropHighlightRole, QVariant());
    highlight_ = item;
    if (highlight_)
        highlight_->setData(0, kDropHighlightRole, true);
}

void SymbolList::computeVisibleRows()
{
    const QTreeWidgetItem* first = row(1);
    if (!first)
        return;
    const QRectF r = rowTwips(first);
    const double ratio = r.height() > 0 ? (screenOf(*this).twipsY(height()) - r.top()) / r.height() : 0.0;
    // The whole part of the ratio as single precision writes it.
    const QString text = QString::number(float(ratio), 'g', 7) + u'.';
    VisibleRows = qint16(std::clamp(text.left(text.indexOf(u'.')).toInt(), 0, 32767));
}

QPointF SymbolList::twipsOf(QPoint viewportPos) const
{
    const QPoint p = viewport()->mapTo(this, viewportPos);
    const Screen& s = screenOf(*this);
    return QPointF(s.twipsX(p.x()), s.twipsY(p.y()));
}

void SymbolList::dragOver(float y)
{
    if (!dragging_)
        return;
    dragHeight_ = y;
    const QTreeWidgetItem* first = firstVisibleRow();
    const int total = count();
    if (total == 0 || !first)
        return;

    // Keep the pointer's height on the rows in sight.
    y = std::max(y, float(rowTwips(first).top()));
    const int span = std::min<int>(total, VisibleRows);
    if (const QTreeWidgetItem* last = row(indexOf(first) - 1 + span))
        y = std::min(y, float(rowTwips(last).top()));

    const float left = float(rowTwips(row(1)).left());
    QTreeWidgetItem* target = rowAt(left, y);
    if (!target)
        return;
    const int targetIndex = indexOf(target);
    scrollToItem(targetIndex == 1 ? target : row(targetIndex - 1), EnsureVisible);
    scrollToItem(targetIndex == total ? target : row(targetIndex + 1), EnsureVisible);

    const QTreeWidgetItem* selected = selectedRow();
    if (selected && draggedIndex_ != indexOf(selected)) {
        // One place toward the target per step.
        const int index = indexOf(selected);
        const QString symbol = selected->text(0);
        const QString name = selected->text(1);
        QTreeWidgetItem* moved = nullptr;
        if (targetIndex < index) {
            moved = addRow(index - 1, symbol, name);
            removeRow(index + 1);
        } else if (index == total) {
            // The last row stays last.
            moved = addRow(index, symbol, name);
            removeRow(index + 1);
        } else {
            moved = addRow(index + 2, symbol, name);
            removeRow(index);
        }
        selectRow(moved);
    }
    draggedIndex_ = targetIndex;
    setDropHighlight(rowAt(left, y));
}

void SymbolList::beginDrag()
{
    QTreeWidgetItem* selected = selectedRow();
    if (dragging_ || !selected || count() == 0)
        return;
    dragging_ = true;
    draggedIndex_ = indexOf(selected);
    QGuiApplication::setOverrideCursor(dragIcon_.isNull()
                                           ? QCursor(Qt::DragMoveCursor)
                                           : QCursor(dragIcon_, dragIcon_.width() / 2, dragIcon_.height() / 2));
}

void SymbolList::endDrag()
{
    if (!dragging_)
        return;
    dragging_ = false;
    restingSteps_.stop();
    QGuiApplication::restoreOverrideCursor();
    setDropHighlight(nullptr);
}

void SymbolList::mousePressEvent(QMouseEvent* event)
{
    if (dragging_)
        return;
    QTreeWidgetItem* under = itemAt(event->position().toPoint());
    selectRow(under);
    setDropHighlight(nullptr);
    setFocus(Qt::MouseFocusReason);
    emit pressed(event->button(), event->globalPosition().toPoint());
}

void SymbolList::mouseMoveEvent(QMouseEvent* event)
{
    if (event->buttons() != Qt::LeftButton)
        return;
    if (!dragging_) {
        beginDrag();
        return;
    }
    const QPoint at = event->position().toPoint();
    if (!rect().contains(viewport()->mapTo(this, at)))
        return;
    dragOver(float(twipsOf(at).y()));
    // Resting there, the steps go on by themselves.
    restingSteps_.start();
}

void SymbolList::mouseReleaseEvent(QMouseEvent* event)
{
    if (event->button() == Qt::LeftButton)
        endDrag();
}

void SymbolList::mouseDoubleClickEvent(QMouseEvent* event)
{
    if (event->button() != Qt::LeftButton)
        return;
    selectRow(itemAt(event->position().toPoint()));
    emit rowDoubleClicked();
}

void SymbolList::keyPressEvent(QKeyEvent* event)
{
    if (dragging_ && event->key() == Qt::Key_Escape) {
        endDrag();
        return;
    }
    QTreeWidget::keyPressEvent(event);
}

void SymbolList::keyReleaseEvent(QKeyEvent* event)
{
    if (event->key() == Qt::Key_Delete && !event->isAutoRepeat())
        emit deleteReleased();
    QTreeWidget::keyReleaseEvent(event);
}

} // namespace quoterra
