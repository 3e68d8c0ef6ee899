#pragma once

#include <QWidget>
#include <memory>

namespace Ui {
class frmHelp;
}

// Three steps of instructions, to read only.
class frmHelp : public QWidget
{
    Q_OBJECT
public:
    explicit frmHelp(QWidget *parent = nullptr);
    ~frmHelp() override;

private:
    void Form_Load();

    std::unique_ptr<Ui::frmHelp> ui;
};
