#pragma once

#include "form.h"

#include <QColor>
#include <QPixmap>
#include <QWidget>

class QAction;

namespace quoterra {

// A caption drawn over whatever lies beneath it (transparent background):
// "&&" shows one "&", a single "&" underlines the next character. With
// auto-size it fits its text; a right-justified one keeps its right edge.
class Label : public QWidget, public TwipsPlacement {
    Q_OBJECT
public:
    enum class Alignment { Left, Right };

    Label(QWidget* parent, const QString& name, const QString& caption = {});

    QString caption() const { return caption_; }
    void setCaption(const QString& caption);
    void setAutoSize(bool on);
    void setAlignment(Alignment alignment);
    void setWordWrap(bool on);
    QColor foreColor() const { return foreColor_; }
    void setForeColor(const QColor& color);
    void setFontSize(double points);
    // The text a reader sees, "&" marks resolved.
    QString displayedText() const;

protected:
    void paintEvent(QPaintEvent* event) override;
    void changeEvent(QEvent* event) override;

private:
    void fit();
    int flags() const;
    QString drawnCaption() const;

    QString caption_;
    QColor foreColor_;
    bool autoSize_ = false;
    bool wordWrap_ = false;
    Alignment alignment_ = Alignment::Left;
};

// A picture; with auto-size the box takes the picture's size.
class PictureBox : public QWidget, public TwipsPlacement {
    Q_OBJECT
public:
    PictureBox(QWidget* parent, const QString& name);

    QPixmap picture() const { return picture_; }
    void setPicture(const QPixmap& picture);
    void setAutoSize(bool on);

protected:
    void paintEvent(QPaintEvent* event) override;

private:
    QPixmap picture_;
    bool autoSize_ = false;
};

// One of the program's embedded pictures (":/skins/picChart.png") as drawn
// for the screen's device pixel ratio: its "@2x" or "@3x" set where there is
// one (the finest not above the ratio), else the picture itself, which Qt
// then enlarges.
QPixmap designPicture(const Screen& screen, const QString& path);

// Places one of Qt's own widgets in twips, on the screen of its window.
void placeTwips(QWidget* widget, float left, float top, float width, float height);

// One of Qt's own widgets that take (text, parent), named and placed.
template <class W>
W* make(QWidget* parent, const char* name, const QString& text, float left, float top, float width, float height)
{
    auto* widget = new W(text, parent);
    widget->setObjectName(QLatin1String(name));
    placeTwips(widget, left, top, width, height);
    return widget;
}

// A label in a box of the given size.
Label* label(QWidget* parent, const char* name, const QString& caption, float left, float top, float width,
             float height);
// A label that fits its text.
Label* label(QWidget* parent, const char* name, float left, float top, const QFont& font, const QString& caption = {});
// A picture in a box of the given size.
PictureBox* picture(QWidget* parent, const char* name, const QPixmap& pixmap, float left, float top, float width,
                    float height);
// A picture whose box takes its size.
PictureBox* picture(QWidget* parent, const char* name, float left, float top, const QPixmap& pixmap);

// A font by the name the windows were designed with. Arial is drawn with its
// metric twin Liberation Sans, and so is MS Sans Serif, whose nearest match
// on this desktop it is.
QFont designFont(const QString& family, double points, bool bold = false);

// A menu item's check mark: an unchecked item shows no box at all.
void setCheckMark(QAction* item, bool checked);

} // namespace quoterra
