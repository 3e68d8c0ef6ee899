#include "shell/frmhelp.h"

#include "info/infotexts.h"
#include "ui_frmhelp.h"

#include <QShortcut>

frmHelp::frmHelp(QWidget *parent) : QWidget(parent, Qt::Window), ui(new Ui::frmHelp)
{
    ui->setupUi(this);
    Form_Load();
    // Escape closes it, as it closes a dialog.
    new QShortcut(QKeySequence::Cancel, this, this, &QWidget::close);
    setFixedSize(sizeHint());
}

frmHelp::~frmHelp() = default;

void frmHelp::Form_Load()
{
    ui->Text1->setPlainText(helpText());
}
