#include "shell/tcptable.h"

#include "monitor/tcptablemodel.h"
#include "platform/iphelper.h"
#include "shell/messagebox.h"
#include "ui_tcptable.h"

#include <QHeaderView>
#include <QSortFilterProxyModel>
#include <QTimer>

TcpTable::TcpTable(QWidget *parent)
    : QWidget(parent,
        Qt::Window | Qt::CustomizeWindowHint | Qt::WindowTitleHint | Qt::WindowSystemMenuHint
            | Qt::WindowMinimizeButtonHint | Qt::WindowCloseButtonHint),
      ui(std::make_unique<Ui::TcpTable>()),
      model(new TcpTableModel(this)),
      Timer1(new QTimer(this)),
      getTcpTable(platform::GetTcpTable)
{
    ui->setupUi(this);
    setAttribute(Qt::WA_DeleteOnClose);
    setFixedSize(size());
    // The system's order until the operator sorts by a column; a third
    // click on that column gives the system's order back.
    auto *sorted = new QSortFilterProxyModel(this);
    sorted->setSourceModel(model);
    sorted->setSortRole(TcpTableModel::SortRole);
    ui->ListView1->setModel(sorted);
    ui->ListView1->horizontalHeader()->setSortIndicator(-1, Qt::AscendingOrder);
    ui->ListView1->horizontalHeader()->setSortIndicatorClearable(true);
    ui->ListView1->setSortingEnabled(true);
    // Rows are one line each; a fixed height spares the view measuring them.
    ui->ListView1->verticalHeader()->setSectionResizeMode(QHeaderView::Fixed);
    ui->ListView1->verticalHeader()->setDefaultSectionSize(fontMetrics().height() + 4);

    // The list stays empty until the first tick.
    Timer1->setObjectName(QStringLiteral("Timer1"));
    Timer1->setInterval(500);
    connect(Timer1, &QTimer::timeout, this, &TcpTable::Timer1_Timer);
    connect(ui->Command2, &QPushButton::clicked, this, &TcpTable::Command2_Click);
    Timer1->start();
}

TcpTable::~TcpTable() = default;

void TcpTable::setTableSource(IpHelperTableFunction source)
{
    getTcpTable = std::move(source);
}

void TcpTable::Timer1_Timer()
{
    RefreshTable();
}

void TcpTable::Command2_Click()
{
    close();
}

// The rows change in place, so the operator's selected row, the scroll
// position and the sort stay as they were.
void TcpTable::RefreshTable()
{
    const IpHelperTable table = readIpHelperTable(getTcpTable);
    if (table.result != IpHelperTable::Read) {
        model->setRows({});
        if (table.result == IpHelperTable::NotSupported) {
            // Ticks would stack one box on another every 500 ms; wait for this one.
            Timer1->stop();
            showMessageBox(this, QMessageBox::NoIcon, applicationTitle, ipHelperNotSupportedText);
            Timer1->start();
        }
        return;
    }
    model->setRows(tcpRowsShown(
        platform::decodeTcpTable(table.bytes.data(), table.bytes.size()), ui->Check1->isChecked()));
}
