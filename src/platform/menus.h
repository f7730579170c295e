#pragma once

#include <QObject>
#include <QString>

class QAction;
class QMenu;

namespace quoterra {

class Form;

// One item of a menu; an item with children is a (sub-)menu. A caption
// of "-" makes a separator line.
class MenuItem : public QObject {
    Q_OBJECT
public:
    MenuItem(Form* form, const QString& name, const QString& caption, MenuItem* parentMenu = nullptr);

    QString Name() const { return objectName(); }
    QString Caption() const { return caption_; }
    void setCaption(const QString& caption);
    bool Checked() const { return checked_; }
    void setChecked(bool on);
    bool Enabled() const;
    void setEnabled(bool on);
    bool Visible() const;
    void setVisible(bool on);

    bool isSeparator() const { return caption_ == QLatin1String("-"); }
    MenuItem* parentMenu() const { return parentMenu_; }
    const QList<MenuItem*>& items() const { return items_; }

    QAction* action() const { return action_; }
    // The drop-down of this item (made on first use).
    QMenu* qmenu();

    // Runs the item as a user's choice would.
    void trigger();

signals:
    void Click();
    // Just before the drop-down of this item opens.
    void AboutToShow();

private:
    QString caption_;
    bool checked_ = false;
    MenuItem* parentMenu_ = nullptr;
    QList<MenuItem*> items_;
    QAction* action_ = nullptr;
    QMenu* menu_ = nullptr;
};

} // namespace quoterra
