#include "shell/tarnstarter.h"

#include "launch/configtext.h"
#include "monitor/svrmonsession.h"
#include "platform/localaddress.h"
#include "shell/frmabout.h"
#include "shell/frmcmdlist.h"
#include "shell/frmcustcfg.h"
#include "shell/frmhelp.h"
#include "shell/frmmapadd.h"
#include "shell/messagebox.h"
#include "shell/serverwatch.h"
#include "shell/singlewindow.h"
#include "shell/svrmon.h"
#include "shell/tcptable.h"
#include "store/settingsstore.h"
#include "store/settingstable.h"
#include "ui_tarnstarter.h"

#include <QCheckBox>
#include <QCloseEvent>
#include <QStringListModel>
#include <utility>

TarnStarter::TarnStarter(QWidget *parent)
    : QMainWindow(parent),
      ui(new Ui::TarnStarter),
      availableMapsModel(new QStringListModel(this)),
      sysTray(new SysTray(this)),
      serverWatch(new ServerWatch(this)),
      monitorSession(std::make_shared<MonitorSession>())
{
    // The pictures live in the library's resources, which a static link
    // would otherwise leave out.
    Q_INIT_RESOURCE(resources);
    ui->setupUi(this);
    ui->List1->setModel(availableMapsModel);
    QIcon icon(QStringLiteral(":/shell/tarnstarter-32.png"));
    icon.addFile(QStringLiteral(":/shell/tarnstarter-16.png"));
    setWindowIcon(icon);
    ui->Command13->setIcon(QIcon(QStringLiteral(":/shell/customcommands.png")));
    for (int index = 0; index < 7; ++index)
        ui->Option1->setId(
            findChild<QAbstractButton *>(QStringLiteral("Option1_%1").arg(index)), index);

    connect(ui->About, &QAction::triggered, this, [this] { About_Click(0); });
    connect(ui->Help, &QAction::triggered, this, &TarnStarter::Help_Click);
    connect(ui->Picture1, &BannerPicture::clicked, this, &TarnStarter::Picture1_Click);
    connect(sysTray, &SysTray::monitorAsked, this, &TarnStarter::Picture1_Click);
    connect(sysTray, &SysTray::exitAsked, this, &TarnStarter::Command3_Click);
    connect(serverWatch, &ServerWatch::endedAtOnce, this, &TarnStarter::serverEndedAtOnce);
    // The rules follow the selection however it changes (mouse, keys, a
    // screen reader's toggle), and only when it changes: clicking the
    // selected type again keeps the operator's ticks.
    connect(ui->Option1, &QButtonGroup::idToggled, this, [this](int index, bool checked) {
        if (checked)
            Option1_Click(index);
    });
    connect(ui->Command1, &QPushButton::clicked, this, &TarnStarter::Command1_Click);
    connect(ui->Command7, &QPushButton::clicked, this, &TarnStarter::Command7_Click);
    connect(ui->Command8, &QPushButton::clicked, this, &TarnStarter::Command8_Click);
    connect(ui->Command11, &QPushButton::clicked, this, &TarnStarter::Command11_Click);
    connect(ui->Command13, &QToolButton::clicked, this, &TarnStarter::Command13_Click);
    connect(ui->Command2, &QPushButton::clicked, this, &TarnStarter::Command2_Click);
    connect(ui->Command3, &QPushButton::clicked, this, &TarnStarter::Command3_Click);
    connect(ui->Command4, &QPushButton::clicked, this, &TarnStarter::Command4_Click);
    connect(ui->Command6, &QPushButton::clicked, this, &TarnStarter::Command6_Click);
    connect(ui->List1, &QAbstractItemView::doubleClicked, this, &TarnStarter::List1_DblClick);
    connectSelfSavingBoxes();
    // A stored grayed tick shows grayed, but the operator's clicks move a
    // box between checked and unchecked only.
    for (QCheckBox *box : findChildren<QCheckBox *>()) {
        connect(box, &QCheckBox::stateChanged, box, [box](int state) {
            if (state != Qt::PartiallyChecked)
                box->setTristate(false);
        });
    }

    // A setting that cannot be stored is said once, after the event that
    // tried, not in the middle of it.
    setStoreWriteFailureHandler([this](const QString &reason) {
        if (std::exchange(storeFailureShown, true))
            return;
        QMetaObject::invokeMethod(
            this,
            [this, reason] {
                showMessageBox(
                    this, QMessageBox::Warning, QStringLiteral("Tarn Server Launcher"), reason);
            },
            Qt::QueuedConnection);
    });
    Form_Load();

    // The set-up has one fixed arrangement; the window can be minimized and
    // maximized but not resized by dragging.
    setWindowFlags(Qt::Window | Qt::WindowTitleHint | Qt::WindowSystemMenuHint
        | Qt::WindowMinMaxButtonsHint | Qt::WindowCloseButtonHint);
    setFixedSize(sizeHint());
}

TarnStarter::~TarnStarter()
{
    Form_Unload();
    setStoreWriteFailureHandler({});
}

void TarnStarter::Form_Load()
{
    LauncherTitle = launcherTitle;
    recordStartUp(LauncherTitle);

    ui->Command10->setText(
        QStringLiteral("IP: ") + QString::fromStdString(platform::localIpv4Address()));

    ApplyGameTypeOptions(1);
    sysTray->add();
    LoadSettings();
}

void TarnStarter::About_Click(int)
{
    showSingleWindow(about);
}

void TarnStarter::Help_Click()
{
    showSingleWindow(help);
}

void TarnStarter::Picture1_Click()
{
    openMonitor();
}

// The icon's tooltip says what the monitor's status line says.
SvrMon *TarnStarter::openMonitor()
{
    const bool opening = !svrMon;
    showSingleWindow(svrMon, monitorSession);
    if (opening) {
        sysTray->setServerStatus(svrMon->statusLine());
        connect(svrMon, &SvrMon::statusLineChanged, sysTray, &SysTray::setServerStatus);
        connect(svrMon, &QObject::destroyed, sysTray, [this] { sysTray->setServerStatus({}); });
    }
    return svrMon;
}

void TarnStarter::Command7_Click()
{
    connect(showSingleWindow(mapAdd), &frmMAPAdd::mapAdded, this, &TarnStarter::BuildList,
        Qt::UniqueConnection);
}

void TarnStarter::Command8_Click()
{
    showSingleWindow(cmdList);
}

void TarnStarter::Command11_Click()
{
    showSingleWindow(tcpTable);
}

void TarnStarter::Command13_Click()
{
    connect(showSingleWindow(custCfg), &frmCustCFG::linesChosen, this,
        &TarnStarter::useCustomCommands, Qt::UniqueConnection);
}

// Ticking the box runs its own handler, which saves the setting.
void TarnStarter::useCustomCommands()
{
    ui->Check26->setChecked(true);
}

// "Exit" is the close box with a save first. The Server Monitor, the TCP
// window and the Custom CFG Options dialog stay open after the main window
// has gone.
void TarnStarter::Command3_Click()
{
    // The window must outlive a running launch; it closes once that ends.
    if (launching) {
        pendingClose = PendingClose::Exit;
        return;
    }
    SaveSettings();
    close();
}

void TarnStarter::closeEvent(QCloseEvent *event)
{
    if (launching) {
        if (pendingClose == PendingClose::None)
            pendingClose = PendingClose::CloseBox;
        event->ignore();
        return;
    }
    Form_Unload();
    event->accept();
}

void TarnStarter::Form_Unload()
{
    sysTray->remove();
    closeIfOpen(mapAdd);
    closeIfOpen(about);
    closeIfOpen(cmdList);
    closeIfOpen(help);
}

void TarnStarter::changeEvent(QEvent *event)
{
    QMainWindow::changeEvent(event);
    if (event->type() == QEvent::WindowStateChange)
        Form_Resize();
}

// A minimized main window goes to the notification area.
void TarnStarter::Form_Resize()
{
    if (isMinimized())
        sysTray->hideWindow();
}
