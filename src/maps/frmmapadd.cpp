#include "maps/frmmapadd.h"

#include "maps/frmmapadd_store.h"
#include "shell/tarnstarter.h"
#include "ui_frmmapadd.h"

#include <QStyle>

frmMAPAdd::frmMAPAdd(TarnStarter *main)
    : QWidget(nullptr, Qt::Dialog), main(main), ui(new Ui::frmMAPAdd)
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
    if (main)
        main->BuildList();
    close();
}

void frmMAPAdd::Command2_Click()
{
    close();
}
