// Step 1 and 2 of the main window: the game type drives the DM flag boxes.

#include "launch/gametypes.h"
#include "shell/tarnstarter.h"
#include "ui_tarnstarter.h"

QCheckBox *TarnStarter::dmFlagBox(int number) const
{
    return findChild<QCheckBox *>(QStringLiteral("Check%1").arg(number));
}

void TarnStarter::Option1_Click(int Index)
{
    const GameTypeOptions *options = gameTypeOptions(Index + 1);
    if (!options)
        return;
    ApplyGameTypeOptions(Index + 1);
    ui->Text9->setEnabled(options->ctfLoopsEnabled);
    ui->Label9->setEnabled(options->ctfLoopsEnabled);
    ui->Text10->setEnabled(options->controlLimitEnabled);
    ui->Label10->setEnabled(options->controlLimitEnabled);
}

void TarnStarter::ApplyGameTypeOptions(int gameTypeNumber)
{
    const GameTypeOptions *options = gameTypeOptions(gameTypeNumber);
    if (!options)
        return;
    for (int number = 1; number <= 16; ++number) {
        QCheckBox *box = dmFlagBox(number);
        const FlagBoxState state = applyFlagRule(
            options->flags[std::size_t(number - 1)], {box->isEnabled(), box->checkState()});
        box->setEnabled(state.enabled);
        box->setCheckState(state.check);
    }
}
