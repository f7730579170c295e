#include "forms.h"

#include "menus.h"
#include "nested_wait.h"
#include "registry.h"
#include "screen.h"

#include <QAbstractButton>
#include <QCloseEvent>
#include <QCoreApplication>
#include <QHash>
#include <QMenu>
#include <QMenuBar>
#include <QMouseEvent>
#include <QTimer>

#include <cmath>

namespace quoterra {

namespace {

struct FormsState {
    QHash<QString, Forms::Factory> factories;
    QList<Form*> loaded;
    bool ending = false;
    bool quitWhenLastUnloaded = false;
};

FormsState& state()
{
    static FormsState s;
    return s;
}

void destroyWhenIdle(Form* form)
{
    QPointer<Form> guard(form);
    NestedWait::whenIdle([guard] { delete guard.data(); });
}

} // namespace

int vbButton(Qt::MouseButton button)
{
    switch (button) {
    case Qt::LeftButton: return vbLeftButton;
    case Qt::RightButton: return vbRightButton;
    case Qt::MiddleButton: return vbMiddleButton;
    default: return 0;
    }
}

int vbButtons(Qt::MouseButtons buttons)
{
    int result = 0;
    if (buttons & Qt::LeftButton) result |= vbLeftButton;
    if (buttons & Qt::RightButton) result |= vbRightButton;
    if (buttons & Qt::MiddleButton) result |= vbMiddleButton;
    return result;
}

int vbShift(Qt::KeyboardModifiers modifiers)
{
    int result = 0;
    if (modifiers & Qt::ShiftModifier) result |= vbShiftMask;
    if (modifiers & Qt::ControlModifier) result |= vbCtrlMask;
    if (modifiers & Qt::AltModifier) result |= vbAltMask;
    return result;
}

int vbKeyCode(int qtKey)
{
    switch (qtKey) {
    case Qt::Key_Return:
    case Qt::Key_Enter: return vbKeyReturn;
    case Qt::Key_Escape: return vbKeyEscape;
    case Qt::Key_Delete: return vbKeyDelete;
    case Qt::Key_Backspace: return 8;
    case Qt::Key_Tab: return 9;
    case Qt::Key_Space: return 32;
    case Qt::Key_Left: return 37;
    case Qt::Key_Up: return 38;
    case Qt::Key_Right: return 39;
    case Qt::Key_Down: return 40;
    case Qt::Key_Insert: return 45;
    default:
        if ((qtKey >= Qt::Key_0 && qtKey <= Qt::Key_9) || (qtKey >= Qt::Key_A && qtKey <= Qt::Key_Z))
            return qtKey;
        return 0;
    }
}

int pixelsX(double twips)
{
    return int(std::lround(twips / screen().twipsPerPixelX()));
}

int pixelsY(double twips)
{
    return int(std::lround(twips / screen().twipsPerPixelY()));
}

float twipsX(double pixels)
{
    return float(pixels * screen().twipsPerPixelX());
}

float twipsY(double pixels)
{
    return float(pixels * screen().twipsPerPixelY());
}

// ---- TwipsWidget ----------------------------------------------------------

TwipsWidget::TwipsWidget(QWidget* parent)
    : QWidget(parent)
{
    setMouseTracking(true);
}

void TwipsWidget::setLeft(float twips) { Move(twips); }
void TwipsWidget::setTop(float twips) { Move(left_, twips); }
void TwipsWidget::setWidth(float twips) { Move(left_, top_, twips); }
void TwipsWidget::setHeight(float twips) { Move(left_, top_, width_, twips); }

void TwipsWidget::Move(float left, std::optional<float> top, std::optional<float> width,
                       std::optional<float> height)
{
    left_ = left;
    if (top) top_ = *top;
    if (width) width_ = std::max(0.0f, *width);
    if (height) height_ = std::max(0.0f, *height);
    applyGeometry();
}

void TwipsWidget::applyGeometry()
{
    const QPoint pos = pixelOrigin() + QPoint(pixelsX(left_), pixelsY(top_));
    const QSize size(std::max(0, pixelsX(width_)), std::max(0, pixelsY(height_)));
    if (isWindow()) {
        // A window's place is its outer frame's; its size is its client area's.
        move(pos);
        resize(size);
    } else {
        setGeometry(QRect(pos, size));
    }
}

void TwipsWidget::adoptPixelSize(QSize size, bool keepRightEdge)
{
    const float right = left_ + width_;
    width_ = twipsX(size.width());
    height_ = twipsY(size.height());
    if (keepRightEdge)
        left_ = right - width_;
    applyGeometry();
}

void TwipsWidget::setMousePointer(int pointer)
{
    mousePointer_ = pointer;
    switch (pointer) {
    case vbHourglass: setCursor(Qt::WaitCursor); break;
    case vbArrow: setCursor(Qt::ArrowCursor); break;
    default: unsetCursor(); break;
    }
}

void TwipsWidget::setForeColor(const QColor& color)
{
    foreColor_ = color;
    QPalette p = palette();
    p.setColor(QPalette::WindowText, color);
    p.setColor(QPalette::Text, color);
    p.setColor(QPalette::ButtonText, color);
    setPalette(p);
    update();
}

void TwipsWidget::setFontSize(double points)
{
    QFont f = font();
    f.setPointSizeF(points);
    setFont(f);
}

void TwipsWidget::forwardEventsOf(QWidget* inner)
{
    inner->installEventFilter(this);
    inner->setMouseTracking(true);
}

bool TwipsWidget::dispatchMouse(QWidget* source, QMouseEvent* event)
{
    const QPoint local = source == this ? event->position().toPoint()
                                        : source->mapTo(this, event->position().toPoint());
    const float x = twipsX(local.x());
    const float y = twipsY(local.y());
    const int shift = vbShift(event->modifiers());
    Screen::EventCursor cursor(quoterra::screen(), event->globalPosition().toPoint());
    QPointer<TwipsWidget> self(this);

    switch (event->type()) {
    case QEvent::MouseButtonPress:
        pressedInside_ = true;
        doubleClicked_ = false;
        emit MouseDown(vbButton(event->button()), shift, x, y);
        break;
    case QEvent::MouseMove:
        emit MouseMove(vbButtons(event->buttons()), shift, x, y);
        break;
    case QEvent::MouseButtonRelease: {
        const bool click = event->button() == Qt::LeftButton && pressedInside_ && !doubleClicked_
            && rect().contains(local) && source == this;
        pressedInside_ = false;
        doubleClicked_ = false;
        emit MouseUp(vbButton(event->button()), shift, x, y);
        if (self && click)
            emit Click();
        break;
    }
    case QEvent::MouseButtonDblClick:
        doubleClicked_ = true;
        if (event->button() == Qt::LeftButton)
            emit DblClick();
        else
            emit MouseDown(vbButton(event->button()), shift, x, y);
        break;
    default:
        return false;
    }
    return true;
}

bool TwipsWidget::dispatchKey(QKeyEvent* event)
{
    if (event->isAutoRepeat())
        return false;
    emit KeyUp(vbKeyCode(event->key()), vbShift(event->modifiers()));
    return false;
}

void TwipsWidget::mousePressEvent(QMouseEvent* event) { dispatchMouse(this, event); }
void TwipsWidget::mouseMoveEvent(QMouseEvent* event) { dispatchMouse(this, event); }
void TwipsWidget::mouseReleaseEvent(QMouseEvent* event) { dispatchMouse(this, event); }
void TwipsWidget::mouseDoubleClickEvent(QMouseEvent* event) { dispatchMouse(this, event); }

void TwipsWidget::keyReleaseEvent(QKeyEvent* event)
{
    dispatchKey(event);
    QWidget::keyReleaseEvent(event);
}

bool TwipsWidget::eventFilter(QObject* watched, QEvent* event)
{
    auto* inner = qobject_cast<QWidget*>(watched);
    if (inner && inner != this) {
        switch (event->type()) {
        case QEvent::MouseButtonPress:
        case QEvent::MouseMove:
        case QEvent::MouseButtonRelease:
        case QEvent::MouseButtonDblClick:
            // The native widget still gets the event: forwarding only informs.
            dispatchMouse(inner, static_cast<QMouseEvent*>(event));
            break;
        case QEvent::KeyRelease:
            dispatchKey(static_cast<QKeyEvent*>(event));
            break;
        default:
            break;
        }
    }
    return QWidget::eventFilter(watched, event);
}

// ---- Control --------------------------------------------------------------

Control::Control(QWidget* container, const QString& name)
    : TwipsWidget(container)
{
    setObjectName(name);
    for (QWidget* w = container; w; w = w->parentWidget()) {
        if (auto* f = qobject_cast<Form*>(w)) {
            form_ = f;
            break;
        }
    }
    if (form_)
        form_->registerControl(this);
}

QPoint Control::pixelOrigin() const
{
    if (form_ && parentWidget() == form_)
        return QPoint(0, form_->clientOffsetY());
    return {};
}

// ---- Form -----------------------------------------------------------------

Form::Form(const QString& name, Kind kind)
    : TwipsWidget(nullptr)
{
    setObjectName(name);
    setWindowFlags(kind == Dialog ? (Qt::Dialog | Qt::WindowCloseButtonHint | Qt::WindowTitleHint)
                                  : Qt::Window);
    setAttribute(Qt::WA_DeleteOnClose, false);
}

Form::~Form()
{
    state().loaded.removeAll(this);
}

TwipsWidget* Form::control(const QString& name) const
{
    for (TwipsWidget* c : controls_) {
        if (c->Name() == name)
            return c;
    }
    return nullptr;
}

void Form::setBorderless(bool borderless)
{
    const bool wasVisible = isVisible();
    setWindowFlag(Qt::FramelessWindowHint, borderless);
    if (borderless)
        setWindowTitle(QString());
    applyGeometry();
    if (wasVisible)
        show();
}

void Form::setTopmost(bool topmost)
{
    if (this->topmost() == topmost)
        return;
    const bool wasVisible = isVisible();
    // Changing window flags hides a window; put it back where it was.
    setWindowFlag(Qt::WindowStaysOnTopHint, topmost);
    applyGeometry();
    if (wasVisible)
        show();
}

bool Form::loaded() const
{
    return Forms::isLoaded(this);
}

void Form::Show()
{
    if (!loaded() && !Forms::load(this))
        return;
    show();
    raise();
    activateWindow();
}

void Form::Unload()
{
    if (!loaded())
        return;
    int cancel = 0;
    Form_Unload(cancel);
    if (cancel || !loaded())
        return;
    finishUnload();
}

void Form::finishUnload()
{
    state().loaded.removeAll(this);
    for (QTimer* timer : findChildren<QTimer*>())
        timer->stop();
    hide();
    destroyWhenIdle(this);
    if (state().loaded.isEmpty() && state().quitWhenLastUnloaded) {
        RegistryStore::flushAll();
        QCoreApplication::quit();
    }
}

void Form::closeEvent(QCloseEvent* event)
{
    Unload();
    if (loaded())
        event->ignore();
    else
        event->accept();
}

void Form::showEvent(QShowEvent* event)
{
    TwipsWidget::showEvent(event);
    if (placed_)
        return;
    placed_ = true;
    // A dialog nobody placed opens in the middle of the work area.
    if (!(windowFlags() & Qt::FramelessWindowHint) && Left() == 0 && Top() == 0) {
        const QRect area = quoterra::screen().workArea();
        QSize frame = frameGeometry().size();
        if (frame.isEmpty())
            frame = size();
        const QPoint centre = area.center() - QPoint(frame.width() / 2, frame.height() / 2);
        Move(twipsX(centre.x()), twipsY(centre.y()));
    }
}

void Form::keyPressEvent(QKeyEvent* event)
{
    QWidget* target = nullptr;
    if (event->key() == Qt::Key_Return || event->key() == Qt::Key_Enter)
        target = defaultButton_;
    else if (event->key() == Qt::Key_Escape)
        target = cancelButton_;
    auto* button = qobject_cast<QAbstractButton*>(target);
    if (button && button->isVisible() && button->isEnabled()) {
        button->click();
        return;
    }
    TwipsWidget::keyPressEvent(event);
}

void Form::PopupMenu(MenuItem* menu, std::optional<QPoint> globalPos)
{
    if (!menu)
        return;
    menu->qmenu()->popup(globalPos.value_or(quoterra::screen().cursorPos()));
}

QMenuBar* Form::menuBar()
{
    if (!menuBar_) {
        menuBar_ = new QMenuBar(this);
        menuBar_->setNativeMenuBar(false);
        menuBar_->show();
    }
    return menuBar_;
}

void Form::addMenu(MenuItem* menu)
{
    menuBar()->addMenu(menu->qmenu());
    menuBar_->adjustSize();
    menuBar_->setGeometry(0, 0, std::max(width(), menuBar_->sizeHint().width()), menuBar_->sizeHint().height());
    for (TwipsWidget* c : controls_)
        c->applyGeometry();
}

int Form::clientOffsetY() const
{
    return menuBar_ ? menuBar_->sizeHint().height() : 0;
}

// ---- Forms ----------------------------------------------------------------

void Forms::registerForm(const QString& name, Factory factory)
{
    state().factories.insert(name, std::move(factory));
}

bool Forms::isRegistered(const QString& name)
{
    return state().factories.contains(name);
}

Form* Forms::find(const QString& name)
{
    for (Form* f : state().loaded) {
        if (f->Name() == name)
            return f;
    }
    return nullptr;
}

Form* Forms::load(const QString& name)
{
    if (Form* f = find(name))
        return f;
    const auto it = state().factories.constFind(name);
    if (it == state().factories.constEnd())
        return nullptr;
    return load((*it)());
}

Form* Forms::load(Form* form)
{
    if (!form)
        return nullptr;
    if (isLoaded(form))
        return form;
    state().loaded.append(form);
    QPointer<Form> guard(form);
    form->Form_Load();
    if (!guard || !isLoaded(guard))
        return nullptr;
    return form;
}

Form* Forms::show(const QString& name)
{
    Form* f = load(name);
    if (f)
        f->Show();
    return f;
}

void Forms::unload(const QString& name)
{
    if (Form* f = find(name))
        f->Unload();
}

bool Forms::isLoaded(const Form* form)
{
    for (const Form* f : state().loaded) {
        if (f == form)
            return true;
    }
    return false;
}

bool Forms::isLoaded(const QString& name)
{
    return find(name) != nullptr;
}

const QList<Form*>& Forms::loaded()
{
    return state().loaded;
}

void Forms::endApplication()
{
    state().ending = true;
    const QList<Form*> forms = state().loaded;
    state().loaded.clear();
    for (Form* f : forms) {
        for (QTimer* timer : f->findChildren<QTimer*>())
            timer->stop();
        f->hide();
        destroyWhenIdle(f);
    }
    RegistryStore::flushAll();
    if (state().quitWhenLastUnloaded) {
        QCoreApplication::exit(0);
        // An end asked for before the main loop runs (during start-up)
        // takes effect as soon as it does.
        QMetaObject::invokeMethod(QCoreApplication::instance(), &QCoreApplication::quit, Qt::QueuedConnection);
    }
}

bool Forms::ending()
{
    return state().ending;
}

void Forms::setQuitWhenLastUnloaded(bool quit)
{
    state().quitWhenLastUnloaded = quit;
}

void Forms::reset()
{
    const QList<Form*> forms = state().loaded;
    state().loaded.clear();
    for (Form* f : forms) {
        f->hide();
        delete f;
    }
    state().ending = false;
}

} // namespace quoterra
