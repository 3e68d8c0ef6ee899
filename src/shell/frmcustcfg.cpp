#include "shell/frmcustcfg.h"

#include "maps/customlines.h"
#include "store/settingsstore.h"
#include "ui_frmcustcfg.h"

namespace {
// Each line remembers the entry number it is stored under.
constexpr int entryNumberRole = Qt::UserRole;
} // namespace

frmCustCFG::frmCustCFG() : QWidget(nullptr, Qt::Dialog), ui(new Ui::frmCustCFG)
{
    ui->setupUi(this);
    connect(ui->Command2, &QPushButton::clicked, this, &frmCustCFG::Command2_Click);
    connect(ui->Command3, &QPushButton::clicked, this, &frmCustCFG::Command3_Click);
    connect(ui->List1, &QListWidget::itemDoubleClicked, this, &frmCustCFG::List1_DblClick);
    Form_Load();
    setFixedSize(sizeHint());
}

frmCustCFG::~frmCustCFG() = default;

void frmCustCFG::Form_Load()
{
    ui->List1->setUpdatesEnabled(false);
    for (const NumberedEntry &line : loadCustomCommands())
        appendLine(line.number, line.text);
    ui->List1->setUpdatesEnabled(true);
}

void frmCustCFG::appendLine(int number, const QString &text)
{
    auto *item = new QListWidgetItem(text);
    item->setData(entryNumberRole, number);
    ui->List1->addItem(item);
}

void frmCustCFG::Command3_Click()
{
    if (ui->Text1->text().isEmpty())
        return;
    QList<int> held;
    held.reserve(ui->List1->count());
    for (int row = 0; row < ui->List1->count(); ++row)
        held.append(ui->List1->item(row)->data(entryNumberRole).toInt());
    const std::optional<int> number = nextCustomCommandNumber(held);
    if (!number)
        return;
    const QString line = ui->Text1->text().toLower();
    appendLine(*number, line);
    storeCustomCommand(*number, line);
}

void frmCustCFG::List1_DblClick()
{
    QListWidgetItem *item = ui->List1->currentItem();
    if (!item || !item->isSelected())
        return;
    const int number = item->data(entryNumberRole).toInt();
    delete item;
    removeCustomCommand(number);
}

void frmCustCFG::Command2_Click()
{
    // The setting is saved here, since the main window may have gone; an
    // open main window ticks its box as well.
    if (ui->List1->count() > 0) {
        rEGpUT(hkeyLocalMachine, launcherKey, QStringLiteral("UseOther"), QStringLiteral("1"));
        emit linesChosen();
    }
    close();
}
