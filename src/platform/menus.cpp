#include "menus.h"

#include "forms.h"

#include <QAction>
#include <QMenu>

namespace quoterra {

MenuItem::MenuItem(Form* form, const QString& name, const QString& caption, MenuItem* parentMenu)
    : QObject(form)
    , caption_(caption)
    , parentMenu_(parentMenu)
{
    setObjectName(name);
    if (!parentMenu_) {
        qmenu();
        return;
    }
    parentMenu_->items_.append(this);
    QMenu* host = parentMenu_->qmenu();
    if (isSeparator()) {
        action_ = host->addSeparator();
        return;
    }
    action_ = host->addAction(caption_);
    action_->setObjectName(name);
    connect(action_, &QAction::triggered, this, [this] {
        // Checking is the handler's business, not the click's.
        if (action_->isCheckable())
            action_->setChecked(checked_);
        emit Click();
    });
}

QMenu* MenuItem::qmenu()
{
    if (menu_)
        return menu_;
    auto* owner = qobject_cast<QWidget*>(parent());
    menu_ = new QMenu(caption_, owner);
    menu_->setObjectName(objectName());
    connect(menu_, &QMenu::aboutToShow, this, &MenuItem::AboutToShow);
    QAction* replaced = action_;
    action_ = menu_->menuAction();
    action_->setText(caption_);
    if (replaced && parentMenu_) {
        // A plain item that gains children becomes a sub-menu in its place.
        QMenu* host = parentMenu_->qmenu();
        action_->setEnabled(replaced->isEnabled());
        action_->setVisible(replaced->isVisible());
        host->insertAction(replaced, action_);
        host->removeAction(replaced);
        delete replaced;
    }
    return menu_;
}

void MenuItem::setCaption(const QString& caption)
{
    caption_ = caption;
    if (action_ && !isSeparator())
        action_->setText(caption);
    if (menu_)
        menu_->setTitle(caption);
}

void MenuItem::setChecked(bool on)
{
    checked_ = on;
    if (!action_ || isSeparator())
        return;
    if (on)
        action_->setCheckable(true);
    if (action_->isCheckable())
        action_->setChecked(on);
}

bool MenuItem::Enabled() const
{
    return action_ ? action_->isEnabled() : true;
}

void MenuItem::setEnabled(bool on)
{
    if (action_)
        action_->setEnabled(on);
}

bool MenuItem::Visible() const
{
    return action_ ? action_->isVisible() : true;
}

void MenuItem::setVisible(bool on)
{
    if (action_)
        action_->setVisible(on);
}

void MenuItem::trigger()
{
    if (action_ && !isSeparator() && action_->isEnabled())
        action_->trigger();
}

} // namespace quoterra
