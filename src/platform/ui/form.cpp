#include "form.h"

#include "window_system.h"

#include <QCloseEvent>
#include <QCoreApplication>
#include <QTimer>
#include <QWindow>

#include <algorithm>

namespace quoterra {

namespace {

// Long enough for a window manager to have carried out a move it accepts.
constexpr int kMoveCheckMs = 300;

// Laid out for when a control is not (yet) on a window of ours.
class DesignScreen : public Screen {
public:
    int dpiX() const override { return 96; }
    int dpiY() const override { return 96; }
    QRect workArea() const override { return {}; }
    QPoint cursorPos() const override { return {}; }
};

} // namespace

// ---- FormRegistry ---------------------------------------------------------

FormRegistry::FormRegistry(Screen& screen, QObject* parent)
    : QObject(parent)
    , screen_(screen)
    , moves_(!programPlacesWindows() ? Moves::ByCompositor
                 : onXWayland()      ? Moves::Unchecked
                                     : Moves::ByProgram)
{
}

FormRegistry::~FormRegistry()
{
    // Windows still loaded go with the registry that knows them.
    const QList<Form*> left = loaded_;
    loaded_.clear();
    for (Form* form : left)
        delete &form->widget();
}

void FormRegistry::add(Form* form)
{
    if (!loaded_.contains(form))
        loaded_.append(form);
}

void FormRegistry::remove(Form* form)
{
    if (!loaded_.removeOne(form) || !loaded_.isEmpty() || !quitWhenNoneLoaded_)
        return;
    QMetaObject::invokeMethod(this, &FormRegistry::quitIfNoneLoaded, Qt::QueuedConnection);
}

void FormRegistry::quitIfNoneLoaded()
{
    if (loaded_.isEmpty() && !ending_) {
        ending_ = true;
        emit aboutToEnd();
        QCoreApplication::exit(0);
    }
}

void FormRegistry::checkMove(QWidget& window, QPoint from, QPoint to)
{
    if (moves_ != Moves::Unchecked)
        return;
    if (checked_) {
        // Later steps of the same drag: the window should be at the last.
        if (checked_ == &window)
            askedTo_ = to;
        return;
    }
    const std::optional<QPoint> at = xServerPosition(window);
    if (!at)
        return;
    checked_ = &window;
    checkedAt_ = *at;
    askedFrom_ = from;
    askedTo_ = to;
    QTimer::singleShot(kMoveCheckMs, this, [this] {
        const std::optional<QPoint> now = checked_ ? xServerPosition(*checked_) : std::nullopt;
        checked_ = nullptr;
        if (!now || moves_ != Moves::Unchecked)
            return;
        const QPoint asked = askedTo_ - askedFrom_;
        if (*now - checkedAt_ == asked) {
            moves_ = Moves::ByProgram;
        } else if (*now == checkedAt_ && asked.manhattanLength() >= 2) {
            // Left exactly where it was: the window manager refused.
            moves_ = Moves::ByCompositor;
            emit movesRefused();
        }
        // Anything else (a window still settling at its first place) tells
        // nothing: the next move is looked at again.
    });
}

void FormRegistry::endApplication()
{
    if (ending_)
        return;
    ending_ = true;
    emit aboutToEnd();
    const QList<Form*> forms = loaded_;
    loaded_.clear();
    for (Form* form : forms) {
        form->widget().hide();
        form->widget().deleteLater();
    }
    if (quitWhenNoneLoaded_) {
        QCoreApplication::exit(0);
        // An end asked for before the main loop runs (during start-up)
        // takes effect as soon as it does.
        QMetaObject::invokeMethod(QCoreApplication::instance(), &QCoreApplication::quit, Qt::QueuedConnection);
    }
}

// ---- TwipsPlacement -------------------------------------------------------

const Screen& screenOf(const QWidget& widget)
{
    static const DesignScreen design;
    if (const auto* form = dynamic_cast<const Form*>(widget.window()))
        return form->registry().screen();
    return design;
}

bool compositorMoves(QWidget& window)
{
    const auto* form = dynamic_cast<const Form*>(window.window());
    if (!form || !form->registry().compositorMovesWindows())
        return false;
    QWindow* handle = window.window()->windowHandle();
    return handle && handle->startSystemMove();
}

const Screen& TwipsPlacement::screen() const
{
    return screenOf(widget_);
}

void TwipsPlacement::moveTwips(float left, float top)
{
    setGeometryTwips(left, top, width_, height_);
}

void TwipsPlacement::setGeometryTwips(float left, float top, float width, float height)
{
    left_ = left;
    top_ = top;
    width_ = std::max(0.0f, width);
    height_ = std::max(0.0f, height);
    applyTwips();
}

void TwipsPlacement::applyTwips()
{
    const Screen& s = screen();
    const QPoint pos(s.pixelsX(left_), s.pixelsY(top_));
    const QSize size(std::max(0, s.pixelsX(width_)), std::max(0, s.pixelsY(height_)));
    if (widget_.isWindow()) {
        // A window's place is its outer frame's; its size is its client area's.
        const QPoint from = widget_.pos();
        widget_.move(pos);
        if (widget_.minimumSize() == widget_.maximumSize())
            widget_.setFixedSize(size);
        else
            widget_.resize(size);
        if (pos != from)
            windowMoved(from, pos);
    } else {
        widget_.setGeometry(QRect(pos, size));
    }
}

void TwipsPlacement::adoptPixelSize(QSize size, bool keepRightEdge)
{
    const float right = left_ + width_;
    width_ = screen().twipsX(size.width());
    height_ = screen().twipsY(size.height());
    if (keepRightEdge)
        left_ = right - width_;
    applyTwips();
}

// ---- Form -----------------------------------------------------------------

Form::Form(FormRegistry& registry, QWidget& widget)
    : TwipsPlacement(widget)
    , registry_(registry)
    , widget_(widget)
{
}

Form::~Form()
{
    registry_.remove(this);
}

bool Form::load()
{
    if (isLoaded())
        return true;
    if (registry_.ending())
        return false;
    registry_.add(this);
    onLoad();
    return isLoaded();
}

bool Form::loadAndShow()
{
    if (!load())
        return false;
    widget_.show();
    widget_.raise();
    widget_.activateWindow();
    return true;
}

void Form::unload()
{
    if (!isLoaded() || !onUnload() || !isLoaded())
        return;
    widget_.hide();
    registry_.remove(this);
    // Handlers below a nested wait (a transfer, a message box) may still be
    // on this window: Qt deletes it once they have all returned.
    widget_.deleteLater();
}

void Form::setBorderless(bool borderless)
{
    const bool visible = widget_.isVisible();
    widget_.setWindowFlag(Qt::FramelessWindowHint, borderless);
    if (borderless)
        widget_.setWindowTitle(QString());
    putBack(visible);
}

void Form::setTopmost(bool topmost)
{
    if (this->topmost() == topmost)
        return;
    const bool visible = widget_.isVisible();
    widget_.setWindowFlag(Qt::WindowStaysOnTopHint, topmost);
    putBack(visible);
}

void Form::putBack(bool visible)
{
    applyTwips();
    if (visible)
        widget_.show();
}

void Form::windowMoved(QPoint from, QPoint to)
{
    if (widget_.isVisible())
        registry_.checkMove(widget_, from, to);
}

void Form::setFixedSizeTwips(float width, float height)
{
    setGeometryTwips(leftTwips(), topTwips(), width, height);
    widget_.setFixedSize(widget_.size());
}

void Form::closed(QCloseEvent* event)
{
    unload();
    if (isLoaded())
        event->ignore();
    else
        event->accept();
}

void Form::shown()
{
    if (placed_)
        return;
    placed_ = true;
    // A framed window nobody placed opens in the middle of the work area.
    if (widget_.windowFlags().testFlag(Qt::FramelessWindowHint) || leftTwips() != 0 || topTwips() != 0)
        return;
    const QRect area = registry_.screen().workArea();
    QSize frame = widget_.frameGeometry().size();
    if (frame.isEmpty())
        frame = widget_.size();
    const QPoint corner = area.center() - QPoint(frame.width() / 2, frame.height() / 2);
    moveTwips(registry_.screen().twipsX(corner.x()), registry_.screen().twipsY(corner.y()));
}

// ---- Window and Dialog ----------------------------------------------------

Window::Window(FormRegistry& registry)
    : QWidget(nullptr, Qt::Window)
    , Form(registry, *this)
{
}

void Window::showEvent(QShowEvent* event)
{
    QWidget::showEvent(event);
    shown();
}

Dialog::Dialog(FormRegistry& registry)
    : QDialog(nullptr, Qt::Dialog | Qt::WindowCloseButtonHint | Qt::WindowTitleHint)
    , Form(registry, *this)
{
}

void Dialog::setVisible(bool visible)
{
    // Laid out for one size, and so told before the window manager first
    // sees it: it offers no resizing and no maximising (and, where it
    // follows the window's hints, no minimising).
    if (visible)
        setFixedSize(size());
    QDialog::setVisible(visible);
}

void Dialog::showEvent(QShowEvent* event)
{
    QDialog::showEvent(event);
    shown();
}

} // namespace quoterra
