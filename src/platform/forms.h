#pragma once

#include <QColor>
#include <QList>
#include <QPointer>
#include <QString>
#include <QWidget>

#include <functional>
#include <optional>

class QMenuBar;

namespace quoterra {

class Form;
class MenuItem;

// Mouse buttons, shift keys and pointers as event handlers see them.
enum { vbLeftButton = 1, vbRightButton = 2, vbMiddleButton = 4 };
enum { vbShiftMask = 1, vbCtrlMask = 2, vbAltMask = 4 };
enum { vbDefault = 0, vbArrow = 1, vbHourglass = 11 };
enum { vbKeyReturn = 13, vbKeyEscape = 27, vbKeyDelete = 46 };

int vbButton(Qt::MouseButton button);
int vbButtons(Qt::MouseButtons buttons);
int vbShift(Qt::KeyboardModifiers modifiers);
int vbKeyCode(int qtKey);

// Twips (1/1440 inch) to pixels and back, through the program's screen,
// asked afresh at every conversion. Nowhere else converts.
int pixelsX(double twips);
int pixelsY(double twips);
float twipsX(double pixels);
float twipsY(double pixels);

// A window or control whose geometry is kept in twips (single precision)
// and whose mouse and key events arrive as the program's handlers expect
// them: buttons 1/2/4, positions in twips relative to the receiver.
class TwipsWidget : public QWidget {
    Q_OBJECT
public:
    float Left() const { return left_; }
    float Top() const { return top_; }
    float Width() const { return width_; }
    float Height() const { return height_; }
    void setLeft(float twips);
    void setTop(float twips);
    void setWidth(float twips);
    void setHeight(float twips);
    void Move(float left, std::optional<float> top = {}, std::optional<float> width = {},
              std::optional<float> height = {});

    QString Name() const { return objectName(); }
    QString Tag;

    bool Visible() const { return !isHidden(); }

    QString ToolTipText() const { return toolTip(); }
    void setToolTipText(const QString& text) { setToolTip(text); }

    int MousePointer() const { return mousePointer_; }
    void setMousePointer(int pointer);

    QColor ForeColor() const { return foreColor_; }
    void setForeColor(const QColor& color);

    void setFontSize(double points);

    // Re-applies the twips geometry in pixels (after the screen changed).
    void applyGeometry();

signals:
    void MouseDown(int button, int shift, float x, float y);
    void MouseMove(int button, int shift, float x, float y);
    void MouseUp(int button, int shift, float x, float y);
    void Click();
    void DblClick();
    void KeyUp(int keyCode, int shift);

protected:
    explicit TwipsWidget(QWidget* parent);
    // Pixel geometry was set by layout (auto-size): keep twips in step.
    void adoptPixelSize(QSize size, bool keepRightEdge = false);
    // Mouse and key events of a native child widget count as this widget's.
    void forwardEventsOf(QWidget* inner);
    virtual QPoint pixelOrigin() const { return {}; }

    void mousePressEvent(QMouseEvent* event) override;
    void mouseMoveEvent(QMouseEvent* event) override;
    void mouseReleaseEvent(QMouseEvent* event) override;
    void mouseDoubleClickEvent(QMouseEvent* event) override;
    void keyReleaseEvent(QKeyEvent* event) override;
    bool eventFilter(QObject* watched, QEvent* event) override;

private:
    bool dispatchMouse(QWidget* source, QMouseEvent* event);
    bool dispatchKey(QKeyEvent* event);

    float left_ = 0, top_ = 0, width_ = 0, height_ = 0;
    int mousePointer_ = vbDefault;
    QColor foreColor_ = Qt::black;
    bool pressedInside_ = false;
    bool doubleClicked_ = false;
};

// A control on a form: a named child whose place is relative to its container.
class Control : public TwipsWidget {
    Q_OBJECT
public:
    Form* form() const { return form_; }

protected:
    Control(QWidget* container, const QString& name);
    QPoint pixelOrigin() const override;

private:
    Form* form_ = nullptr;
};

// A top-level window. Built (with its controls) by its constructor, loaded
// by Forms::load, which runs Form_Load; unloaded by Unload, which runs
// Form_Unload and then destroys the window once no handler is waiting.
class Form : public TwipsWidget {
    Q_OBJECT
public:
    enum Kind { Window, Dialog };

    ~Form() override;

    QString Caption() const { return windowTitle(); }
    void setCaption(const QString& caption) { setWindowTitle(caption); }

    void setBorderless(bool borderless);
    bool borderless() const { return windowFlags().testFlag(Qt::FramelessWindowHint); }
    void setTopmost(bool topmost);
    bool topmost() const { return windowFlags().testFlag(Qt::WindowStaysOnTopHint); }

    // Controls in the order they were made.
    const QList<TwipsWidget*>& Controls() const { return controls_; }
    TwipsWidget* control(const QString& name) const;

    // Loads the form when needed, then shows it (not modal).
    void Show();
    void Unload();
    bool loaded() const;

    // Pops a menu up at the cursor (or at `globalPos`); does not block.
    void PopupMenu(MenuItem* menu, std::optional<QPoint> globalPos = {});

    QMenuBar* menuBar();
    void addMenu(MenuItem* menu);

    // Offset of the client area below a menu bar, in pixels.
    int clientOffsetY() const;

    // Enter presses the default button, Escape the cancel button.
    void setDefaultButton(QWidget* button) { defaultButton_ = button; }
    void setCancelButton(QWidget* button) { cancelButton_ = button; }

protected:
    Form(const QString& name, Kind kind);

    virtual void Form_Load() {}
    // Set `cancel` to keep the form loaded.
    virtual void Form_Unload(int& cancel) { Q_UNUSED(cancel); }

    void closeEvent(QCloseEvent* event) override;
    void showEvent(QShowEvent* event) override;
    void keyPressEvent(QKeyEvent* event) override;

private:
    friend class Forms;
    friend class Control;
    void registerControl(TwipsWidget* control) { controls_.append(control); }
    void finishUnload();

    QList<TwipsWidget*> controls_;
    QMenuBar* menuBar_ = nullptr;
    QPointer<QWidget> defaultButton_;
    QPointer<QWidget> cancelButton_;
    bool placed_ = false;
};

// The application's forms: factories by name, and the list of loaded forms.
class Forms {
public:
    using Factory = std::function<Form*()>;

    static void registerForm(const QString& name, Factory factory);
    template <class F>
    static void registerForm(const QString& name)
    {
        registerForm(name, [] { return new F; });
    }
    static bool isRegistered(const QString& name);

    // Loaded form of that name, or nullptr; never loads.
    static Form* find(const QString& name);
    template <class F>
    static F* find()
    {
        for (Form* f : loaded()) {
            if (auto* typed = qobject_cast<F*>(f))
                return typed;
        }
        return nullptr;
    }
    // The loaded form of that name, loading it first when needed; nullptr
    // when no such form exists or its load unloaded it again.
    static Form* load(const QString& name);
    // Loads a form made elsewhere (runs its Form_Load).
    static Form* load(Form* form);
    static Form* show(const QString& name);
    static void unload(const QString& name);

    static bool isLoaded(const Form* form);
    static bool isLoaded(const QString& name);
    static const QList<Form*>& loaded();

    // Ends the program at once: windows close without their unload
    // handlers, settings reach the disk, the event loop stops.
    static void endApplication();
    static bool ending();

    // When set, unloading the last form ends the event loop (the program's
    // main sets it; tests leave it off).
    static void setQuitWhenLastUnloaded(bool quit);

    // Test support: forget every loaded form without running handlers.
    static void reset();
};

} // namespace quoterra
