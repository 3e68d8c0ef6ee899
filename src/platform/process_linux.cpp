#include "platform/process.h"

#include "platform/launchcheck.h"
#include "platform/winpath.h"

#include <cerrno>
#include <climits>
#include <csignal>
#include <cstdlib>
#include <cstring>
#include <fcntl.h>
#include <sys/stat.h>
#include <sys/wait.h>
#include <unistd.h>

extern char **environ;

namespace platform {

namespace {

// What the detached child tells the launcher when it cannot get as far as
// running the program. A successful exec closes the pipe without a word.
enum class Step : int { Session = 1, Setup, NullDevice, Directory, Exec };

struct ChildFailure
{
    Step step;
    int error;
};

// Everything the child needs, prepared before the fork: after it the child
// may only make async-signal-safe calls, since the launcher has threads.
struct Launch
{
    ResolvedLaunch resolved;
    std::vector<char *> argv;
    char **environment = nullptr;
    int highestDescriptor = 0;
    // Where standard output and error go; /dev/null when below zero.
    int outputFd = -1;
};

std::string errorText(int number)
{
    return std::strerror(number);
}

// The child changes folder before the exec, so a relative program path must
// be made absolute while it still means what the caller meant.
std::string absolutePath(const std::string &path)
{
    if (!path.empty() && path[0] == '/')
        return path;
    char folder[PATH_MAX];
    if (!getcwd(folder, sizeof folder))
        return path;
    const std::string base = folder;
    return base.back() == '/' ? base + path : base + '/' + path;
}

bool isWindowsExecutable(const std::string &path)
{
    const int fd = open(path.c_str(), O_RDONLY | O_CLOEXEC);
    if (fd < 0)
        return false;
    char header[2] = {};
    ssize_t got;
    do {
        got = read(fd, header, sizeof header);
    } while (got < 0 && errno == EINTR);
    close(fd);
    return got == 2 && header[0] == 'M' && header[1] == 'Z';
}

bool isExecutableFile(const std::string &path)
{
    struct stat info;
    return stat(path.c_str(), &info) == 0 && S_ISREG(info.st_mode)
        && access(path.c_str(), X_OK) == 0;
}

// wine is the one program looked up on the search path. Relative and empty
// entries would name folders that depend on where the launcher happens to
// be, so they are passed over.
std::string findWine()
{
    const char *value = std::getenv("PATH");
    const std::string path = value ? value : "/usr/local/bin:/usr/bin:/bin";
    std::size_t start = 0;
    while (start <= path.size()) {
        std::size_t end = path.find(':', start);
        if (end == std::string::npos)
            end = path.size();
        const std::string folder = path.substr(start, end - start);
        if (!folder.empty() && folder[0] == '/') {
            const std::string candidate = folder.back() == '/' ? folder + "wine" : folder + "/wine";
            if (isExecutableFile(candidate))
                return candidate;
        }
        start = end + 1;
    }
    return {};
}

void report(int fd, Step step, int number)
{
    const ChildFailure failure {step, number};
    ssize_t written;
    do {
        written = write(fd, &failure, sizeof failure);
    } while (written < 0 && errno == EINTR);
}

[[noreturn]] void giveUp(int fd, Step step)
{
    report(fd, step, errno);
    _exit(127);
}

void closeOtherDescriptors(int keep, int highest)
{
    if (keep > 3 && close_range(3, keep - 1, 0) != 0) {
        for (int fd = 3; fd < keep; ++fd)
            close(fd);
    }
    if (close_range(keep + 1, ~0U, 0) != 0) {
        for (int fd = keep + 1; fd <= highest; ++fd)
            close(fd);
    }
}

// The server must not inherit the launcher's blocked or ignored signals:
// an ignored SIGPIPE, for one, would survive the exec.
void resetSignals()
{
    sigset_t none;
    sigemptyset(&none);
    sigprocmask(SIG_SETMASK, &none, nullptr);
    struct sigaction standard;
    std::memset(&standard, 0, sizeof standard);
    standard.sa_handler = SIG_DFL;
    for (int number = 1; number < NSIG; ++number)
        sigaction(number, &standard, nullptr);
}

[[noreturn]] void runProgram(const Launch &launch, int reportFd)
{
    // Keep the report pipe and the output file clear of the three standard
    // descriptors, which are about to be replaced.
    if (reportFd < 3) {
        const int moved = fcntl(reportFd, F_DUPFD_CLOEXEC, 3);
        if (moved < 0)
            giveUp(reportFd, Step::Setup);
        reportFd = moved;
    }
    int output = launch.outputFd;
    if (output >= 0 && output < 3) {
        output = fcntl(output, F_DUPFD_CLOEXEC, 3);
        if (output < 0)
            giveUp(reportFd, Step::Setup);
    }
    resetSignals();
    const int null = open("/dev/null", O_RDWR);
    if (null < 0)
        giveUp(reportFd, Step::NullDevice);
    for (int fd = 0; fd < 3; ++fd) {
        const int source = fd > 0 && output >= 0 ? output : null;
        if (fd != source && dup2(source, fd) < 0)
            giveUp(reportFd, Step::NullDevice);
    }
    if (chdir(launch.resolved.directory.c_str()) != 0)
        giveUp(reportFd, Step::Directory);
    closeOtherDescriptors(reportFd, launch.highestDescriptor);
    execve(launch.argv[0], launch.argv.data(), launch.environment);
    giveUp(reportFd, Step::Exec);
}

// The first child only opens a session and forks the program off, then
// ends at once; the launcher reaps it, and the program, an orphan, is
// reaped by the system when it ends. No zombie is left behind.
[[noreturn]] void runIntermediate(const Launch &launch, int reportFd)
{
    if (setsid() < 0)
        giveUp(reportFd, Step::Session);
    // _Fork runs no fork handlers: after the first fork of a process with
    // threads, only async-signal-safe calls are allowed.
    const pid_t program = _Fork();
    if (program < 0)
        giveUp(reportFd, Step::Setup);
    if (program == 0)
        runProgram(launch, reportFd);
    _exit(0);
}

std::string describe(
    const ChildFailure &failure, const std::string &program, const std::string &workingDirectory)
{
    const std::string reason = errorText(failure.error);
    switch (failure.step) {
    case Step::Session:
        return program + " could not be given a session of its own: " + reason;
    case Step::NullDevice:
        return program + " could not be given /dev/null as input and output: " + reason;
    case Step::Directory:
        return "The working folder " + workingDirectory + " could not be entered: " + reason;
    case Step::Exec:
        return program + " could not be run: " + reason;
    case Step::Setup:
        break;
    }
    return program + " could not be started: " + reason;
}

// The pipe reaches end of file once the program has been exec'd (its end
// closes on exec) or once every child has given up. False, with the reason,
// when a child reported that it gave up.
bool readReport(
    int fd, const std::string &program, const std::string &workingDirectory, std::string *error)
{
    ChildFailure failure {};
    std::size_t got = 0;
    auto *bytes = reinterpret_cast<char *>(&failure);
    while (got < sizeof failure) {
        const ssize_t n = read(fd, bytes + got, sizeof failure - got);
        if (n < 0 && errno == EINTR)
            continue;
        if (n <= 0)
            break;
        got += static_cast<std::size_t>(n);
    }
    close(fd);
    if (got == sizeof failure)
        return fail(error, describe(failure, program, workingDirectory));
    if (got > 0)
        return fail(error, program + " could not be started");
    return true;
}

// Everything the child needs that resolving does not give, made before the
// fork.
bool prepare(const std::string &program, const std::string &arguments,
    const std::string &workingDirectory, Launch *launch, std::string *error)
{
    if (!resolveLaunch(program, arguments, workingDirectory, &launch->resolved, error))
        return false;
    for (std::string &argument : launch->resolved.arguments)
        launch->argv.push_back(argument.data());
    launch->argv.push_back(nullptr);
    launch->environment = environ;
    const long highest = sysconf(_SC_OPEN_MAX);
    launch->highestDescriptor = highest > 0 && highest < INT_MAX ? static_cast<int>(highest) : 1024;
    return true;
}

} // namespace

PathKind pathKind(const std::string &hostPath)
{
    struct stat info;
    if (stat(hostPath.c_str(), &info) != 0)
        return PathKind::Missing;
    if (S_ISDIR(info.st_mode))
        return PathKind::Folder;
    return S_ISREG(info.st_mode) ? PathKind::File : PathKind::Other;
}

bool resolveProgram(
    const std::string &program, std::vector<std::string> *arguments, std::string *error)
{
    std::string programPath = hostPath(program);
    if (programPath.empty())
        return fail(error, program + " is on a drive that is not mapped");
    programPath = absolutePath(programPath);
    if (const std::string refusal = programRefusal(program, pathKind(programPath));
        !refusal.empty())
        return fail(error, refusal);

    if (!isWindowsExecutable(programPath)) {
        if (access(programPath.c_str(), X_OK) != 0)
            return fail(error, program + " is not executable");
        *arguments = {programPath};
        return true;
    }
    const std::string wine = findWine();
    if (wine.empty())
        return fail(error, program + " is a Windows program and wine is not installed");
    *arguments = {wine, programPath};
    return true;
}

// A desktop places the windows of the programs started here itself.
bool startDetached(const std::string &program, const std::string &arguments,
    const std::string &workingDirectory, std::string *error, StartWindow)
{
    if (error)
        error->clear();
    Launch launch;
    if (!prepare(program, arguments, workingDirectory, &launch, error))
        return false;

    int pipeFds[2];
    if (pipe2(pipeFds, O_CLOEXEC) != 0)
        return fail(error, program + " could not be started: " + errorText(errno));
    const pid_t child = fork();
    if (child < 0) {
        const int number = errno;
        close(pipeFds[0]);
        close(pipeFds[1]);
        return fail(error, program + " could not be started: " + errorText(number));
    }
    if (child == 0) {
        close(pipeFds[0]);
        runIntermediate(launch, pipeFds[1]);
    }
    close(pipeFds[1]);

    int status = 0;
    pid_t reaped;
    do {
        reaped = waitpid(child, &status, 0);
    } while (reaped < 0 && errno == EINTR);

    if (!readReport(pipeFds[0], program, workingDirectory, error))
        return false;
    // Without a report, the first child must have ended normally, or it
    // never got as far as forking the program off.
    if (reaped == child && !(WIFEXITED(status) && WEXITSTATUS(status) == 0))
        return fail(error, program + " could not be started");
    return true;
}

WatchedProcess::~WatchedProcess() = default;

// One fork only, so that this program stays the parent and learns how the
// program ended; its own session keeps it running when this program ends.
bool WatchedProcess::start(const std::string &program, const std::string &arguments,
    const std::string &workingDirectory, const std::string &outputFile, std::string *error)
{
    if (error)
        error->clear();
    Launch launch;
    if (!prepare(program, arguments, workingDirectory, &launch, error))
        return false;
    launch.outputFd = open(outputFile.c_str(), O_WRONLY | O_APPEND | O_CREAT | O_CLOEXEC, 0600);
    if (launch.outputFd < 0)
        return fail(error, "The file " + outputFile + " could not be written: " + errorText(errno));

    int pipeFds[2];
    if (pipe2(pipeFds, O_CLOEXEC) != 0) {
        const int number = errno;
        close(launch.outputFd);
        return fail(error, program + " could not be started: " + errorText(number));
    }
    const pid_t child = fork();
    if (child == 0) {
        close(pipeFds[0]);
        if (setsid() < 0)
            giveUp(pipeFds[1], Step::Session);
        runProgram(launch, pipeFds[1]);
    }
    const int number = errno;
    close(pipeFds[1]);
    close(launch.outputFd);
    if (child < 0) {
        close(pipeFds[0]);
        return fail(error, program + " could not be started: " + errorText(number));
    }
    if (!readReport(pipeFds[0], program, workingDirectory, error)) {
        while (waitpid(child, nullptr, 0) < 0 && errno == EINTR) { }
        return false;
    }
    id = child;
    end.reset();
    return true;
}

std::optional<ProcessEnd> WatchedProcess::ended()
{
    if (end || id <= 0)
        return end;
    int status = 0;
    pid_t reaped;
    do {
        reaped = waitpid(pid_t(id), &status, WNOHANG);
    } while (reaped < 0 && errno == EINTR);
    if (reaped == 0)
        return std::nullopt;
    ProcessEnd ending;
    if (reaped < 0)
        ending.code = -1; // reaped elsewhere: gone, how is not known
    else if (WIFSIGNALED(status))
        ending.signal = WTERMSIG(status);
    else
        ending.code = WEXITSTATUS(status);
    end = ending;
    return end;
}

void WatchedProcess::kill()
{
    if (id > 0 && !ended())
        ::kill(pid_t(id), SIGKILL);
}

} // namespace platform
