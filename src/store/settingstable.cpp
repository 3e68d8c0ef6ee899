#include "store/settingstable.h"

#include "store/storedvalues.h"

namespace {

using enum StoredAs;
using enum Saved;

// The game folder is read from "Path", which start-up writes from the game's
// registration, and saved as "Game_Loc", which nothing reads back.
constexpr StoredSetting table[] = {
    {"Check28", "VerboseNet", "", Check, OnEveryChange},
    {"Check27", "Developer", "", Check, OnEveryChange},
    {"Check29", "LogConsole", "", Check, OnEveryChange},
    {"Check30", "LogStats", "", Check, OnEveryChange},
    {"Check26", "UseOther", "", Check, OnEveryChange},
    {"Check25", "ReduceLag", "", CheckWithBlank, ByExit},
    {"Text4", "Frag_Limit", "30", Text, ByExit},
    {"Text6", "Time_Limit", "60", Text, ByExit},
    {"Text7", "Max_Clients", "60", Text, ByExit},
    {"Text8", "Max_Spec", "2", Text, ByExit},
    {"Text10", "Control_Limit", "4", Text, ByExit},
    {"Text9", "CTF_Loops", "4", Text, ByExit},
    {"Check18", "Cheats_ONOFF", "", CheckWithBlank, ByExit},
    {"Text1", "Path", "C:\\Program Files\\Marlow\\Tarn Gold", Text, Never},
    {"Text1", "Game_Loc", "", Text, ByExit, false},
    {"Text2", "Host_Name", "Tarn Server Launcher v1.8 <Dedicated>", Text, ByExit},
    {"Text3", "Welcome_Mess", "Die...", Text, ByExit},
    {"Text5", "Server_Port", "28910", Text, ByExit},
    {"Check17", "Public_Server", "", CheckWithBlank, ByExit},
    {"Check23", "launchlist", "", CheckWithBlank, ByExit},
    {"Text14", "sv_gravity", "800", Text, ByExit},
    {"Text15", "password", "", Password, ByExit},
    {"Text16", "rcon_pw", "", Password, ByExit},
    {"Check22", "UseMapList", "", CheckWithBlank, ByExit},
    {"Text12", "svsuicidepenalty", "2", Text, ByExit},
    {"Text11", "gmovescale", "1.0", Text, ByExit},
    {"Check20", "allowuploads", "", Check, ByExit},
    {"Check21", "allowdownloads", "", Check, ByExit},
    {"Text13", "svreconnectlimit", "3", Text, ByExit},
};

} // namespace

std::span<const StoredSetting> storedSettings()
{
    return table;
}

QString textFromStored(const StoredSetting &setting, const QString &stored)
{
    if (setting.storedAs == Password)
        return stored == QLatin1String("x") ? QString() : stored;
    return valueOrDefault(stored, QLatin1String(setting.defaultText));
}

QString storedText(const StoredSetting &setting, const QString &text)
{
    if (setting.storedAs == Password && text.isEmpty())
        return QStringLiteral("x");
    return text;
}

QString storedCheck(const StoredSetting &setting, Qt::CheckState state)
{
    return storedCheckText(state, setting.storedAs == CheckWithBlank);
}
