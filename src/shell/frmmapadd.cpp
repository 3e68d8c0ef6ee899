#include "shell/frmmapadd.h"

#include "maps/custommaps.h"
#include "ui_frmmapadd.h"

#include <QStyle>

frmMAPAdd::frmMAPAdd() : QWidget(nullptr, Qt::Dialog), ui(new Ui::frmMAPAdd)
{
    ui->setupUi(this);
    ui->Picture1->setPixmap(style()->standardIcon(QStyle::SP_MessageBoxInformation).pixmap(32));
    connect(ui->Command1, &QPushButton::clicked, this, &frmMAPAdd::Command1_Click);
    connect(ui->Command2, &QPushButton::clicked, this, &frmMAPAdd::Command2_Click);
    setFixedSize(sizeHint());
}

frmMAPAdd::~frmMAPAdd() = default;

void frmMAPAdd::Command1_Click()
{
    // With the list full the name could not be read back; the dialog stays
    // open rather than pretend it was added.
    if (!addCustomMap(ui->Text1->text()))
        return;
    emit mapAdded();
    close();
}

void frmMAPAdd::Command2_Click()
{
    close();
}
