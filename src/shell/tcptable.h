#pragma once

// The TCP Connection Status window: the system's TCP table, reread every
// 500 ms while the window is open.

#include "monitor/iphelpercall.h"

#include <QWidget>
#include <memory>

class QTimer;
class TcpTableModel;

namespace Ui {
class TcpTable;
}

class TcpTable : public QWidget
{
    Q_OBJECT

public:
    explicit TcpTable(QWidget *parent = nullptr);
    ~TcpTable() override;

    // Where the table is read from; the system's own unless a test says otherwise.
    void setTableSource(IpHelperTableFunction getTcpTable);

    void RefreshTable();

private:
    void Timer1_Timer();
    void Command2_Click();

    std::unique_ptr<Ui::TcpTable> ui;
    TcpTableModel *model;
    QTimer *Timer1;
    IpHelperTableFunction getTcpTable;
};
