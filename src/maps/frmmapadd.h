#pragma once

#include <QPointer>
#include <QWidget>
#include <memory>

class TarnStarter;

namespace Ui {
class frmMAPAdd;
}

// Adds a map name that no scan of the game folder can find, such as a map
// inside a custom archive, to the main window's available maps.
class frmMAPAdd : public QWidget
{
    Q_OBJECT
public:
    explicit frmMAPAdd(TarnStarter *main);
    ~frmMAPAdd() override;

private slots:
    void Command1_Click();
    void Command2_Click();

private:
    QPointer<TarnStarter> main;
    std::unique_ptr<Ui::frmMAPAdd> ui;
};
