#include "listview.h"

#include "screen.h"

#include <QGuiApplication>
#include <QHeaderView>
#include <QMouseEvent>
#include <QPainter>
#include <QStyle>
#include <QStyledItemDelegate>
#include <QTreeWidget>

#include <algorithm>
#include <utility>

namespace quoterra {

namespace {

constexpr int kDropHighlightRole = Qt::UserRole + 0x4C56;

// Rows get a little air, and the drop target a light wash of the
// selection colour, so it is told apart from the row being dragged.
class ListDelegate : public QStyledItemDelegate {
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

// The header asks its list's window procedure before a column resize
// starts, and reports right clicks, the way a header control notifies
// its parent.
class ListHeader : public QHeaderView {
public:
    ListHeader(ListView* owner, QWidget* parent)
        : QHeaderView(Qt::Horizontal, parent)
        , owner_(owner)
    {
    }

    ListView* owner() const { return owner_; }

    // The column whose resize grip lies at `position` (viewport pixels),
    // found by the same rule the header itself uses; -1 when none.
    int gripAt(int position) const
    {
        int visual = visualIndexAt(position);
        if (visual == -1)
            return -1;
        const int logical = logicalIndex(visual);
        const int start = sectionViewportPosition(logical);
        const int grip = style()->pixelMetric(QStyle::PM_HeaderGripMargin, nullptr, this);
        bool atLeft = position < start + grip;
        bool atRight = position > start + sectionSize(logical) - grip;
        if (isRightToLeft())
            std::swap(atLeft, atRight);
        if (atLeft) {
            while (visual > -1) {
                const int before = logicalIndex(--visual);
                if (!isSectionHidden(before))
                    return before;
            }
        } else if (atRight) {
            return logical;
        }
        return -1;
    }

protected:
    void mousePressEvent(QMouseEvent* event) override
    {
        if (refusedResize(event))
            return;
        QHeaderView::mousePressEvent(event);
    }

    void mouseDoubleClickEvent(QMouseEvent* event) override
    {
        // A double click on a grip fits the column to its contents: a resize too.
        if (refusedResize(event))
            return;
        QHeaderView::mouseDoubleClickEvent(event);
    }

    void mouseReleaseEvent(QMouseEvent* event) override
    {
        QHeaderView::mouseReleaseEvent(event);
        if (event->button() == Qt::RightButton)
            owner_->notifyRightClick(event->globalPosition().toPoint());
    }

private:
    bool refusedResize(QMouseEvent* event)
    {
        if (event->button() != Qt::LeftButton)
            return false;
        const int column = gripAt(event->position().toPoint().x());
        if (column < 0 || sectionResizeMode(column) != Interactive)
            return false;
        if (owner_->notifyBeginTrack(column))
            return false;
        event->accept();
        return true;
    }

    ListView* owner_;
};

// ---- ListItem -------------------------------------------------------------

int ListItem::Index() const
{
    return item_ ? view_->tree_->indexOfTopLevelItem(item_) + 1 : 0;
}

QString ListItem::Text() const
{
    return item_ ? item_->text(0) : QString();
}

void ListItem::setText(const QString& text) const
{
    if (item_)
        item_->setText(0, text);
}

QString ListItem::SubItems(int index) const
{
    return item_ && index >= 1 ? item_->text(index) : QString();
}

void ListItem::setSubItems(int index, const QString& text) const
{
    if (item_ && index >= 1)
        item_->setText(index, text);
}

bool ListItem::Selected() const
{
    return item_ && item_->isSelected();
}

void ListItem::setSelected(bool on) const
{
    if (item_)
        item_->setSelected(on);
}

QRect ListItem::pixelRect() const
{
    if (!item_)
        return {};
    view_->syncGeometry();
    const QRect r = view_->tree_->visualItemRect(item_);
    return QRect(view_->tree_->viewport()->mapTo(view_, r.topLeft()), r.size());
}

float ListItem::Left() const { return twipsX(pixelRect().left()); }
float ListItem::Top() const { return twipsY(pixelRect().top()); }
float ListItem::Width() const { return twipsX(pixelRect().width()); }
float ListItem::Height() const { return twipsY(pixelRect().height()); }

void ListItem::EnsureVisible() const
{
    if (!item_)
        return;
    view_->syncGeometry();
    view_->tree_->scrollToItem(item_, QAbstractItemView::EnsureVisible);
}

// ---- ListView -------------------------------------------------------------

ListView::ListView(QWidget* container, const QString& name)
    : Control(container, name)
    , tree_(new QTreeWidget(this))
{
    header_ = new ListHeader(this, tree_);
    tree_->setHeader(header_);
    header_->setStretchLastSection(false);
    header_->setSectionsMovable(false);
    header_->setSectionsClickable(false);
    header_->setHighlightSections(false);
    header_->setDefaultAlignment(Qt::AlignLeft | Qt::AlignVCenter);

    tree_->setColumnCount(0);
    tree_->setRootIsDecorated(false);
    tree_->setItemsExpandable(false);
    tree_->setUniformRowHeights(true);
    tree_->setAllColumnsShowFocus(true);
    tree_->setSelectionBehavior(QAbstractItemView::SelectRows);
    tree_->setSelectionMode(QAbstractItemView::SingleSelection);
    tree_->setEditTriggers(QAbstractItemView::NoEditTriggers);
    tree_->setDragEnabled(false);
    // Rows scroll whole, one at a time, as the drag logic expects.
    tree_->setVerticalScrollMode(QAbstractItemView::ScrollPerItem);
    tree_->setTextElideMode(Qt::ElideRight);
    tree_->setItemDelegate(new ListDelegate(tree_));
    tree_->setGeometry(rect());

    forwardEventsOf(tree_->viewport());
    tree_->installEventFilter(this);

    hwnd_ = CreateWindowHandle(this, &ListView::listProc);
    headerHwnd_ = CreateWindowHandle(header_, &ListView::headerProc);

    connect(tree_, &QTreeWidget::itemClicked, this,
            [this](QTreeWidgetItem* item) { emit ItemClick(ListItem(this, item)); });
}

ListView::~ListView()
{
    // Nothing reaches the owner's handlers while the rows are torn down.
    tree_->disconnect(this);
    if (dragging_)
        QGuiApplication::restoreOverrideCursor();
    DestroyWindowHandle(headerHwnd_);
    DestroyWindowHandle(hwnd_);
}

QHeaderView* ListView::header() const
{
    return header_;
}

void ListView::addColumnHeader(const QString& text)
{
    const int column = tree_->columnCount();
    tree_->setColumnCount(column + 1);
    tree_->headerItem()->setText(column, text);
}

int ListView::columnCount() const
{
    return tree_->columnCount();
}

QString ListView::columnText(int column) const
{
    return tree_->headerItem()->text(column);
}

float ListView::ColumnWidth(int column) const
{
    return twipsX(tree_->columnWidth(column));
}

void ListView::setColumnWidth(int column, float twips)
{
    tree_->setColumnWidth(column, pixelsX(twips));
}

int ListView::Count() const
{
    return tree_->topLevelItemCount();
}

ListItem ListView::Item(int index) const
{
    if (index < 1 || index > Count())
        return {};
    return ListItem(this, tree_->topLevelItem(index - 1));
}

ListItem ListView::Add(int index, const QString& text)
{
    auto* item = new QTreeWidgetItem(QStringList{text});
    item->setFlags(Qt::ItemIsSelectable | Qt::ItemIsEnabled);
    const int count = Count();
    if (index < 1 || index > count)
        tree_->addTopLevelItem(item);
    else
        tree_->insertTopLevelItem(index - 1, item);
    return ListItem(this, item);
}

void ListView::Remove(int index)
{
    if (index < 1 || index > Count())
        return;
    QTreeWidgetItem* item = tree_->takeTopLevelItem(index - 1);
    if (item == dropItem_)
        dropItem_ = nullptr;
    delete item;
}

void ListView::Clear()
{
    dropItem_ = nullptr;
    tree_->clear();
}

ListItem ListView::SelectedItem() const
{
    QTreeWidgetItem* current = tree_->currentItem();
    if (current && current->isSelected())
        return ListItem(this, current);
    const QList<QTreeWidgetItem*> selected = tree_->selectedItems();
    return selected.isEmpty() ? ListItem() : ListItem(this, selected.first());
}

void ListView::setSelectedItem(const ListItem& item)
{
    const bool autoScroll = tree_->hasAutoScroll();
    tree_->setAutoScroll(false);
    if (!item) {
        tree_->selectionModel()->clear();
    } else {
        const auto command = multiSelect_ ? QItemSelectionModel::Select : QItemSelectionModel::ClearAndSelect;
        tree_->setCurrentItem(item.item_, 0, command | QItemSelectionModel::Rows);
    }
    tree_->setAutoScroll(autoScroll);
}

void ListView::setMultiSelect(bool on)
{
    multiSelect_ = on;
    tree_->setSelectionMode(on ? QAbstractItemView::ExtendedSelection : QAbstractItemView::SingleSelection);
}

ListItem ListView::HitTest(float x, float y) const
{
    syncGeometry();
    QWidget* viewport = tree_->viewport();
    const QPoint at = viewport->mapFrom(this, QPoint(pixelsX(x), pixelsY(y)));
    if (!viewport->rect().contains(at))
        return {};
    QTreeWidgetItem* item = tree_->itemAt(at);
    return item ? ListItem(this, item) : ListItem();
}

ListItem ListView::GetFirstVisible() const
{
    syncGeometry();
    QTreeWidgetItem* item = tree_->itemAt(QPoint(0, 0));
    return item ? ListItem(this, item) : ListItem();
}

ListItem ListView::DropHighlight() const
{
    return dropItem_ ? ListItem(this, dropItem_) : ListItem();
}

void ListView::setDropHighlight(const ListItem& item)
{
    if (item.item_ == dropItem_)
        return;
    if (dropItem_)
        dropItem_->setData(0, kDropHighlightRole, QVariant());
    dropItem_ = item.item_;
    if (dropItem_)
        dropItem_->setData(0, kDropHighlightRole, true);
}

void ListView::Drag(int action)
{
    if (action != vbBeginDrag) {
        finishDrag(action == vbEndDrag, lastDragPos_);
        return;
    }
    if (dragging_)
        return;
    dragging_ = true;
    dragInside_ = false;
    lastDragPos_ = mapFromGlobal(quoterra::screen().cursorPos());
    const QCursor cursor = dragIcon_.isNull()
        ? QCursor(Qt::DragMoveCursor)
        : QCursor(dragIcon_, dragIcon_.width() / 2, dragIcon_.height() / 2);
    QGuiApplication::setOverrideCursor(cursor);
}

void ListView::dragMoved(QPoint listPos)
{
    lastDragPos_ = listPos;
    const float x = twipsX(listPos.x());
    const float y = twipsY(listPos.y());
    if (rect().contains(listPos)) {
        const int state = dragInside_ ? vbOver : vbEnter;
        dragInside_ = true;
        emit DragOver(this, x, y, state);
    } else if (dragInside_) {
        dragInside_ = false;
        emit DragOver(this, x, y, vbLeave);
    }
}

void ListView::finishDrag(bool drop, QPoint listPos)
{
    if (!dragging_)
        return;
    dragging_ = false;
    dragInside_ = false;
    QGuiApplication::restoreOverrideCursor();
    if (!drop)
        return;
    const float x = twipsX(listPos.x());
    const float y = twipsY(listPos.y());
    if (rect().contains(listPos))
        emit DragDrop(this, x, y);
    else
        emit DropOutside(x, y);
}

QPoint ListView::toList(QWidget* from, QPoint pos) const
{
    return from->mapTo(this, pos);
}

void ListView::syncGeometry() const
{
    // A hidden control gets its resize event only when shown; rows are
    // measured before that (at load), so the tree follows at once.
    if (tree_->geometry() != rect())
        tree_->setGeometry(rect());
}

void ListView::resizeEvent(QResizeEvent* event)
{
    Control::resizeEvent(event);
    syncGeometry();
}

void ListView::mousePressEvent(QMouseEvent* event) { event->ignore(); }
void ListView::mouseMoveEvent(QMouseEvent* event) { event->ignore(); }
void ListView::mouseReleaseEvent(QMouseEvent* event) { event->ignore(); }
void ListView::mouseDoubleClickEvent(QMouseEvent* event) { event->ignore(); }
void ListView::keyReleaseEvent(QKeyEvent* event) { event->ignore(); }

bool ListView::eventFilter(QObject* watched, QEvent* event)
{
    QWidget* viewport = tree_->viewport();
    if (dragging_ && watched == viewport) {
        // While a manual drag runs the pointer belongs to the drag: the
        // tree must not move its selection, and no mouse events are raised.
        switch (event->type()) {
        case QEvent::MouseMove:
            dragMoved(toList(viewport, static_cast<QMouseEvent*>(event)->position().toPoint()));
            return true;
        case QEvent::MouseButtonRelease:
            finishDrag(true, toList(viewport, static_cast<QMouseEvent*>(event)->position().toPoint()));
            return true;
        case QEvent::MouseButtonPress:
        case QEvent::MouseButtonDblClick:
            return true;
        default:
            break;
        }
    }
    if (watched == tree_) {
        if (event->type() == QEvent::KeyPress && dragging_
            && static_cast<QKeyEvent*>(event)->key() == Qt::Key_Escape) {
            Drag(vbDragCancel);
            return true;
        }
        // Only its keys: its mouse events come through the viewport.
        if (event->type() != QEvent::KeyRelease)
            return false;
    }
    return Control::eventFilter(watched, event);
}

// ---- Window procedures ----------------------------------------------------

LRESULT ListView::listProc(HWND hwnd, UINT msg, WPARAM wParam, LPARAM lParam)
{
    auto* view = qobject_cast<ListView*>(WidgetFromHandle(hwnd));
    if (!view)
        return DefWindowProc(hwnd, msg, wParam, lParam);
    switch (msg) {
    case LVM_GETHEADER:
        return view->headerHwnd_;
    case WM_NOTIFY:
        // Header notifications: every resize is allowed unless a subclass
        // answers otherwise.
        return 0;
    default:
        return DefWindowProc(hwnd, msg, wParam, lParam);
    }
}

LRESULT ListView::headerProc(HWND hwnd, UINT msg, WPARAM wParam, LPARAM lParam)
{
    auto* header = dynamic_cast<ListHeader*>(WidgetFromHandle(hwnd));
    if (!header || msg != HDM_HITTEST || lParam == 0)
        return DefWindowProc(hwnd, msg, wParam, lParam);
    return header->owner()->headerHitTest(reinterpret_cast<HDHITTESTINFO*>(lParam));
}

int ListView::headerHitTest(HDHITTESTINFO* info) const
{
    const int x = info->pt.x;
    const int y = info->pt.y;
    info->flags = 0;
    info->iItem = -1;
    if (y < 0)
        info->flags |= HHT_ABOVE;
    if (y >= header_->height())
        info->flags |= HHT_BELOW;
    if (x < 0)
        info->flags |= HHT_TOLEFT;
    if (x >= header_->width())
        info->flags |= HHT_TORIGHT;
    if (info->flags != 0)
        return -1;
    const int column = header_->logicalIndexAt(x);
    if (column < 0) {
        info->flags = HHT_NOWHERE;
        return -1;
    }
    info->flags = header_->gripAt(x) >= 0 ? HHT_ONDIVIDER : HHT_ONHEADER;
    info->iItem = column;
    return column;
}

bool ListView::notifyBeginTrack(int column)
{
    NMHEADER notice;
    notice.hdr.hwndFrom = headerHwnd_;
    notice.hdr.idFrom = 0;
    notice.hdr.code = HDN_BEGINTRACKW;
    notice.iItem = column;
    notice.iButton = 0;
    return SendMessage(hwnd_, WM_NOTIFY, notice.hdr.idFrom, reinterpret_cast<LPARAM>(&notice)) == 0;
}

void ListView::notifyRightClick(QPoint globalPos)
{
    // Whoever asks for the cursor while this is handled gets the click's place.
    Screen::EventCursor cursor(quoterra::screen(), globalPos);
    NMHDR notice;
    notice.hwndFrom = headerHwnd_;
    notice.idFrom = 0;
    notice.code = NM_RCLICK;
    SendMessage(hwnd_, WM_NOTIFY, notice.idFrom, reinterpret_cast<LPARAM>(&notice));
}

} // namespace quoterra
