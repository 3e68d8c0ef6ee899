#pragma once

#include <QDialog>
#include <memory>

namespace Ui {
class frmAbout;
}

// The About window: title, version, a line about the program, and a way to
// the system's information viewer.
class frmAbout : public QDialog
{
    Q_OBJECT
public:
    explicit frmAbout(QWidget *parent = nullptr);
    ~frmAbout() override;

    void StartSysInfo();

private slots:
    void cmdOK_Click();
    void cmdSysInfo_Click();

private:
    void Form_Load();

    std::unique_ptr<Ui::frmAbout> ui;
};
