#pragma once

#include <QPixmap>
#include <QTimer>
#include <QTreeWidget>

namespace quoterra {

// The Symbol Manager's list: two columns, rows counted from 1, places in
// twips in the list's own space (whose top holds the header). A row is
// dragged to a new place one step at a time: each step moves the selected row
// one place toward the row under the pointer, and resting on the first or
// last row in sight scrolls the list by one row a step.
class SymbolList : public QTreeWidget {
    Q_OBJECT
public:
    // While the pointer rests during a drag, a step comes this often.
    static constexpr int kRestingStepMs = 100;

    explicit SymbolList(QWidget* parent);

    int count() const { return topLevelItemCount(); }
    QTreeWidgetItem* row(int index) const;
    int indexOf(const QTreeWidgetItem* row) const
    {
        return row ? indexOfTopLevelItem(const_cast<QTreeWidgetItem*>(row)) + 1 : 0;
    }
    // Inserts at `index`, or at the end when it is 0 or past the end.
    QTreeWidgetItem* addRow(int index, const QString& symbol, const QString& name);
    void removeRow(int index);
    QTreeWidgetItem* selectedRow() const;
    // Selects and makes current without scrolling; nullptr selects nothing.
    void selectRow(QTreeWidgetItem* row);

    QRectF rowTwips(const QTreeWidgetItem* row) const;
    QTreeWidgetItem* rowAt(float xTwips, float yTwips) const;
    QTreeWidgetItem* firstVisibleRow() const;
    QTreeWidgetItem* dropHighlight() const { return highlight_; }
    void setDropHighlight(QTreeWidgetItem* row);

    // How many whole rows the list shows.
    qint16 VisibleRows = 0;
    void computeVisibleRows();

    bool dragging() const { return dragging_; }
    // One drag step with the pointer at `yTwips`.
    void dragOver(float yTwips);

signals:
    // A button went down: the row under the pointer is the selected one now.
    void pressed(Qt::MouseButton button, QPoint globalPos);
    void rowDoubleClicked();
    void deleteReleased();

protected:
    void mousePressEvent(QMouseEvent* event) override;
    void mouseMoveEvent(QMouseEvent* event) override;
    void mouseReleaseEvent(QMouseEvent* event) override;
    void mouseDoubleClickEvent(QMouseEvent* event) override;
    void keyPressEvent(QKeyEvent* event) override;
    void keyReleaseEvent(QKeyEvent* event) override;

private:
    QPointF twipsOf(QPoint viewportPos) const;
    void beginDrag();
    void endDrag();

    QTreeWidgetItem* highlight_ = nullptr;
    bool dragging_ = false;
    int draggedIndex_ = 0; // the row the last step aimed at
    float dragHeight_ = 0;
    QTimer restingSteps_;
    QPixmap dragIcon_;
};

} // namespace quoterra
