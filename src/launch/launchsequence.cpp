#include "launch/launchsequence.h"

#include "launch/configfiles.h"
#include "launch/configtext.h"
#include "launch/gamefolder.h"
#include "store/shortpath.h"
#include "store/textcodec.h"

LaunchResult runLaunch(const LaunchForm &form, const QDateTime &when, const StartStep &start)
{
    LaunchResult result;
    result.server.gameFolder = form.gameFolder;
    result.server.arguments = serverArguments(form.port);
    result.gameFolderProblem = gameFolderProblem(result.server.gameFolder);
    if (!result.gameFolderProblem.isEmpty())
        return result;
    // Without a password the server's remote console would be anybody's.
    if (rconPasswordSent(form.rconPassword).isEmpty()) {
        result.configurationFailure = noRconPasswordText();
        return result;
    }
    const QStringList cycle = mapCycleWritten(form);
    result.mapFilesFailed = !cycle.isEmpty() && !writeMapFiles(result.server.gameFolder, cycle);
    result.server.shortFolder = GetShortPath(result.server.gameFolder);
    result.configurationFailure = writeConfiguration(
        result.server.gameFolder, result.server.shortFolder, toWindows1252(configText(form, when)));
    if (!start || !result.filesWritten())
        return result;
    result.startFailure = start(result.server);
    result.started = result.startFailure.isEmpty();
    return result;
}
