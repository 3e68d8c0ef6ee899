#include "shell/settingcontrols.h"

namespace {

using S = LaunchSettings;

constexpr TextControl texts[] = {
    {"Text1", &S::gameFolder},
    {"Text2", &S::hostName},
    {"Text3", &S::welcomeMessage},
    {"Text4", &S::fragLimit},
    {"Text5", &S::port},
    {"Text6", &S::timeLimit},
    {"Text7", &S::maxClients},
    {"Text8", &S::maxSpectators},
    {"Text9", &S::ctfLoops},
    {"Text10", &S::controlLimit},
    {"Text11", &S::moveScale},
    {"Text12", &S::suicidePenalty},
    {"Text13", &S::reconnectLimit},
    {"Text14", &S::gravity},
    {"Text15", &S::password},
    {"Text16", &S::rconPassword},
};

constexpr TickControl ticks[] = {
    {"Check17", &S::publicServer},
    {"Check18", &S::cheats},
    {"Check20", &S::allowUploads},
    {"Check21", &S::allowDownloads},
    {"Check22", &S::useMapList},
    {"Check23", &S::openCommandList},
    {"Check25", &S::reduceLag},
    {"Check26", &S::useCustomCommands},
    {"Check27", &S::developer},
    {"Check28", &S::verboseNetwork},
    {"Check29", &S::logConsole},
    {"Check30", &S::logStats},
};

} // namespace

std::span<const TextControl> textControls()
{
    return texts;
}

std::span<const TickControl> tickControls()
{
    return ticks;
}
