// Moving the settings between the main window's controls and the store.

#include "shell/tarnstarter.h"
#include "store/settingsstore.h"
#include "store/storedvalues.h"
#include "ui_tarnstarter.h"

#include <QFile>
#include <QFileInfo>

#include "platform/winpath.h"

namespace {

const QString dmFlagsKey = launcherKey + QStringLiteral("\\DMFlags");

QString get(const QString &name)
{
    return RegGet(hkeyLocalMachine, launcherKey, name);
}

void put(const QString &name, const QString &text)
{
    rEGpUT(hkeyLocalMachine, launcherKey, name, text);
}

// The five option boxes that save themselves whenever they change.
struct SelfSavingBox
{
    const char *control;
    const char *valueName;
};
constexpr SelfSavingBox selfSavingBoxes[] = {
    {"Check26", "UseOther"},
    {"Check27", "Developer"},
    {"Check28", "VerboseNet"},
    {"Check29", "LogConsole"},
    {"Check30", "LogStats"},
};

} // namespace

void TarnStarter::connectSelfSavingBoxes()
{
    for (const SelfSavingBox &box : selfSavingBoxes) {
        auto *check = findChild<QCheckBox *>(QLatin1String(box.control));
        const QString valueName = QLatin1String(box.valueName);
        connect(check, &QCheckBox::stateChanged, this,
            [check, valueName] { put(valueName, storedCheckText(check->checkState(), false)); });
    }
}

void TarnStarter::LoadSettings()
{
    const QString gameType = get(QStringLiteral("Game_Type"));
    QString dmFlags[16];
    for (int number = 1; number <= 16; ++number)
        dmFlags[number - 1] = QString::number(
            numericValue(RegGet(hkeyLocalMachine, dmFlagsKey, numberedEntryName(number))));
    const QString useOther = get(QStringLiteral("UseOther"));
    const QString fragLimit = valueOrDefault(get(QStringLiteral("Frag_Limit")), "30");
    const QString timeLimit = valueOrDefault(get(QStringLiteral("Time_Limit")), "60");
    const QString maxClients = valueOrDefault(get(QStringLiteral("Max_Clients")), "60");
    const QString maxSpec = valueOrDefault(get(QStringLiteral("Max_Spec")), "2");
    const QString controlLimit = valueOrDefault(get(QStringLiteral("Control_Limit")), "4");
    const QString ctfLoops = valueOrDefault(get(QStringLiteral("CTF_Loops")), "4");
    const QString cheats = get(QStringLiteral("Cheats_ONOFF"));
    const QString path
        = valueOrDefault(get(QStringLiteral("Path")), "C:\\Program Files\\Marlow\\Tarn Gold");
    const QString hostName
        = valueOrDefault(get(QStringLiteral("Host_Name")), LauncherTitle + " <Dedicated>");
    const QString welcome = valueOrDefault(get(QStringLiteral("Welcome_Mess")), "Die...");
    const QString port = valueOrDefault(get(QStringLiteral("Server_Port")), "28910");
    const QString publicServer = get(QStringLiteral("Public_Server"));
    const QString suicidePenalty = valueOrDefault(get(QStringLiteral("svsuicidepenalty")), "2");
    const QString moveScale = valueOrDefault(get(QStringLiteral("gmovescale")), "1.0");
    const QString uploads = get(QStringLiteral("allowuploads"));
    const QString downloads = get(QStringLiteral("allowdownloads"));
    const QString reconnect = valueOrDefault(get(QStringLiteral("svreconnectlimit")), "3");
    const QString launchList = get(QStringLiteral("launchlist"));
    const QString gravity = valueOrDefault(get(QStringLiteral("sv_gravity")), "800");
    const QString password = get(QStringLiteral("password"));
    const QString rconPassword = get(QStringLiteral("rcon_pw"));
    const QString reduceLag = get(QStringLiteral("ReduceLag"));
    const QString useMapList = get(QStringLiteral("UseMapList"));
    const QString defaultMap = valueOrDefault(get(QStringLiteral("Default_Map")), "DM/MARLOW");

    ui->Check28->setCheckState(checkStateFromStored(get(QStringLiteral("VerboseNet"))));
    ui->Check27->setCheckState(checkStateFromStored(get(QStringLiteral("Developer"))));
    ui->Check29->setCheckState(checkStateFromStored(get(QStringLiteral("LogConsole"))));
    ui->Check30->setCheckState(checkStateFromStored(get(QStringLiteral("LogStats"))));
    ui->Check25->setCheckState(checkStateFromStored(reduceLag));

    // Selecting the game type applies its options just as a click would,
    // also when it is the type already selected.
    const int gameTypeIndex = gameTypeIndexFromStored(gameType);
    if (ui->Option1->checkedId() == gameTypeIndex)
        Option1_Click(gameTypeIndex);
    else
        ui->Option1->button(gameTypeIndex)->setChecked(true);

    ui->Text4->setText(fragLimit);
    ui->Text6->setText(timeLimit);
    ui->Text7->setText(maxClients);
    ui->Text8->setText(maxSpec);
    ui->Text10->setText(controlLimit);
    ui->Text9->setText(ctfLoops);
    ui->Check18->setCheckState(checkStateFromStored(cheats));

    ui->Text1->setText(path);
    ui->Text2->setText(hostName);
    ui->Text3->setText(welcome);
    ui->Text5->setText(port);
    ui->Check17->setCheckState(checkStateFromStored(publicServer));
    ui->Check23->setCheckState(checkStateFromStored(launchList));
    ui->Text14->setText(gravity);

    // "x" stands for an empty password.
    if (password != QLatin1String("x"))
        ui->Text15->setText(password);
    if (rconPassword != QLatin1String("x"))
        ui->Text16->setText(rconPassword);

    ui->Check22->setCheckState(checkStateFromStored(useMapList));

    BuildList();
    for (int row = 0; row < ui->List1->count(); ++row) {
        if (ui->List1->item(row)->text().compare(defaultMap, Qt::CaseInsensitive) == 0) {
            ui->List1->setCurrentRow(row);
            break;
        }
    }

    ui->Text12->setText(suicidePenalty);
    ui->Text11->setText(moveScale);
    ui->Check20->setCheckState(checkStateFromStored(uploads));
    ui->Check21->setCheckState(checkStateFromStored(downloads));
    ui->Text13->setText(reconnect);
    ui->Check26->setCheckState(checkStateFromStored(useOther));

    // The stored flags win over what the game type set, even on boxes the
    // game type disabled.
    for (int number = 1; number <= 16; ++number)
        dmFlagBox(number)->setCheckState(checkStateFromStored(dmFlags[number - 1]));
}

void TarnStarter::SaveSettings()
{
    const int gameTypeIndex = ui->Option1->checkedId();
    const QList<QListWidgetItem *> selected = ui->List1->selectedItems();
    const QString startMap
        = selected.isEmpty() ? QStringLiteral("dm/marlow") : selected.first()->text();

    // A file of that name was left by older versions of the launcher; it is
    // named without a separator after the game folder.
    const QString oldConfig = QString::fromStdString(
        platform::hostPath((ui->Text1->text() + QStringLiteral("TarnStarter.cfg")).toStdString()));
    if (!oldConfig.isEmpty() && QFileInfo(oldConfig).isFile())
        QFile::remove(oldConfig);

    put(QStringLiteral("Game_Type"),
        gameTypeIndex < 0 ? QString() : QString::number(gameTypeIndex));
    for (int number = 1; number <= 16; ++number)
        rEGpUT(hkeyLocalMachine, dmFlagsKey, numberedEntryName(number),
            storedCheckText(dmFlagBox(number)->checkState(), true));

    const auto blank
        = [](const QCheckBox *box) { return storedCheckText(box->checkState(), true); };
    const auto plain
        = [](const QCheckBox *box) { return storedCheckText(box->checkState(), false); };
    const auto password = [](const QLineEdit *box) {
        return box->text().isEmpty() ? QStringLiteral("x") : box->text();
    };
    put(QStringLiteral("Frag_Limit"), ui->Text4->text());
    put(QStringLiteral("Time_Limit"), ui->Text6->text());
    put(QStringLiteral("Max_Clients"), ui->Text7->text());
    put(QStringLiteral("Max_Spec"), ui->Text8->text());
    put(QStringLiteral("Control_Limit"), ui->Text10->text());
    put(QStringLiteral("CTF_Loops"), ui->Text9->text());
    put(QStringLiteral("Cheats_ONOFF"), blank(ui->Check18));
    put(QStringLiteral("Game_Loc"), ui->Text1->text());
    put(QStringLiteral("Host_Name"), ui->Text2->text());
    put(QStringLiteral("Welcome_Mess"), ui->Text3->text());
    put(QStringLiteral("Server_Port"), ui->Text5->text());
    put(QStringLiteral("Public_Server"), blank(ui->Check17));
    put(QStringLiteral("svsuicidepenalty"), ui->Text12->text());
    put(QStringLiteral("gmovescale"), ui->Text11->text());
    put(QStringLiteral("allowuploads"), plain(ui->Check20));
    put(QStringLiteral("allowdownloads"), plain(ui->Check21));
    put(QStringLiteral("svreconnectlimit"), ui->Text13->text());
    put(QStringLiteral("launchlist"), blank(ui->Check23));
    put(QStringLiteral("sv_gravity"), ui->Text14->text());
    put(QStringLiteral("password"), password(ui->Text15));
    put(QStringLiteral("rcon_pw"), password(ui->Text16));
    put(QStringLiteral("ReduceLag"), blank(ui->Check25));
    put(QStringLiteral("UseMapList"), blank(ui->Check22));
    put(QStringLiteral("Default_Map"), startMap);
}
