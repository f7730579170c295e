#pragma once

#include "forms.h"
#include "window_messages.h"

#include <QPixmap>

class QHeaderView;
class QTreeWidget;
class QTreeWidgetItem;

namespace quoterra {

class ListView;
class ListHeader;

// Manual dragging: what Drag does, and the state a DragOver reports.
enum { vbDragCancel = 0, vbBeginDrag = 1, vbEndDrag = 2 };
enum { vbEnter = 0, vbLeave = 1, vbOver = 2 };

// One row of a list view, held like a pointer (changing the row is a const
// operation on the handle): valid while the row exists.
// Indices count from 1; sub-item 1 is the text of the second column.
class ListItem {
public:
    ListItem() = default;
    explicit operator bool() const { return item_ != nullptr; }
    bool operator==(const ListItem& other) const { return item_ == other.item_; }

    int Index() const;
    QString Text() const;
    void setText(const QString& text) const;
    QString SubItems(int index) const;
    void setSubItems(int index, const QString& text) const;
    bool Selected() const;
    void setSelected(bool on) const;

    // The row's rectangle in the list's coordinates, in twips; rows
    // scrolled out of sight lie above or below the list.
    float Left() const;
    float Top() const;
    float Width() const;
    float Height() const;

    // Scrolls the list, as little as it can, until the row shows whole.
    void EnsureVisible() const;

private:
    friend class ListView;
    ListItem(const ListView* view, QTreeWidgetItem* item)
        : view_(view)
        , item_(item)
    {
    }
    QRect pixelRect() const;

    const ListView* view_ = nullptr;
    QTreeWidgetItem* item_ = nullptr;
};

// A list view in report view: column headers and rows of a text with
// sub-items. It has a window handle, and its header's notifications
// (begin-track before a column resize, right click) reach the handle's
// window procedure as WM_NOTIFY, so a subclass can answer them. The header
// has a handle of its own that answers HDM_HITTEST.
//
// Coordinates are twips in the list's own space, whose top holds the
// header. A manual drag (Drag) raises DragOver while the pointer moves and
// DragDrop when the button is released over the list.
class ListView : public Control {
    Q_OBJECT
public:
    ListView(QWidget* container, const QString& name);
    ~ListView() override;

    // Columns count from 0, as the header's notifications number them.
    void addColumnHeader(const QString& text);
    int columnCount() const;
    QString columnText(int column) const;
    float ColumnWidth(int column) const;
    void setColumnWidth(int column, float twips);

    int Count() const;
    // The row at `index`; an empty item when there is none.
    ListItem Item(int index) const;
    // Inserts a row at `index` (0 or one past the end: at the end) and
    // returns it. An index beyond that also appends.
    ListItem Add(int index = 0, const QString& text = {});
    void Remove(int index);
    void Clear();

    ListItem SelectedItem() const;
    // Selects the row and makes it current (with MultiSelect the others
    // stay selected); an empty item selects nothing. Never scrolls.
    void setSelectedItem(const ListItem& item);
    bool MultiSelect() const { return multiSelect_; }
    void setMultiSelect(bool on);

    ListItem HitTest(float x, float y) const;
    ListItem GetFirstVisible() const;

    ListItem DropHighlight() const;
    void setDropHighlight(const ListItem& item);

    QPixmap DragIcon() const { return dragIcon_; }
    void setDragIcon(const QPixmap& icon) { dragIcon_ = icon; }
    void Drag(int action = vbBeginDrag);
    bool isDragging() const { return dragging_; }

    HWND hWnd() const { return hwnd_; }
    HWND headerHWnd() const { return headerHwnd_; }

    QTreeWidget* tree() const { return tree_; }
    QHeaderView* header() const;

signals:
    void ItemClick(quoterra::ListItem item);
    void DragOver(quoterra::ListView* source, float x, float y, int state);
    void DragDrop(quoterra::ListView* source, float x, float y);
    // A manual drag ended with the button released away from the list.
    void DropOutside(float x, float y);

protected:
    bool eventFilter(QObject* watched, QEvent* event) override;
    void resizeEvent(QResizeEvent* event) override;
    // The tree's events were raised as the list's already (through the
    // filter); what the tree leaves unhandled must not be raised twice.
    void mousePressEvent(QMouseEvent* event) override;
    void mouseMoveEvent(QMouseEvent* event) override;
    void mouseReleaseEvent(QMouseEvent* event) override;
    void mouseDoubleClickEvent(QMouseEvent* event) override;
    void keyReleaseEvent(QKeyEvent* event) override;

private:
    friend class ListItem;
    friend class ListHeader;

    static LRESULT listProc(HWND hwnd, UINT msg, WPARAM wParam, LPARAM lParam);
    static LRESULT headerProc(HWND hwnd, UINT msg, WPARAM wParam, LPARAM lParam);
    int headerHitTest(HDHITTESTINFO* info) const;

    // Header events, turned into notifications; false refuses the resize.
    bool notifyBeginTrack(int column);
    void notifyRightClick(QPoint globalPos);

    // The tree fills the control even before the window was first shown.
    void syncGeometry() const;
    QPoint toList(QWidget* from, QPoint pos) const;
    void dragMoved(QPoint listPos);
    void finishDrag(bool drop, QPoint listPos);

    QTreeWidget* tree_;
    ListHeader* header_;
    HWND hwnd_ = 0;
    HWND headerHwnd_ = 0;
    bool multiSelect_ = false;
    QTreeWidgetItem* dropItem_ = nullptr;
    QPixmap dragIcon_;
    bool dragging_ = false;
    bool dragInside_ = false;
    QPoint lastDragPos_;
};

} // namespace quoterra
