#pragma once

#include <QWidget>
#include <memory>

namespace Ui {
class frmCmdlist;
}

// The console commands an operator uses most, as a fixed text.
class frmCmdlist : public QWidget
{
    Q_OBJECT
public:
    explicit frmCmdlist(QWidget *parent = nullptr);
    ~frmCmdlist() override;

private:
    std::unique_ptr<Ui::frmCmdlist> ui;
};
