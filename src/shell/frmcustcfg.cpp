#include "shell/frmcustcfg.h"

#include "maps/customlines.h"
#include "store/settingstable.h"
#include "ui_frmcustcfg.h"

#include <QStringListModel>

frmCustCFG::frmCustCFG()
    : QWidget(nullptr, Qt::Dialog), ui(new Ui::frmCustCFG), lines(new QStringListModel(this))
{
    ui->setupUi(this);
    ui->List1->setModel(lines);
    connect(ui->Command2, &QPushButton::clicked, this, &frmCustCFG::Command2_Click);
    connect(ui->Command3, &QPushButton::clicked, this, &frmCustCFG::Command3_Click);
    connect(ui->List1, &QAbstractItemView::doubleClicked, this, &frmCustCFG::List1_DblClick);
    Form_Load();
    setFixedSize(sizeHint());
}

frmCustCFG::~frmCustCFG() = default;

void frmCustCFG::Form_Load()
{
    QStringList texts;
    // Lines are kept in lower case; one put in by hand shows so as well.
    for (const NumberedEntry &line : loadCustomCommands()) {
        texts.append(line.text.toLower());
        entryNumbers.append(line.number);
    }
    lines->setStringList(texts);
}

void frmCustCFG::Command3_Click()
{
    if (ui->Text1->text().isEmpty())
        return;
    const std::optional<int> number = nextCustomCommandNumber(entryNumbers);
    if (!number)
        return;
    const QString line = ui->Text1->text().toLower();
    const int row = lines->rowCount();
    lines->insertRows(row, 1);
    lines->setData(lines->index(row), line);
    entryNumbers.append(*number);
    storeCustomCommand(*number, line);
}

void frmCustCFG::List1_DblClick()
{
    const QModelIndex current = ui->List1->currentIndex();
    if (!current.isValid() || !ui->List1->selectionModel()->isSelected(current))
        return;
    const int row = current.row();
    lines->removeRows(row, 1);
    removeCustomCommand(entryNumbers.takeAt(row));
}

void frmCustCFG::Command2_Click()
{
    // The setting is saved here, since the main window may have gone; an
    // open main window ticks its box as well.
    if (lines->rowCount() > 0) {
        saveSetting(&LaunchSettings::useCustomCommands, Qt::Checked);
        emit linesChosen();
    }
    close();
}
