#include "shell/frmabout.h"

#include "info/sysinfo.h"
#include "platform/process.h"
#include "shell/messagebox.h"
#include "ui_frmabout.h"

#include <QDir>

namespace {
const QString appTitle = QStringLiteral("TarnStarter");
}

frmAbout::frmAbout(QWidget *parent) : QDialog(parent), ui(new Ui::frmAbout)
{
    // The logo lives in the library's resources, which a static link would
    // otherwise leave out.
    Q_INIT_RESOURCE(info);
    ui->setupUi(this);
    ui->Picture1->setPixmap(QPixmap(QStringLiteral(":/info/logo.png")));
    QFont titleFont(QStringLiteral("Arial"));
    titleFont.setPointSizeF(14.25);
    titleFont.setBold(true);
    ui->lblTitle->setFont(titleFont);

    connect(ui->cmdOK, &QPushButton::clicked, this, &frmAbout::cmdOK_Click);
    connect(ui->cmdSysInfo, &QPushButton::clicked, this, &frmAbout::cmdSysInfo_Click);

    Form_Load();
    setFixedSize(sizeHint());
}

frmAbout::~frmAbout() = default;

void frmAbout::Form_Load()
{
    setWindowTitle(QStringLiteral("About ") + appTitle);
}

void frmAbout::cmdOK_Click()
{
    close();
}

void frmAbout::cmdSysInfo_Click()
{
    StartSysInfo();
}

void frmAbout::StartSysInfo()
{
    const QString viewer = sysInfoViewerPath();
    std::string reason;
    if (!viewer.isEmpty()
        && platform::startDetached(viewer.toStdString(), std::string(),
            QDir::currentPath().toStdString(), &reason, platform::StartWindow::normal))
        return;
    showMessageBox(this, QMessageBox::NoIcon, appTitle,
        QStringLiteral("System Information Is Unavailable At This Time"));
}
