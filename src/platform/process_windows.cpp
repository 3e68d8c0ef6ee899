#include "platform/process.h"

#include "platform/launchcheck.h"
#include "platform/text_windows.h"

#include <filesystem>
#include <windows.h>

namespace platform {

PathKind pathKind(const std::string &hostPath)
{
    const DWORD attributes = GetFileAttributesW(wideFromUtf8(hostPath).c_str());
    if (attributes == INVALID_FILE_ATTRIBUTES)
        return PathKind::Missing;
    return attributes & FILE_ATTRIBUTE_DIRECTORY ? PathKind::Folder : PathKind::File;
}

// A relative program is taken from the current folder, never searched for.
bool resolveProgram(
    const std::string &program, std::vector<std::string> *arguments, std::string *error)
{
    std::error_code failure;
    const std::filesystem::path full
        = std::filesystem::absolute(std::filesystem::path(wideFromUtf8(program)), failure);
    const std::string programPath = utf8FromWide(full.wstring());
    const PathKind kind = program.empty() || failure ? PathKind::Missing : pathKind(programPath);
    if (const std::string refusal = programRefusal(program, kind); !refusal.empty())
        return fail(error, refusal);
    *arguments = {programPath};
    return true;
}

// The server starts minimized in a console of its own, in its game folder,
// with the command line Windows programs expect: the program in quotes, then
// the arguments exactly as given.
bool startDetached(const std::string &program, const std::string &arguments,
    const std::string &workingDirectory, std::string *error, StartWindow window)
{
    if (error)
        error->clear();
    ResolvedLaunch resolved;
    if (!resolveLaunch(program, arguments, workingDirectory, &resolved, error))
        return false;
    const std::wstring programPath = wideFromUtf8(resolved.arguments.front());
    std::wstring commandLine = L"\"" + programPath + L"\"";
    if (!arguments.empty())
        commandLine += L" " + wideFromUtf8(arguments);
    const std::wstring folder = wideFromUtf8(resolved.directory);

    STARTUPINFOW startup = {};
    startup.cb = sizeof startup;
    startup.dwFlags = STARTF_USESHOWWINDOW;
    startup.wShowWindow = window == StartWindow::normal ? SW_SHOWNORMAL : SW_SHOWMINNOACTIVE;
    PROCESS_INFORMATION started = {};
    if (!CreateProcessW(programPath.c_str(), commandLine.data(), nullptr, nullptr, FALSE,
            CREATE_NEW_CONSOLE, nullptr, folder.c_str(), &startup, &started))
        return fail(error, program + " could not be started: " + systemMessage(GetLastError()));
    CloseHandle(started.hThread);
    CloseHandle(started.hProcess);
    return true;
}

} // namespace platform
