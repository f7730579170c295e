#include "about.h"

#include "platform/hosts.h"
#include "platform/hourglass.h"
#include "platform/settings.h"
#include "platform/shell.h"

#include <QPalette>

namespace quoterra {

namespace {

// Only the left button follows a link; the address is asked for at the
// press, so a changed service origin is honoured.
template <class Address>
void makeLink(TwipsWidget* link, Address address)
{
    link->setCursor(Qt::PointingHandCursor);
    QObject::connect(link, &TwipsWidget::MouseDown, link, [address](int button, int, float, float) {
        if (button != vbLeftButton)
            return;
        Hourglass busy;
        ShellOpen(address());
    });
}

void lookLikeLink(Label* label)
{
    QFont f = label->font();
    f.setUnderline(true);
    label->setFont(f);
    label->setForeColor(label->palette().color(QPalette::Link));
}

} // namespace

About::About()
    : Form(kName, Dialog)
{
    setCaption(QStringLiteral("About Quoterra"));
    Move(0, 0, 5820, 4980);

    Picture1 = new PictureBox(this, QStringLiteral("Picture1"));
    Picture1->Move(240, 300, 960, 960);
    Picture1->setPicture(QPixmap(QStringLiteral(":/about/product.png")));

    Frame1 = new Frame(this, QStringLiteral("Frame1"), QString());
    Frame1->Move(1440, 120, 4260, 2760);
    Label1 = new Label(Frame1, QStringLiteral("Label1"), QStringLiteral("Quoterra - King of Stock Tickers"));
    Label1->Move(180, 240, 3900, 300);
    {
        QFont f = Label1->font();
        f.setBold(true);
        f.setPointSizeF(f.pointSizeF() + 1);
        Label1->setFont(f);
    }
    Label3 = new Label(Frame1, QStringLiteral("Label3"), QStringLiteral("Version 4.00 - March 11, 2001"));
    Label3->Move(180, 600, 3900, 255);
    Label9 = new Label(Frame1, QStringLiteral("Label9"),
                       QStringLiteral("The quotes and other data shown are for information only and are not meant "
                                      "for trading. Neither the maker of Quoterra nor its data providers are liable "
                                      "for any delays or errors in the content, or for any actions taken on it."));
    Label9->setWordWrap(true);
    Label9->Move(180, 1020, 3900, 1620);

    Frame3 = new Frame(this, QStringLiteral("Frame3"), QString());
    Frame3->Move(120, 3000, 5580, 1260);
    Label6 = new Label(Frame3, QStringLiteral("Label6"), QStringLiteral("Powered By"));
    Label6->Move(180, 240, 1800, 255);
    Picture2 = new PictureBox(Frame3, QStringLiteral("Picture2"));
    Picture2->Move(180, 570, 1560, 480);
    Picture2->setPicture(QPixmap(QStringLiteral(":/about/data-service.png")));
    Label4 = new Label(Frame3, QStringLiteral("Label4"), QStringLiteral("Quoterra Web Site:"));
    Label4->Move(2280, 240, 3180, 255);
    Label5 = new Label(Frame3, QStringLiteral("Label5"));
    Label5->Move(2280, 540, 3180, 255);
    Label7 = new Label(Frame3, QStringLiteral("Label7"));
    Label7->Move(2280, 840, 3180, 255);

    Command1 = new CommandButton(this, QStringLiteral("Command1"), QStringLiteral("OK"));
    Command1->Move(4500, 4440, 1200, 375);
    Command1->setDefault(true);
    Command1->setCancel(true);

    for (Label* link : {Label5, Label7})
        lookLikeLink(link);
    makeLink(Picture2, [] { return hosts().dataProvider + u'/'; });
    makeLink(Label5, [] { return hosts().makerSite; });
    makeLink(Label7, [] { return QStringLiteral("mailto:") + hosts().makerMail; });

    connect(Command1, &CommandButton::Click, this, &Form::Unload);
}

void About::Form_Load()
{
    Label5->setCaption(hosts().makerSite);
    Label5->setToolTipText(hosts().makerSite);
    Label7->setCaption(hosts().makerName);
    Label7->setToolTipText(hosts().makerMail);
    Picture2->setToolTipText(hosts().dataProvider + u'/');
    AlwaysOnTop(*this);
}

} // namespace quoterra
