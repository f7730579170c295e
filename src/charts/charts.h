#pragma once

#include "chart_window.h"

#include "placement/docked_pair.h"

#include <QByteArray>
#include <QImage>
#include <QPixmap>

#include <map>

class QLineEdit;
class QMenu;

namespace quoterra {

class Application;
class Label;
struct ServiceHosts;
class PictureBox;
class Transfer;

// The chart browser: a price chart for one symbol over one day, five days
// or a year, fetched as a GIF, kept as chart.gif in the application
// directory and shown from there. It is dragged by its header, docks to the
// ticker and remembers its symbol, range and place.
class Charts : public ChartWindow, public PairWindow {
    Q_OBJECT
public:
    // Pops up the research menu about the ticker's current symbol.
    using ResearchMenu = std::function<void(QPoint globalPos)>;
    // `pair` places the chart browser together with the ticker.
    Charts(Application& app, DockedPair& pair, ResearchMenu researchMenu, std::function<Form*()> symbolLookup);
    ~Charts() override;

    RectTwips placeTwips() const override { return {leftTwips(), topTwips(), widthTwips(), heightTwips()}; }
    void moveToTwips(float left, float top) override { moveTwips(left, top); }

    QString symbolCaption() const override;
    QString chartTypeCaption() const override;
    void setSymbol(const QString& symbol);
    void setChartType(const QString& range);

    // The chart for a range ("1 Day", "5 Day", "1 Year") and a symbol; empty
    // for any other range.
    static QString chartAddress(const ServiceHosts& hosts, const QString& range, const QString& symbol);
    // The chart picture in `bytes` fitted into `area`, in proportion and
    // centred; a null picture when the bytes hold no GIF.
    static QImage fittedChart(const QByteArray& bytes, QSize area);
    // Fetches the chart the labels name, stores it and shows it.
    void updateChart();
    // The body of the last fetch of this window's lifetime.
    QByteArray lastResponse() const { return lastResponse_; }
    // Whether a chart picture is on show.
    bool chartShown() const;

protected:
    void onLoad() override;
    bool onUnload() override;
    bool eventFilter(QObject* watched, QEvent* event) override;
    void keyPressEvent(QKeyEvent* event) override;
    void keyReleaseEvent(QKeyEvent* event) override;

private:
    void buildControls();
    void moveForLargeFonts();
    void showChartFile();
    QString chartFile() const;
    void saveState();

    Application& app_;
    DockedPair& pair_;
    ResearchMenu researchMenu_;
    FormSlot<Form> newSymbol_;
    QByteArray lastResponse_;
    bool enterPressed_ = false;
    struct Faces {
        QPixmap up, down;
    };
    std::map<const QObject*, Faces> faces_; // of the buttons that show a press

    PictureBox* picTop;
    PictureBox* picLeft;
    PictureBox* picRight;
    PictureBox* picBottom;
    PictureBox* picCharts;
    PictureBox* gifCharts;
    PictureBox* picSymbol;
    PictureBox* picChartType;
    PictureBox* picUpdate;
    PictureBox* picExit;
    Label* lblSymbol;
    Label* lblChartType;
    Label* lblLoading;
    QMenu* mnuChartType;
    Transfer* inetCharts;
};

// Asks for the chart browser's next symbol; the Symbol Lookup label opens a
// search in the browser.
class NewChartSymbol : public Dialog {
    Q_OBJECT
public:
    NewChartSymbol(Application& app, Charts& charts, std::function<Form*()> symbolLookup);

protected:
    void onLoad() override;
    bool eventFilter(QObject* watched, QEvent* event) override;

private:
    Application& app_;
    FormSlot<Form> lookup_;
    QLineEdit* txtTickerSymbol;
    QWidget* lookupLabel_;
};

} // namespace quoterra
