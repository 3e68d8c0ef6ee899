#pragma once

#include <QPointer>
#include <QWidget>
#include <memory>

class TarnStarter;

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
    explicit frmCustCFG(TarnStarter *main);
    ~frmCustCFG() override;

private slots:
    void Command2_Click();
    void Command3_Click();
    void List1_DblClick();

private:
    void Form_Load();
    void appendLine(int number, const QString &text);

    QPointer<TarnStarter> main;
    std::unique_ptr<Ui::frmCustCFG> ui;
};
