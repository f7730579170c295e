#include "price_alerts.h"

#include "alerts/watch/price_watch.h"
#include "app/context/application.h"
#include "ui/controls.h"
#include "ui/msgbox.h"

#include <QCheckBox>
#include <QHeaderView>
#include <QLabel>
#include <QPushButton>
#include <QTableView>

namespace quoterra {

namespace {

constexpr float kMargin = 120;
constexpr float kWidth = 5640;
constexpr float kTableTop = 480;
constexpr float kTableHeight = 3240;
constexpr float kButtonWidth = 1200;
constexpr float kButtonHeight = 360;

QString shownLast(PriceWatch& watch, const QString& symbol)
{
    const auto price = watch.lastPrice(symbol);
    return price ? shownLevel(requestSymbolFor(symbol), *price) : QString();
}

} // namespace

// ---- AlertTable -----------------------------------------------------------

AlertTable::AlertTable(std::vector<Row> rows, QObject* parent)
    : QAbstractTableModel(parent)
    , rows_(std::move(rows))
{
}

int AlertTable::rowCount(const QModelIndex& parent) const
{
    return parent.isValid() ? 0 : int(rows_.size());
}

int AlertTable::columnCount(const QModelIndex& parent) const
{
    return parent.isValid() ? 0 : ColumnCount;
}

QVariant AlertTable::data(const QModelIndex& index, int role) const
{
    const Row& row = rows_[size_t(index.row())];
    if (role == Qt::ToolTipRole && !row.canHold)
        return QStringLiteral("A symbol with \"=\" in it cannot hold an alert.");
    if (role == Qt::TextAlignmentRole && index.column() != SymbolColumn)
        return int(Qt::AlignRight | Qt::AlignVCenter);
    if (role != Qt::DisplayRole && role != Qt::EditRole)
        return {};
    switch (index.column()) {
    case SymbolColumn:
        return displayNameFor(row.symbol);
    case LastColumn:
        return row.last;
    case AboveColumn:
        return row.above;
    case BelowColumn:
        return row.below;
    default:
        return {};
    }
}

QVariant AlertTable::headerData(int section, Qt::Orientation orientation, int role) const
{
    if (orientation != Qt::Horizontal || role != Qt::DisplayRole)
        return QAbstractTableModel::headerData(section, orientation, role);
    static const char* const names[] = {"Symbol", "Last", "Above", "Below"};
    return QLatin1String(names[section]);
}

Qt::ItemFlags AlertTable::flags(const QModelIndex& index) const
{
    Qt::ItemFlags f = Qt::ItemIsEnabled | Qt::ItemIsSelectable;
    if ((index.column() == AboveColumn || index.column() == BelowColumn) && rows_[size_t(index.row())].canHold)
        f |= Qt::ItemIsEditable;
    return f;
}

bool AlertTable::setData(const QModelIndex& index, const QVariant& value, int role)
{
    if (role != Qt::EditRole || !(flags(index) & Qt::ItemIsEditable))
        return false;
    Row& row = rows_[size_t(index.row())];
    (index.column() == AboveColumn ? row.above : row.below) = value.toString().trimmed();
    emit dataChanged(index, index);
    return true;
}

// ---- PriceAlertsDialog ----------------------------------------------------

PriceAlertsDialog::PriceAlertsDialog(Application& app, PriceWatch& watch)
    : Dialog(app.forms())
    , app_(app)
    , watch_(watch)
{
    setObjectName(QStringLiteral("PriceAlerts"));
    setWindowTitle(QStringLiteral("Quoterra - Price Alerts"));

    chkAlerts = make<QCheckBox>(this, "chkAlerts", QStringLiteral("&Tell me when a price crosses its level"), kMargin,
                                kMargin, kWidth - 2 * kMargin, 300);
    tblAlerts = new QTableView(this);
    tblAlerts->setObjectName(QStringLiteral("tblAlerts"));
    placeTwips(tblAlerts, kMargin, kTableTop, kWidth - 2 * kMargin, kTableHeight);
    tblAlerts->verticalHeader()->hide();
    tblAlerts->verticalHeader()->setDefaultSectionSize(fontMetrics().height() + 8);
    tblAlerts->setSelectionBehavior(QAbstractItemView::SelectRows);
    tblAlerts->setSelectionMode(QAbstractItemView::SingleSelection);
    tblAlerts->setEditTriggers(QAbstractItemView::CurrentChanged | QAbstractItemView::DoubleClicked
                               | QAbstractItemView::SelectedClicked | QAbstractItemView::EditKeyPressed
                               | QAbstractItemView::AnyKeyPressed);
    tblAlerts->setTabKeyNavigation(true);
    // Enter in a level box takes the dialog's answer, as in any other box.
    connect(tblAlerts->itemDelegate(), &QAbstractItemDelegate::closeEditor, this,
            [this](QWidget*, QAbstractItemDelegate::EndEditHint hint) {
                if (hint == QAbstractItemDelegate::SubmitModelCache)
                    ok();
            });

    const float hintTop = kTableTop + kTableHeight + 60;
    auto* hint = make<QLabel>(this, "lblHint",
                              QStringLiteral("Each alert is told once, when the price crosses its level. "
                                             "An empty box sets none."),
                              kMargin, hintTop, kWidth - 2 * kMargin, 420);
    hint->setWordWrap(true);

    const float buttonTop = hintTop + 420 + kMargin;
    auto* ok = make<QPushButton>(this, "cmdOK", QStringLiteral("OK"), kWidth - 2 * (kMargin + kButtonWidth), buttonTop,
                                 kButtonWidth, kButtonHeight);
    auto* cancel = make<QPushButton>(this, "cmdCancel", QStringLiteral("Cancel"), kWidth - kMargin - kButtonWidth,
                                     buttonTop, kButtonWidth, kButtonHeight);
    ok->setDefault(true);
    connect(ok, &QPushButton::clicked, this, &PriceAlertsDialog::ok);
    connect(cancel, &QPushButton::clicked, this, [this] { unload(); });
    setFixedSizeTwips(kWidth, buttonTop + kButtonHeight + kMargin);
}

void PriceAlertsDialog::onLoad()
{
    AlertBook& book = watch_.book();
    std::vector<AlertTable::Row> rows;
    for (const QString& symbol : listedSymbols(app_.applicationDirectory())) {
        AlertTable::Row row{symbol, shownLast(watch_, symbol), {}, {}, {}, !symbol.contains(u'=')};
        if (row.canHold) {
            row.stored = levelTexts(book.line(symbol).value_or(QString()));
            row.above = row.stored.above;
            row.below = row.stored.below;
        }
        rows.push_back(row);
    }
    table_ = new AlertTable(std::move(rows), this);
    tblAlerts->setModel(table_);
    QHeaderView* header = tblAlerts->horizontalHeader();
    header->setSectionResizeMode(AlertTable::SymbolColumn, QHeaderView::Stretch);
    for (int column : {AlertTable::LastColumn, AlertTable::AboveColumn, AlertTable::BelowColumn})
        header->resizeSection(column, screenOf(*this).pixelsX(1200));
    chkAlerts->setChecked(book.enabled());
    app_.AlwaysOnTop(*this);
}

void PriceAlertsDialog::editSymbol(const QString& shown)
{
    const auto& rows = table_->rows();
    for (size_t i = 0; i < rows.size(); ++i) {
        if (rows[i].canHold && namesEntry(shown, rows[i].symbol)) {
            const QModelIndex above = table_->index(int(i), AlertTable::AboveColumn);
            tblAlerts->setFocus(Qt::OtherFocusReason);
            editCell(above);
            return;
        }
    }
}

void PriceAlertsDialog::editCell(const QModelIndex& cell)
{
    tblAlerts->scrollTo(cell);
    // Becoming the current cell opens its box; the current one is opened here.
    const bool current = tblAlerts->currentIndex() == cell;
    tblAlerts->setCurrentIndex(cell);
    if (current)
        tblAlerts->edit(cell);
}

void PriceAlertsDialog::ok()
{
    // Every row is checked before anything is written, so a refused OK
    // leaves every alert as it was.
    struct Change {
        QString symbol;
        std::optional<double> above, below;
    };
    std::vector<Change> changes;
    const auto& rows = table_->rows();
    for (size_t i = 0; i < rows.size(); ++i) {
        const AlertTable::Row& row = rows[i];
        if (!row.canHold || (row.above == row.stored.above && row.below == row.stored.below))
            continue;
        const TypedLevel above = typedLevel(row.above);
        const TypedLevel below = typedLevel(row.below);
        if (!above.ok || !below.ok) {
            messageBox(this,
                       QStringLiteral("The levels of %1 must be prices above 0, such as 150.25, or empty.")
                           .arg(displayNameFor(row.symbol)),
                       QMessageBox::Warning);
            const QModelIndex wrong =
                table_->index(int(i), above.ok ? AlertTable::BelowColumn : AlertTable::AboveColumn);
            editCell(wrong);
            return;
        }
        changes.push_back({row.symbol, above.level, below.level});
    }
    AlertBook& book = watch_.book();
    book.setEnabled(chkAlerts->isChecked());
    for (const Change& c : changes)
        book.write(c.symbol, watch_.newAlertFor(c.symbol, c.above, c.below));
    unload();
}

} // namespace quoterra
