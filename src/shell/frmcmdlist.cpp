#include "shell/frmcmdlist.h"

#include "info/infotexts.h"
#include "ui_frmcmdlist.h"

#include <QScrollBar>
#include <QShortcut>

frmCmdlist::frmCmdlist(QWidget *parent) : QWidget(parent, Qt::Window), ui(new Ui::frmCmdlist)
{
    ui->setupUi(this);
    ui->Text1->setPlainText(commandListText());
    // Escape closes it, as it closes a dialog.
    new QShortcut(QKeySequence::Cancel, this, this, &QWidget::close);

    // Every command stays in sight at once, whole, whatever the font. The
    // line break after the last command leaves one more, empty line, and the
    // box counts its last line as in sight only with room to spare, so one
    // line more is given.
    const QFontMetrics metrics = ui->Text1->fontMetrics();
    const int lines = ui->Text1->document()->blockCount() + 1;
    const int frame = 2 * ui->Text1->frameWidth();
    const int margins = int(2 * ui->Text1->document()->documentMargin());
    int widest = 0;
    for (const QString &line : commandListText().split(QStringLiteral("\r\n")))
        widest = qMax(widest, metrics.horizontalAdvance(line));
    const int needed = lines * metrics.lineSpacing() + frame + margins
        + ui->Text1->horizontalScrollBar()->sizeHint().height();
    ui->Text1->setMinimumHeight(qMax(ui->Text1->minimumHeight(), needed));
    ui->Text1->setMinimumWidth(
        widest + frame + margins + ui->Text1->verticalScrollBar()->sizeHint().width());
    setFixedSize(sizeHint());
}

frmCmdlist::~frmCmdlist() = default;
