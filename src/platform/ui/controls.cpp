#include "controls.h"

#include <QAction>
#include <QEvent>
#include <QFile>
#include <QPainter>

#include <algorithm>
#include <climits>
#include <cmath>

namespace quoterra {

namespace {

// More than a window can show; a hostile answer may be a megabyte of text.
constexpr qsizetype kLongestDrawn = 1000;

} // namespace

// ---- Label ----------------------------------------------------------------

Label::Label(QWidget* parent, const QString& name, const QString& caption)
    : QWidget(parent)
    , TwipsPlacement(static_cast<QWidget&>(*this))
    , caption_(caption)
    , foreColor_(palette().color(QPalette::WindowText))
{
    setObjectName(name);
}

void Label::setCaption(const QString& caption)
{
    if (caption == caption_)
        return;
    caption_ = caption;
    fit();
    update();
}

void Label::setAutoSize(bool on)
{
    autoSize_ = on;
    fit();
}

void Label::setAlignment(Alignment alignment)
{
    alignment_ = alignment;
    fit();
    update();
}

void Label::setWordWrap(bool on)
{
    wordWrap_ = on;
    fit();
    update();
}

void Label::setForeColor(const QColor& color)
{
    if (color == foreColor_)
        return;
    foreColor_ = color;
    update();
}

void Label::setFontSize(double points)
{
    QFont f = font();
    f.setPointSizeF(points);
    setFont(f);
}

QString Label::displayedText() const
{
    QString out;
    out.reserve(caption_.size());
    for (qsizetype i = 0; i < caption_.size(); ++i) {
        if (caption_[i] == u'&' && i + 1 < caption_.size())
            ++i;
        out += caption_[i];
    }
    return out;
}

QString Label::drawnCaption() const
{
    return caption_.size() > kLongestDrawn ? caption_.left(kLongestDrawn) : caption_;
}

int Label::flags() const
{
    int f = Qt::TextShowMnemonic | Qt::AlignTop;
    f |= alignment_ == Alignment::Right ? Qt::AlignRight : Qt::AlignLeft;
    if (wordWrap_)
        f |= Qt::TextWordWrap;
    return f;
}

void Label::fit()
{
    if (!autoSize_)
        return;
    const QFontMetrics metrics(font());
    QSize size;
    if (wordWrap_) {
        const QRect r = metrics.boundingRect(QRect(0, 0, std::max(1, width()), INT_MAX), flags(), drawnCaption());
        size = QSize(width(), std::max(r.height(), metrics.height()));
    } else {
        size = metrics.size(Qt::TextShowMnemonic, drawnCaption());
        size.setHeight(std::max(size.height(), metrics.height()));
    }
    adoptPixelSize(size, alignment_ == Alignment::Right);
}

void Label::paintEvent(QPaintEvent*)
{
    QPainter painter(this);
    painter.setPen(foreColor_);
    painter.setFont(font());
    painter.drawText(rect(), flags(), drawnCaption());
}

void Label::changeEvent(QEvent* event)
{
    if (event->type() == QEvent::FontChange)
        fit();
    QWidget::changeEvent(event);
}

// ---- PictureBox -----------------------------------------------------------

PictureBox::PictureBox(QWidget* parent, const QString& name)
    : QWidget(parent)
    , TwipsPlacement(static_cast<QWidget&>(*this))
{
    setObjectName(name);
}

// A picture drawn for a finer screen covers as many logical pixels as the
// plain one.
void PictureBox::setPicture(const QPixmap& picture)
{
    picture_ = picture;
    if (autoSize_ && !picture_.isNull())
        adoptPixelSize(picture_.deviceIndependentSize().toSize());
    update();
}

void PictureBox::setAutoSize(bool on)
{
    autoSize_ = on;
    if (autoSize_ && !picture_.isNull())
        adoptPixelSize(picture_.deviceIndependentSize().toSize());
}

void PictureBox::paintEvent(QPaintEvent*)
{
    if (picture_.isNull())
        return;
    QPainter painter(this);
    painter.drawPixmap(0, 0, picture_);
}

// ---- helpers --------------------------------------------------------------

QPixmap designPicture(const Screen& screen, const QString& path)
{
    // Qt reads the ratio from the "@Nx" in the name, but never looks for
    // such a file by itself.
    const QString stem = path.endsWith(QLatin1String(".png")) ? path.chopped(4) : QString();
    for (int k = int(std::floor(screen.devicePixelRatio())); k >= 2 && !stem.isEmpty(); --k) {
        const QString finer = stem + QStringLiteral("@%1x.png").arg(k);
        if (QFile::exists(finer))
            return QPixmap(finer);
    }
    return QPixmap(path);
}

void placeTwips(QWidget* widget, float left, float top, float width, float height)
{
    const Screen& s = screenOf(*widget);
    widget->setGeometry(s.pixelsX(left), s.pixelsY(top), s.pixelsX(width), s.pixelsY(height));
}

Label* label(QWidget* parent, const char* name, const QString& caption, float left, float top, float width,
             float height)
{
    auto* l = new Label(parent, QLatin1String(name), caption);
    l->setGeometryTwips(left, top, width, height);
    return l;
}

Label* label(QWidget* parent, const char* name, float left, float top, const QFont& font, const QString& caption)
{
    auto* l = new Label(parent, QLatin1String(name), caption);
    l->setFont(font);
    l->moveTwips(left, top);
    l->setAutoSize(true);
    return l;
}

PictureBox* picture(QWidget* parent, const char* name, const QPixmap& pixmap, float left, float top, float width,
                    float height)
{
    auto* box = new PictureBox(parent, QLatin1String(name));
    box->setGeometryTwips(left, top, width, height);
    box->setPicture(pixmap);
    return box;
}

PictureBox* picture(QWidget* parent, const char* name, float left, float top, const QPixmap& pixmap)
{
    auto* box = new PictureBox(parent, QLatin1String(name));
    box->setAutoSize(true);
    box->moveTwips(left, top);
    box->setPicture(pixmap);
    return box;
}

QFont designFont(const QString& family, double points, bool bold)
{
    static const bool substituted = [] {
        QFont::insertSubstitution(QStringLiteral("Arial"), QStringLiteral("Liberation Sans"));
        QFont::insertSubstitution(QStringLiteral("MS Sans Serif"), QStringLiteral("Liberation Sans"));
        return true;
    }();
    Q_UNUSED(substituted);
    QFont font(family);
    font.setPointSizeF(points);
    font.setBold(bold);
    return font;
}

void setCheckMark(QAction* item, bool checked)
{
    item->setCheckable(checked);
    item->setChecked(checked);
}

} // namespace quoterra
