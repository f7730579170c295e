#pragma once

#include "core/screen.h"

#include <QDialog>
#include <QList>
#include <QObject>
#include <QPointer>
#include <QWidget>

#include <functional>

namespace quoterra {

class Form;

// The application's record of its loaded windows, and the screen they are
// laid out on. The program ends once no window is loaded, judged when the
// handler that unloaded the last one has finished: a handler that unloads a
// window and loads it again keeps the program running.
class FormRegistry : public QObject {
    Q_OBJECT
public:
    explicit FormRegistry(Screen& screen, QObject* parent = nullptr);
    ~FormRegistry() override;

    Screen& screen() const { return screen_; }

    bool isLoaded(const Form* form) const { return loaded_.contains(form); }
    const QList<Form*>& loaded() const { return loaded_; }

    // The program's main sets it; tests leave it off.
    void setQuitWhenNoneLoaded(bool quit) { quitWhenNoneLoaded_ = quit; }

    // Ends the program at once: the windows close without their unload
    // handlers.
    void endApplication();
    bool ending() const { return ending_; }

    // Whether the compositor moves the windows, from the same gestures: on
    // Wayland always, and under XWayland once its window manager has been
    // seen refusing the program's own moves.
    bool compositorMovesWindows() const { return moves_ == Moves::ByCompositor; }

signals:
    // The program is about to end: what must be saved, is saved now.
    void aboutToEnd();
    // The window manager left a window where it was when the program moved
    // it: from now on the compositor moves the windows.
    void movesRefused();

private:
    friend class Form;
    void add(Form* form);
    void remove(Form* form);
    void quitIfNoneLoaded();
    // A shown window was asked to go from `from` to `to` (its frame's
    // corner): under XWayland, until one move has told, looks shortly after
    // whether it went.
    void checkMove(QWidget& window, QPoint from, QPoint to);

    enum class Moves { ByProgram, Unchecked, ByCompositor };

    Screen& screen_;
    QList<Form*> loaded_;
    bool quitWhenNoneLoaded_ = false;
    bool ending_ = false;
    Moves moves_;
    // The move being checked: where the X server had the window, and where
    // it was and is now asked to be.
    QPointer<QWidget> checked_;
    QPoint checkedAt_, askedFrom_, askedTo_;
};

// The screen a widget's window is laid out on (96 dpi when it is on no
// window of the program).
const Screen& screenOf(const QWidget& widget);

// Where the compositor moves the windows (see FormRegistry) a drag is its:
// it moves `window` under the pointer until the button is let go. True when
// it took the drag over.
bool compositorMoves(QWidget& window);

// A window's place and size in twips, single precision as the layouts are
// written; the pixels follow from the screen of the window's registry.
class TwipsPlacement {
public:
    float leftTwips() const { return left_; }
    float topTwips() const { return top_; }
    float widthTwips() const { return width_; }
    float heightTwips() const { return height_; }
    void moveTwips(float left, float top);
    void setTopTwips(float top) { moveTwips(left_, top); }
    void setWidthTwips(float width) { setGeometryTwips(left_, top_, width, height_); }
    void setHeightTwips(float height) { setGeometryTwips(left_, top_, width_, height); }
    void setGeometryTwips(float left, float top, float width, float height);
    // Puts the pixels where the twips say (after the screen changed).
    void applyTwips();

protected:
    explicit TwipsPlacement(QWidget& widget)
        : widget_(widget)
    {
    }
    virtual ~TwipsPlacement() = default;
    const Screen& screen() const;
    // The window itself was just asked to go from `from` to `to`, in pixels.
    virtual void windowMoved(QPoint /*from*/, QPoint /*to*/) { }
    // The widget measured itself (auto-size): the twips follow the pixels.
    void adoptPixelSize(QSize size, bool keepRightEdge = false);

private:
    QWidget& widget_;
    float left_ = 0, top_ = 0, width_ = 0, height_ = 0;
};

// A window of the program: loaded (its onLoad restores its state), shown,
// and unloaded (its onUnload may keep it), then destroyed once every handler
// that was waiting under it has returned.
class Form : public TwipsPlacement {
public:
    ~Form() override;

    FormRegistry& registry() const { return registry_; }
    QWidget& widget() const { return widget_; }

    // Loads the window when needed; false when its load unloaded it again.
    bool load();
    // Loads when needed, then shows it (not modal) in front.
    bool loadAndShow();
    void unload();
    bool isLoaded() const { return registry_.isLoaded(this); }

    void setBorderless(bool borderless);
    void setTopmost(bool topmost);
    bool topmost() const { return widget_.windowFlags().testFlag(Qt::WindowStaysOnTopHint); }

protected:
    Form(FormRegistry& registry, QWidget& widget);
    virtual void onLoad() { }
    // Return false to stay loaded.
    virtual bool onUnload() { return true; }
    // From the widget's close and show events.
    void closed(QCloseEvent* event);
    void shown();
    // Sizes the window, which the user then cannot resize.
    void setFixedSizeTwips(float width, float height);
    void windowMoved(QPoint from, QPoint to) override;

private:
    // Changing window flags hid the window: back where it was.
    void putBack(bool visible);

    FormRegistry& registry_;
    QWidget& widget_;
    bool placed_ = false;
};

// A main window: the ticker, the chart browser, the Symbol Manager.
class Window : public QWidget, public Form {
    Q_OBJECT
public:
    explicit Window(FormRegistry& registry);

protected:
    void closeEvent(QCloseEvent* event) override { closed(event); }
    void showEvent(QShowEvent* event) override;
};

// A dialog: OK, Cancel and the close button unload it; Escape cancels.
class Dialog : public QDialog, public Form {
    Q_OBJECT
public:
    explicit Dialog(FormRegistry& registry);
    // Escape and the close button: leave without OK.
    void reject() override { unload(); }
    void setVisible(bool visible) override;

protected:
    void closeEvent(QCloseEvent* event) override { closed(event); }
    void showEvent(QShowEvent* event) override;
};

} // namespace quoterra

namespace quoterra {

// One window another window opens: made when first needed, made again once
// it has been unloaded (and so destroyed).
template <class F> class FormSlot {
public:
    using Make = std::function<F*()>;
    explicit FormSlot(Make make = {})
        : make_(std::move(make))
    {
    }
    // The window when it is loaded, else nullptr; never loads it.
    F* loaded() const { return widget_ && form_->isLoaded() ? form_ : nullptr; }
    // Loads it (not shown) when needed; nullptr when it cannot be made or its
    // load unloaded it again.
    F* load()
    {
        if (!widget_ || !form_->isLoaded()) {
            form_ = make_ ? make_() : nullptr;
            widget_ = form_ ? &form_->widget() : nullptr;
        }
        return form_ && form_->load() ? form_ : nullptr;
    }
    F* loadAndShow()
    {
        F* f = load();
        return f && f->loadAndShow() ? f : nullptr;
    }
    void unload()
    {
        if (F* f = loaded())
            f->unload();
    }

private:
    Make make_;
    F* form_ = nullptr;
    QPointer<QWidget> widget_;
};

} // namespace quoterra
