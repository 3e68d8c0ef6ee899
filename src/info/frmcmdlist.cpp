#include "info/frmcmdlist.h"

#include "info/infotexts.h"
#include "ui_frmcmdlist.h"

#include <QScrollBar>

frmCmdlist::frmCmdlist(QWidget *parent) : QWidget(parent, Qt::Window), ui(new Ui::frmCmdlist)
{
    ui->setupUi(this);
    ui->Text1->setPlainText(commandListText());

    // Every command stays in sight at once whatever the font; the long lines
    // are reached with the horizontal scroll bar. The line break after the
    // last command leaves one more, empty line, and the box counts its last
    // line as in sight only with room to spare, so one line more is given.
    const int lines = ui->Text1->document()->blockCount() + 1;
    const int frame = 2 * ui->Text1->frameWidth();
    const int margins = int(2 * ui->Text1->document()->documentMargin());
    const int needed = lines * ui->Text1->fontMetrics().lineSpacing() + frame + margins
        + ui->Text1->horizontalScrollBar()->sizeHint().height();
    ui->Text1->setMinimumHeight(qMax(ui->Text1->minimumHeight(), needed));
    setFixedSize(sizeHint());
}

frmCmdlist::~frmCmdlist() = default;
