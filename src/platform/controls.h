#pragma once

#include "forms.h"

#include <QPixmap>
#include <QTimer>

class QGroupBox;
class QLineEdit;
class QPlainTextEdit;
class QPushButton;
class QRadioButton;

namespace quoterra {

// A caption drawn over whatever lies beneath (transparent background).
// "&&" shows one "&"; a single "&" underlines the next character.
class Label : public Control {
    Q_OBJECT
public:
    enum Alignment { LeftJustify = 0, RightJustify = 1, Center = 2 };

    Label(QWidget* container, const QString& name, const QString& caption = {});

    QString Caption() const { return caption_; }
    void setCaption(const QString& caption);

    // Auto-size fits the label to its text; a right-justified label keeps
    // its right edge, the others their left edge.
    bool AutoSize() const { return autoSize_; }
    void setAutoSize(bool on);
    Alignment alignment() const { return alignment_; }
    void setAlignment(Alignment a);
    void setWordWrap(bool on);

    // What the label shows, with the "&" marks resolved.
    QString displayedText() const;

protected:
    void paintEvent(QPaintEvent* event) override;
    void changeEvent(QEvent* event) override;

private:
    void fit();

    QString caption_;
    bool autoSize_ = false;
    bool wordWrap_ = false;
    Alignment alignment_ = LeftJustify;
};

// A picture; with auto-size on, the box takes the picture's size.
class PictureBox : public Control {
    Q_OBJECT
public:
    PictureBox(QWidget* container, const QString& name);

    QPixmap Picture() const { return picture_; }
    void setPicture(const QPixmap& picture);
    bool AutoSize() const { return autoSize_; }
    void setAutoSize(bool on);
    // An empty box paints nothing, so what lies beneath shows.
    void setBackColor(const QColor& color);

protected:
    void paintEvent(QPaintEvent* event) override;

private:
    QPixmap picture_;
    QColor backColor_;
    bool autoSize_ = false;
};

class TextBox : public Control {
    Q_OBJECT
public:
    TextBox(QWidget* container, const QString& name, bool multiLine = false);

    QString Text() const;
    void setText(const QString& text);
    void setLocked(bool locked);
    void SetFocus();
    QWidget* editor() const;

signals:
    void Change();

private:
    QLineEdit* line_ = nullptr;
    QPlainTextEdit* multi_ = nullptr;
};

class CommandButton : public Control {
    Q_OBJECT
public:
    CommandButton(QWidget* container, const QString& name, const QString& caption);

    QString Caption() const;
    void setCaption(const QString& caption);
    // Enter presses the default button, Escape the cancel button.
    void setDefault(bool on);
    void setCancel(bool on);
    bool isCancel() const { return cancel_; }
    void SetFocus();
    QPushButton* button() const { return button_; }

private:
    QPushButton* button_;
    bool cancel_ = false;
};

class OptionButton : public Control {
    Q_OBJECT
public:
    OptionButton(QWidget* container, const QString& name, const QString& caption);

    bool Value() const;
    void setValue(bool on);
    QRadioButton* button() const { return button_; }

private:
    QRadioButton* button_;
};

// A captioned frame that holds other controls.
class Frame : public Control {
    Q_OBJECT
public:
    Frame(QWidget* container, const QString& name, const QString& caption);

    QString Caption() const;
    void setCaption(const QString& caption);

private:
    QGroupBox* box_;
};

// A timer with an interval in milliseconds that is switched on and off.
class Timer : public QObject {
    Q_OBJECT
public:
    Timer(QObject* owner, const QString& name, int intervalMs);

    bool Enabled() const { return timer_.isActive(); }
    void setEnabled(bool on);
    int Interval() const { return timer_.interval(); }
    void setInterval(int ms);

signals:
    void Tick();

private:
    QTimer timer_;
};

// A font by the name the windows were designed with. Arial is drawn with
// its metric twin Liberation Sans, and so is MS Sans Serif, whose nearest
// match on this desktop it is.
QFont vbFont(const QString& family, double points, bool bold = false);

// Runs pending window events (a transfer or a long step lets the window
// breathe); counted as a nested wait so nothing is destroyed under it.
void DoEvents();

} // namespace quoterra
