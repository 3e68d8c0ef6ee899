#pragma once

#include <QWidget>
#include <memory>

namespace Ui {
class frmMAPAdd;
}

// Adds a map name that no scan of the game folder can find, such as a map
// inside a custom archive, to the main window's available maps.
class frmMAPAdd : public QWidget
{
    Q_OBJECT
public:
    frmMAPAdd();
    ~frmMAPAdd() override;

signals:
    // A name was stored: the available maps are to be listed anew.
    void mapAdded();

private slots:
    void Command1_Click();
    void Command2_Click();

private:
    std::unique_ptr<Ui::frmMAPAdd> ui;
};
