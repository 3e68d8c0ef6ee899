#pragma once

#include "launch/launchsequence.h"
#include "maps/mapcycle.h"
#include "shell/systray.h"

#include <QMainWindow>
#include <QPointer>
#include <memory>

class QCheckBox;
class QStringListModel;
class ServerWatch;
class SvrMon;
class TcpTable;
class frmAbout;
class frmHelp;
class frmCmdlist;
class frmMAPAdd;
class frmCustCFG;
struct MonitorSession;

namespace Ui {
class TarnStarter;
}

// The main window: the whole server set-up in seven steps, and the owner of
// every other window. Its controls are the working copy of the settings.
class TarnStarter : public QMainWindow
{
    Q_OBJECT
public:
    explicit TarnStarter(QWidget *parent = nullptr);
    ~TarnStarter() override;

    void BuildList();
    void LoadSettings();
    void SaveSettings();
    QString StartServer(const ServerLaunch &server);
    void ApplyGameTypeOptions(int gameTypeNumber);
    // The window's state as a launch takes it.
    LaunchForm launchForm() const;
    // The launch of `form` pressed at `pressed`: its files, then the server
    // when `start` is set; the operator is told what failed.
    void launchFrom(const LaunchForm &form, const QDateTime &pressed, bool start);

    QString LauncherTitle;

protected:
    void closeEvent(QCloseEvent *event) override;
    void changeEvent(QEvent *event) override;

private slots:
    void About_Click(int index);
    void Help_Click();
    void Picture1_Click();
    void Option1_Click(int Index);
    void Command1_Click();
    void Command2_Click();
    void Command3_Click();
    void Command4_Click();
    void Command6_Click();
    void Command7_Click();
    void Command8_Click();
    void Command11_Click();
    void Command13_Click();
    void List1_DblClick();
    void useCustomCommands();

private:
    // What "Exit" or the close box asked for while a launch was running.
    enum class PendingClose { None, Exit, CloseBox };

    void Form_Load();
    void launch();
    // Whether the launch may go on: no server runs on the launch's port or
    // as the one started before, or the operator had it stopped.
    bool settleRunningServer(quint16 port);
    void serverEndedAtOnce(const QString &how, const QString &logFile);
    SvrMon *openMonitor();
    void Form_Unload();
    void Form_Resize();
    QCheckBox *dmFlagBox(int number) const;
    LaunchSettings shownSettings() const;
    void connectSelfSavingBoxes();
    void showCycleCount(const QString &wording);
    QStringList listedMaps() const;
    // The row of the selected available map, -1 when none is.
    int selectedMapRow() const;
    QString selectedMap() const;

    std::unique_ptr<Ui::TarnStarter> ui;
    // The available maps: thousands of names, kept as one list the view
    // reads, not as an item each.
    QStringListModel *availableMapsModel;
    MapCycle mapCycle;
    SysTray *sysTray;
    ServerWatch *serverWatch;
    // The port of the launch under way, and of the server started last.
    quint16 launchPort = 0;
    quint16 startedPort = 0;
    bool launching = false;
    bool storeFailureShown = false;
    PendingClose pendingClose = PendingClose::None;

    // The windows this one opens, each at most once. The monitor's session
    // outlives any one monitor window.
    std::shared_ptr<MonitorSession> monitorSession;
    QPointer<SvrMon> svrMon;
    QPointer<TcpTable> tcpTable;
    QPointer<frmAbout> about;
    QPointer<frmHelp> help;
    QPointer<frmCmdlist> cmdList;
    QPointer<frmMAPAdd> mapAdd;
    QPointer<frmCustCFG> custCfg;
};
