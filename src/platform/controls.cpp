#include "controls.h"

#include "nested_wait.h"

#include <QButtonGroup>
#include <QCoreApplication>
#include <QGroupBox>
#include <QHBoxLayout>
#include <QLineEdit>
#include <QPainter>
#include <QPlainTextEdit>
#include <QPushButton>
#include <QRadioButton>

#include <climits>

namespace quoterra {

namespace {

void fill(QWidget* host, QWidget* inner)
{
    auto* layout = new QHBoxLayout(host);
    layout->setContentsMargins(0, 0, 0, 0);
    layout->setSpacing(0);
    layout->addWidget(inner);
}

int labelFlags(Label::Alignment alignment, bool wordWrap)
{
    int flags = Qt::TextShowMnemonic | Qt::AlignTop;
    switch (alignment) {
    case Label::RightJustify: flags |= Qt::AlignRight; break;
    case Label::Center: flags |= Qt::AlignHCenter; break;
    default: flags |= Qt::AlignLeft; break;
    }
    if (wordWrap)
        flags |= Qt::TextWordWrap;
    return flags;
}

} // namespace

// ---- Label ----------------------------------------------------------------

Label::Label(QWidget* container, const QString& name, const QString& caption)
    : Control(container, name)
    , caption_(caption)
{
    setForeColor(palette().color(QPalette::WindowText));
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

void Label::setAlignment(Alignment a)
{
    alignment_ = a;
    fit();
    update();
}

void Label::setWordWrap(bool on)
{
    wordWrap_ = on;
    fit();
    update();
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

void Label::fit()
{
    if (!autoSize_)
        return;
    const QFontMetrics metrics(font());
    QSize size;
    if (wordWrap_) {
        const QRect r = metrics.boundingRect(QRect(0, 0, std::max(1, width()), INT_MAX),
                                             labelFlags(alignment_, true), caption_);
        size = QSize(width(), std::max(r.height(), metrics.height()));
    } else {
        size = metrics.size(Qt::TextShowMnemonic, caption_);
        size.setHeight(std::max(size.height(), metrics.height()));
    }
    adoptPixelSize(size, alignment_ == RightJustify);
}

void Label::paintEvent(QPaintEvent*)
{
    QPainter painter(this);
    painter.setPen(ForeColor());
    painter.setFont(font());
    painter.drawText(rect(), labelFlags(alignment_, wordWrap_), caption_);
}

void Label::changeEvent(QEvent* event)
{
    if (event->type() == QEvent::FontChange)
        fit();
    Control::changeEvent(event);
}

// ---- PictureBox -----------------------------------------------------------

PictureBox::PictureBox(QWidget* container, const QString& name)
    : Control(container, name)
{
}

void PictureBox::setPicture(const QPixmap& picture)
{
    picture_ = picture;
    if (autoSize_ && !picture_.isNull())
        adoptPixelSize(picture_.size());
    update();
}

void PictureBox::setAutoSize(bool on)
{
    autoSize_ = on;
    if (autoSize_ && !picture_.isNull())
        adoptPixelSize(picture_.size());
}

void PictureBox::setBackColor(const QColor& color)
{
    backColor_ = color;
    update();
}

void PictureBox::paintEvent(QPaintEvent*)
{
    QPainter painter(this);
    if (backColor_.isValid())
        painter.fillRect(rect(), backColor_);
    if (!picture_.isNull())
        painter.drawPixmap(0, 0, picture_);
}

// ---- TextBox --------------------------------------------------------------

TextBox::TextBox(QWidget* container, const QString& name, bool multiLine)
    : Control(container, name)
{
    if (multiLine) {
        multi_ = new QPlainTextEdit(this);
        fill(this, multi_);
        forwardEventsOf(multi_);
        forwardEventsOf(multi_->viewport());
        connect(multi_, &QPlainTextEdit::textChanged, this, &TextBox::Change);
    } else {
        line_ = new QLineEdit(this);
        fill(this, line_);
        forwardEventsOf(line_);
        connect(line_, &QLineEdit::textChanged, this, &TextBox::Change);
    }
}

QWidget* TextBox::editor() const
{
    return line_ ? static_cast<QWidget*>(line_) : static_cast<QWidget*>(multi_);
}

QString TextBox::Text() const
{
    if (line_)
        return line_->text();
    // Lines of a multi-line box end with CR LF, as the texts put in them do.
    QString text = multi_->toPlainText();
    text.replace(QLatin1String("\n"), QLatin1String("\r\n"));
    return text;
}

void TextBox::setText(const QString& text)
{
    if (line_)
        line_->setText(text);
    else
        multi_->setPlainText(text);
}

void TextBox::setLocked(bool locked)
{
    if (line_)
        line_->setReadOnly(locked);
    else
        multi_->setReadOnly(locked);
}

void TextBox::SetFocus()
{
    editor()->setFocus(Qt::OtherFocusReason);
}

// ---- CommandButton --------------------------------------------------------

CommandButton::CommandButton(QWidget* container, const QString& name, const QString& caption)
    : Control(container, name)
    , button_(new QPushButton(caption, this))
{
    fill(this, button_);
    button_->setAutoDefault(true);
    forwardEventsOf(button_);
    connect(button_, &QPushButton::clicked, this, &CommandButton::Click);
}

QString CommandButton::Caption() const
{
    return button_->text();
}

void CommandButton::setCaption(const QString& caption)
{
    button_->setText(caption);
}

void CommandButton::setDefault(bool on)
{
    button_->setDefault(on);
    if (form() && on)
        form()->setDefaultButton(button_);
}

void CommandButton::setCancel(bool on)
{
    cancel_ = on;
    if (form() && on)
        form()->setCancelButton(button_);
}

void CommandButton::SetFocus()
{
    button_->setFocus(Qt::OtherFocusReason);
}

// ---- OptionButton ---------------------------------------------------------

OptionButton::OptionButton(QWidget* container, const QString& name, const QString& caption)
    : Control(container, name)
    , button_(new QRadioButton(caption, this))
{
    fill(this, button_);
    forwardEventsOf(button_);
    connect(button_, &QRadioButton::clicked, this, &OptionButton::Click);

    // Each radio button sits in a host widget of its own, so Qt's automatic
    // exclusivity (siblings only) never applies: the option buttons of one
    // container are grouped here instead.
    if (container) {
        auto* group = container->findChild<QButtonGroup*>(QStringLiteral("optionGroup"), Qt::FindDirectChildrenOnly);
        if (!group) {
            group = new QButtonGroup(container);
            group->setObjectName(QStringLiteral("optionGroup"));
        }
        group->addButton(button_);
    }
}

bool OptionButton::Value() const
{
    return button_->isChecked();
}

void OptionButton::setValue(bool on)
{
    // An exclusive group refuses to clear its checked button; a program may.
    QButtonGroup* group = button_->group();
    if (!on && group && group->exclusive()) {
        group->setExclusive(false);
        button_->setChecked(false);
        group->setExclusive(true);
        return;
    }
    button_->setChecked(on);
}

// ---- Frame ----------------------------------------------------------------

Frame::Frame(QWidget* container, const QString& name, const QString& caption)
    : Control(container, name)
    , box_(new QGroupBox(caption, this))
{
    fill(this, box_);
    box_->lower();
}

QString Frame::Caption() const
{
    return box_->title();
}

void Frame::setCaption(const QString& caption)
{
    box_->setTitle(caption);
}

// ---- Timer ----------------------------------------------------------------

Timer::Timer(QObject* owner, const QString& name, int intervalMs)
    : QObject(owner)
{
    setObjectName(name);
    timer_.setInterval(intervalMs);
    connect(&timer_, &QTimer::timeout, this, &Timer::Tick);
}

void Timer::setEnabled(bool on)
{
    if (on)
        timer_.start();
    else
        timer_.stop();
}

void Timer::setInterval(int ms)
{
    timer_.setInterval(ms);
}

QFont vbFont(const QString& family, double points, bool bold)
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

void DoEvents()
{
    NestedWait wait;
    QCoreApplication::processEvents();
}

} // namespace quoterra
