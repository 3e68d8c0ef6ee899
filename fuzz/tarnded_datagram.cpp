// Anyone who can reach tarnded's port can send it datagrams. Whatever they
// hold, the server must answer with well-formed reply datagrams (or none),
// also when the commands in them read files of the game folder.

#include "fuzzcheck.h"
#include "tarnded/rcon.h"
#include "tarnded/server.h"

#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <string>

using namespace tarnded;

namespace {

constexpr std::string_view replyPrefix("\xFF\xFF\xFF\xFFprint\n", 10);
constexpr std::string_view requestPrefix("\xFF\xFF\xFF\xFFrcon ", 9);

// Console output and the log file are not under test; nothing reaches disk.
class SilentConsole : public Console
{
public:
    void print(std::string_view) override { }
    bool setLogFile(const std::string &) override { return true; }
};

std::string gameFolder;

void writeFile(const std::filesystem::path &path, std::string_view text)
{
    std::filesystem::create_directories(path.parent_path());
    std::ofstream(path, std::ios::binary) << text;
}

// A game folder whose files the fuzzed commands can exec and load, one of
// them executing itself.
void makeGameFolder()
{
    std::string pattern = (std::filesystem::temp_directory_path() / "tarnded-fuzz.XXXXXX").string();
    if (!mkdtemp(pattern.data()))
        std::abort();
    gameFolder = pattern;
    const std::filesystem::path user = std::filesystem::path(gameFolder) / "USER";
    writeFile(user / "Dedicated.cfg", "set hostname \"fuzz\"\r\nset bots 4\r\nexec other.cfg\r\n");
    writeFile(user / "other.cfg", "// comment\nset fraglimit 10\nmap DM/QEVCON1\n");
    writeFile(user / "loop.cfg", "exec LOOP.CFG\n");
    writeFile(user / "MAPLISTS" / "cycle.lst", "DM/ONE\n\"DM/TWO\" x\n// no\nDM/THREE\n");
    std::atexit([] { std::filesystem::remove_all(gameFolder); });
}

void checkReplies(const std::vector<std::string> &replies)
{
    for (const std::string &reply : replies) {
        fuzzRequire(reply.starts_with(replyPrefix), "every reply has the print header");
        fuzzRequire(reply.size() - replyPrefix.size() <= maxReplyText, "replies fit a datagram");
    }
}

} // namespace

extern "C" int LLVMFuzzerInitialize(int *, char ***)
{
    makeGameFolder();
    return 0;
}

extern "C" int LLVMFuzzerTestOneInput(const uint8_t *data, size_t size)
{
    const std::string_view datagram(reinterpret_cast<const char *>(data), size);

    SilentConsole console;
    Server server(console, gameFolder, "tarnded +set dedicated 1");
    server.applySettings({{"set", "rcon_password secret"}, {"set", "dedicated 1"}});
    const std::vector<std::string> replies = handleDatagram(server, datagram, "127.0.0.1:28901");
    if (!datagram.starts_with(requestPrefix))
        fuzzRequire(replies.empty(), "only remote-console requests are answered");
    else
        fuzzRequire(!replies.empty(), "every request is answered");
    checkReplies(replies);

    // Any answer text, cut into datagrams, joins back to itself.
    const std::vector<std::string> pieces = replyDatagrams(datagram);
    checkReplies(pieces);
    std::string joined;
    for (const std::string &piece : pieces)
        joined += piece.substr(replyPrefix.size());
    fuzzRequire(joined == datagram, "reply datagrams carry the whole answer");
    return 0;
}
