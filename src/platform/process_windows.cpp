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

namespace {

// Starts the program in a console of its own, in its folder, with the
// command line Windows programs expect: the program in quotes, then the
// arguments exactly as given. `output`, when given, is inherited as its
// standard output and error.
bool createProcess(const std::string &program, const std::string &arguments,
    const std::string &workingDirectory, StartWindow window, HANDLE output,
    PROCESS_INFORMATION *started, std::string *error)
{
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
    if (output) {
        startup.dwFlags |= STARTF_USESTDHANDLES;
        startup.hStdOutput = output;
        startup.hStdError = output;
    }
    if (!CreateProcessW(programPath.c_str(), commandLine.data(), nullptr, nullptr,
            output ? TRUE : FALSE, CREATE_NEW_CONSOLE, nullptr, folder.c_str(), &startup, started))
        return fail(error, program + " could not be started: " + systemMessage(GetLastError()));
    CloseHandle(started->hThread);
    return true;
}

} // namespace

// The server starts minimized, leaving the focus where it is.
bool startDetached(const std::string &program, const std::string &arguments,
    const std::string &workingDirectory, std::string *error, StartWindow window)
{
    if (error)
        error->clear();
    PROCESS_INFORMATION started = {};
    if (!createProcess(program, arguments, workingDirectory, window, nullptr, &started, error))
        return false;
    CloseHandle(started.hProcess);
    return true;
}

WatchedProcess::~WatchedProcess()
{
    if (handle)
        CloseHandle(handle);
}

// The output file is inherited as the console's output; the program keeps
// a console of its own, so that it runs on when this program ends.
bool WatchedProcess::start(const std::string &program, const std::string &arguments,
    const std::string &workingDirectory, const std::string &outputFile, std::string *error)
{
    if (error)
        error->clear();
    SECURITY_ATTRIBUTES inherited = {};
    inherited.nLength = sizeof inherited;
    inherited.bInheritHandle = TRUE;
    const HANDLE output = CreateFileW(wideFromUtf8(outputFile).c_str(), FILE_APPEND_DATA,
        FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE, &inherited, OPEN_ALWAYS,
        FILE_ATTRIBUTE_NORMAL, nullptr);
    if (output == INVALID_HANDLE_VALUE)
        return fail(error,
            "The file " + outputFile + " could not be written: " + systemMessage(GetLastError()));
    PROCESS_INFORMATION started = {};
    const bool ok = createProcess(program, arguments, workingDirectory,
        StartWindow::minimizedInBackground, output, &started, error);
    CloseHandle(output);
    if (!ok)
        return false;
    if (handle)
        CloseHandle(handle);
    handle = started.hProcess;
    id = started.dwProcessId;
    end.reset();
    return true;
}

std::optional<ProcessEnd> WatchedProcess::ended()
{
    if (end || !handle || WaitForSingleObject(handle, 0) != WAIT_OBJECT_0)
        return end;
    DWORD code = 0;
    GetExitCodeProcess(handle, &code);
    end = ProcessEnd {int(code), 0};
    return end;
}

void WatchedProcess::kill()
{
    if (handle && !ended())
        TerminateProcess(handle, 1);
}

} // namespace platform
