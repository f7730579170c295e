#pragma once

#include "alerts/watch/alert.h"
#include "ui/form.h"

#include <QAbstractTableModel>

#include <vector>

class QCheckBox;
class QTableView;

namespace quoterra {

class Application;
class PriceWatch;

// The symbols of the list with an "above" and a "below" level each, as the
// alerts dialog edits them.
class AlertTable : public QAbstractTableModel {
    Q_OBJECT
public:
    enum Column { SymbolColumn, LastColumn, AboveColumn, BelowColumn, ColumnCount };
    struct Row {
        QString symbol; // as the list holds it
        QString last;   // the last price seen, as shown
        QString above;
        QString below;
        LevelTexts stored; // the levels as read; empty for none
        bool canHold = true;
    };

    explicit AlertTable(std::vector<Row> rows, QObject* parent = nullptr);
    const std::vector<Row>& rows() const { return rows_; }

    int rowCount(const QModelIndex& parent = {}) const override;
    int columnCount(const QModelIndex& parent = {}) const override;
    QVariant data(const QModelIndex& index, int role) const override;
    QVariant headerData(int section, Qt::Orientation orientation, int role) const override;
    Qt::ItemFlags flags(const QModelIndex& index) const override;
    bool setData(const QModelIndex& index, const QVariant& value, int role) override;

private:
    std::vector<Row> rows_;
};

// "Price Alerts": one row per symbol of the list with the level above and
// below which the user wants to be told, and a switch for all of them. OK
// writes what changed; a level that is no price is refused first.
class PriceAlertsDialog : public Dialog {
    Q_OBJECT
public:
    PriceAlertsDialog(Application& app, PriceWatch& watch);

    // Opens the row of the symbol the ticker showed as `shown`, its
    // "above" box ready for typing.
    void editSymbol(const QString& shown);

    QCheckBox* chkAlerts;
    QTableView* tblAlerts;

protected:
    void onLoad() override;

private:
    void editCell(const QModelIndex& cell);
    void ok();

    Application& app_;
    PriceWatch& watch_;
    AlertTable* table_ = nullptr;
};

} // namespace quoterra
