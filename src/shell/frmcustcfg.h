#pragma once

#include <QList>
#include <QWidget>
#include <memory>

namespace Ui {
class frmCustCFG;
}
class QStringListModel;

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

    std::unique_ptr<Ui::frmCustCFG> ui;
    // The lines as shown, and beside each the entry number it is stored
    // under.
    QStringListModel *lines;
    QList<int> entryNumbers;
};
