#pragma once

#include <QWidget>
#include <memory>

namespace Ui {
class frmCustCFG;
}

// Keeps the operator's own configuration lines, which go at the end of the
// server's configuration when "Use custom commands" is ticked. Every add and
// remove reaches the store at once. The window may outlive the main window.
class frmCustCFG : public QWidget
{
    Q_OBJECT
public:
    frmCustCFG();
    ~frmCustCFG() override;

signals:
    // "OK" with lines in the list: they are to be used.
    void linesChosen();

private slots:
    void Command2_Click();
    void Command3_Click();
    void List1_DblClick();

private:
    void Form_Load();
    void appendLine(int number, const QString &text);

    std::unique_ptr<Ui::frmCustCFG> ui;
};
