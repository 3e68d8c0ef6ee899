// The two tools as their users meet them: tarnreg on a store of its own,
// tarnded answering remote-console datagrams on loopback.

#include "support/files.h"
#include "support/rconclient.h"
#include "support/toolpath.h"

#include <QDir>
#include <QNetworkDatagram>
#include <QOperatingSystemVersion>
#include <QProcess>
#include <QTemporaryDir>

namespace {

using Run = std::pair<int, QByteArray>;
const Run done = {0, "The operation completed successfully.\n"};

// tarnreg's exit code and all it printed; on the store file given, else
// on the test's.
Run tarnreg(const QStringList &arguments, const QString &store = {})
{
    QProcess process;
    // Set for the child alone: Windows would pass a name set with qputenv
    // through the ANSI code page.
    if (!store.isEmpty()) {
        QProcessEnvironment environment = QProcessEnvironment::systemEnvironment();
        environment.insert("TARNSTARTER_REGISTRY", store);
        process.setProcessEnvironment(environment);
    }
    process.setProcessChannelMode(QProcess::MergedChannels);
    process.start(toolPath("tarnreg"), arguments);
    const bool ended
        = process.waitForFinished(60000) && process.exitStatus() == QProcess::NormalExit;
    QByteArray out = process.readAll();
    // A Windows console ends every line it is given with "\r\n".
    if (QOperatingSystemVersion::currentType() == QOperatingSystemVersion::Windows)
        out.replace("\r\n", "\n");
    return {ended ? process.exitCode() : -1, out};
}

// Starts tarnded in folder and waits until it listens (or has ended).
void startServer(QProcess &process, const QString &folder, quint16 port)
{
    process.setWorkingDirectory(folder);
    process.start(toolPath("tarnded"),
        {"+map", "dm/fromargs", "+set", "maxclients", "4", "+set", "dedicated", "1", "+set",
            "hostport", QString::number(port), "+set", "bots", "2"});
    QVERIFY(process.waitForStarted());
    while (!process.peek(1 << 20).contains("Listening on") && process.waitForReadyRead(10000)) { }
}

} // namespace

class ToolsTest : public QObject
{
    Q_OBJECT

private:
    QTemporaryDir dir;
    int stores = 0;

private slots:
    // Every test starts from an empty store of its own; the tools inherit it.
    void init()
    {
        qputenv("TARNSTARTER_REGISTRY", QFile::encodeName(dir.filePath(QString::number(++stores))));
    }

    // By hand people write LF line ends, comments, blanks around '=' and
    // byte lists continued over lines. Every byte is kept, text in
    // Windows-1252, exported as hex where a quoted string cannot hold it.
    void tarnregKeepsEveryByte()
    {
        const QString key = "HKLM\\SOFTWARE\\Quillon\\Tarn";
        writeFile(dir.filePath("hand.reg"),
            "REGEDIT4\n; for the test server\n[HKEY_LOCAL_MACHINE\\SOFTWARE\\Quillon\\Tarn]\n"
            "\"Path\" = \"C:\\\\a \\\"q\\\"\"\n@=\"default\"\n\"Blob\"=hex:00,\\\n  ff\n"
            "\"Lines\"=hex(1):61,0d,0a,62,00\n\"Multi\"=hex(7):61,00,00\n"
            "[HKEY_LOCAL_MACHINE\\SOFTWARE\\Quillon\\Tarn\\CustomLST]\n\" 1\"=\"DM/X\"\n");
        QCOMPARE(tarnreg({"import", dir.filePath("hand.reg")}), done);
        QCOMPARE(tarnreg({"add", key, "/v", "Name", "/d", "é€"}), done);
        for (const auto &[name, dword] : {std::pair("Count", "0x2A"), {"Most", "4294967295"}})
            QCOMPARE(tarnreg({"add", key, "/v", name, "/t", "REG_DWORD", "/d", dword, "/f"}), done);
        const QByteArray exported
            = "REGEDIT4\r\n\r\n[HKEY_LOCAL_MACHINE\\SOFTWARE\\Quillon]\r\n\r\n"
              "[HKEY_LOCAL_MACHINE\\SOFTWARE\\Quillon\\Tarn]\r\n"
              "\"Path\"=\"C:\\\\a \\\"q\\\"\"\r\n@=\"default\"\r\n"
              "\"Blob\"=hex:00,ff\r\n\"Lines\"=hex(1):61,0d,0a,62,00\r\n"
              "\"Multi\"=hex(7):61,00,00\r\n\"Name\"=\"\xE9\x80\"\r\n"
              "\"Count\"=dword:0000002a\r\n\"Most\"=dword:ffffffff\r\n\r\n"
              "[HKEY_LOCAL_MACHINE\\SOFTWARE\\Quillon\\Tarn\\CustomLST]\r\n"
              "\" 1\"=\"DM/X\"\r\n\r\n";
        // Exported, and imported into a new store, it exports the same.
        for (int round = 0; round < 2; ++round) {
            QCOMPARE(tarnreg({"export", "HKLM\\SOFTWARE\\Quillon", dir.filePath("out.reg")}), done);
            QCOMPARE(readFile(dir.filePath("out.reg")), exported);
            init();
            QCOMPARE(tarnreg({"import", dir.filePath("out.reg")}), done);
        }
        QCOMPARE(tarnreg({"query", key}),
            Run(0,
                QString("\nHKEY_LOCAL_MACHINE\\SOFTWARE\\Quillon\\Tarn\n"
                        "    Path    REG_SZ    C:\\a \"q\"\n    (Default)    REG_SZ    default\n"
                        "    Blob    REG_BINARY    00FF\n    Lines    REG_SZ    a\r\nb\n"
                        "    Multi    REG_MULTI_SZ    a\n    Name    REG_SZ    é€\n"
                        "    Count    REG_DWORD    0x2a\n    Most    REG_DWORD    0xffffffff\n\n"
                        "HKEY_LOCAL_MACHINE\\SOFTWARE\\Quillon\\Tarn\\CustomLST\n")
                    .toUtf8()));
        QCOMPARE(tarnreg({"query", key, "/v", "Missing"}).first, 1);
    }

    void tarnregDeletesAndHelps()
    {
        const QString key = "HKLM\\SOFTWARE\\Quillon\\TarnLauncher";
        QCOMPARE(tarnreg({"add", key, "/v", "Frag_Limit", "/d", "30"}), done);
        QCOMPARE(tarnreg({"delete", key, "/v", "frag_limit", "/f"}), done);
        QCOMPARE(tarnreg({"query", key, "/v", "Frag_Limit"}).first, 1);
        QCOMPARE(tarnreg({"delete", key, "/v", "Frag_Limit", "/f"}).first, 1);
        for (const QString help : {"/?", "--help"}) {
            const auto [code, output] = tarnreg({help});
            QVERIFY(code == 0 && output.contains("tarnreg delete KEY [/v NAME | /ve] [/f]"));
        }
    }

    void tarnregRefusesBadUsageAndFaultyFiles()
    {
        const QByteArray syntax = "ERROR: Invalid syntax.\nType \"tarnreg /?\" for usage.\n";
        QCOMPARE(tarnreg({}), Run(1, syntax));
        QCOMPARE(tarnreg({"delete", "HKLM\\A", "/v"}), Run(1, syntax));
        QCOMPARE(tarnreg({"query", "HKXY\\A"}), Run(1, "ERROR: Invalid key name.\n"));
        const std::pair<QString, QByteArray> dwords[] = {
            {"4294967296", "does not fit"}, {"12a", "is not a number"}, {"0x", "is not a number"}};
        for (const auto &[dword, why] : dwords) {
            const auto [code, output]
                = tarnreg({"add", "HKLM\\A", "/v", "n", "/t", "REG_DWORD", "/d", dword});
            QVERIFY2(code == 1 && output.contains(why), output);
        }

        // A faulty file names its first faulty line.
        const QByteArray head
            = "REGEDIT4\r\n\r\n[HKEY_LOCAL_MACHINE\\SOFTWARE\\Q]\r\n\"a\"=\"new\"\r\n";
        const std::pair<QByteArray, int> faults[] = {{head + "\"b\"=\"unfinis", 5},
            {head + "\"b\"=hex:01,\\\r\n", 5}, {head + "\"b\"=qword:1\r\n", 5},
            {head + "\"b\"=\"a\\nb\"\r\n", 5}, {head + "\"b\"=dword:123456789\r\n", 5},
            {head + "[-HKEY_LOCAL_MACHINE\\SOFTWARE\\Q]\r\n", 5},
            {head + "[HKEY_LOCAL_MACHINE\\SOFTWARE\\R]\r\n\"x\"=\"1\"\r\n\"y\"=hex:01,2g\r\n", 7},
            {"REGEDIT4\r\n\r\n\"a\"=\"b\"\r\n[HKEY_LOCAL_MACHINE\\SOFTWARE\\R]\r\n", 3},
            {"Windows Registry Editor Version 5\r\n", 1},
            {"Windows Registry Editor Version 5.00\r\n\r\n[HKEY_LOCAL_MACHINE\\SOFTWARE\\Q]\r\n"
             "\"b\"=hex(2):41,00,42\r\n",
                4}};
        for (const auto &[file, line] : faults) {
            QVERIFY(writeFile(dir.filePath("faulty.reg"), file));
            const auto [code, output] = tarnreg({"import", dir.filePath("faulty.reg")});
            QVERIFY2(
                code == 1 && output.startsWith("ERROR: line " + QByteArray::number(line)), output);
        }
    }

    // An operator moves a server's settings from Windows: the registry
    // editor's file of today, UTF-16 with a byte-order mark, in one import,
    // kept in the store's Windows-1252 as far as it goes.
    void tarnregTakesWindowsExportsAndWholeKeys()
    {
        const QString text = "Windows Registry Editor Version 5.00\r\n\r\n"
                             "[HKEY_LOCAL_MACHINE\\SOFTWARE\\Quillon\\TarnLauncher]\r\n"
                             "@=\"Tarn \u00dc\"\r\n\"Host_Name\"=\"Caf\u00e9 \u20ac \u4e2d\"\r\n"
                             "\"Big\"=hex(b):01,00,00,00,00,00,00,00\r\n"
                             "\"Maps\"=hex(7):61,00,00,00,e9,00,00,00,00,00\r\n"
                             "\"Home\"=hex(2):25,00,58,00,\\\r\n  25,00,00,00\r\n\r\n"
                             "[HKEY_LOCAL_MACHINE\\SOFTWARE\\Quillon\\TarnLauncher\\CustomLST]\r\n"
                             "\" 1\"=\"DM/X\"\r\n\r\n";
        QVERIFY(writeFile(dir.filePath("windows.reg"),
            "\xFF\xFE"
                + QByteArray(reinterpret_cast<const char *>(text.utf16()), text.size() * 2)));
        QCOMPARE(tarnreg({"import", dir.filePath("windows.reg")}), done);
        const QString key = "HKLM\\SOFTWARE\\Quillon\\TarnLauncher";
        const QString full = "HKEY_LOCAL_MACHINE\\SOFTWARE\\Quillon";
        QCOMPARE(tarnreg({"query", "HKLM\\SOFTWARE\\Quillon", "/s"}),
            Run(0,
                QString("\n" + full + "\n\n" + full + "\\TarnLauncher\n"
                    + "    (Default)    REG_SZ    Tarn \u00dc\n"
                      "    Host_Name    REG_SZ    Caf\u00e9 \u20ac ?\n"
                      "    Big    REG_QWORD    0x1\n"
                      "    Maps    REG_MULTI_SZ    a\\0\u00e9\n    Home    REG_EXPAND_SZ    %X%\n\n"
                    + full + "\\TarnLauncher\\CustomLST\n     1    REG_SZ    DM/X\n\n")
                    .toUtf8()));

        // Data without a value name is the key's default value.
        QCOMPARE(tarnreg({"add", key, "/d", "hello"}), done);
        QCOMPARE(tarnreg({"query", key, "/ve"}),
            Run(0, "\n" + full.toUtf8() + "\\TarnLauncher\n    (Default)    REG_SZ    hello\n\n"));

        // A whole key goes with everything below it; a root key stays.
        QCOMPARE(tarnreg({"delete", key, "/f"}), done);
        QCOMPARE(tarnreg({"delete", key, "/f"}).first, 1);
        QCOMPARE(tarnreg({"add", key + "\\CustomLST"}), done);
        QCOMPARE(tarnreg({"query", key, "/s"}),
            Run(0,
                QString("\n%1\\TarnLauncher\n\n%1\\TarnLauncher\\CustomLST\n\n")
                    .arg(full)
                    .toUtf8()));
        QCOMPARE(tarnreg({"delete", "HKLM", "/f"}).first, 1);
    }

    // Query only reads: a missing store is named, and not made.
    void tarnregReadsOnlyAStoreThatIsThere()
    {
        qputenv("TARNSTARTER_REGISTRY", QFile::encodeName(dir.filePath("typo/registry.db")));
        const auto [code, output] = tarnreg({"query", "HKLM\\SOFTWARE"});
        QVERIFY2(code == 1 && output.contains("typo/registry.db"), output);
        QVERIFY(!QFileInfo::exists(dir.filePath("typo")));
    }

    // Names outside ASCII reach the file system as they are: the store, a
    // file exported to and one imported from.
    void tarnregKeepsFileNamesAsGiven()
    {
        const QString store = dir.filePath("Jürgen.db"), file = dir.filePath("Müller.reg");
        QCOMPARE(tarnreg({"add", "HKLM\\SOFTWARE\\Q", "/v", "a", "/d", "1"}, store), done);
        QCOMPARE(tarnreg({"export", "HKLM\\SOFTWARE\\Q", file}, store), done);
        QVERIFY(QFile::exists(store) && readFile(file).contains("\"a\"=\"1\""));
        QCOMPARE(tarnreg({"import", file}), done);
        QCOMPARE(tarnreg({"query", "HKLM\\SOFTWARE\\Q", "/v", "a"}).first, 0);
    }

    void tarndedAnswersOnItsPortAndHoldsIt()
    {
        // A game folder whose name is not ASCII, as many are.
        const QString open = dir.filePath("Open"), folder = dir.filePath("Spiel Müller");
        QVERIFY(writeFile(open + "/User/DEDICATED.CFG", "set hostname open\n"));
        QByteArray config
            = "// Generated\r\nset hostname \"My \"Big\" Server\"\r\nset maxclients 16\r\n"
              "set hostport 1\r\nset rcon_password s3 cr3t\r\nset logfile 1\r\n";
        for (int i = 0; i < 100; ++i)
            config += "set custom_" + QByteArray::number(i) + " value\r\n";
        QVERIFY(writeFile(folder + "/User/DEDICATED.CFG", config + "map DM/FROMCFG"));
        QVERIFY(writeFile(folder + "/User/loop.cfg", "exec LOOP.CFG\n"));
        QVERIFY(writeFile(folder + "/User/Maps/DM/FROMARGS.BSP", "map"));
        QVERIFY(writeFile(folder + "/secret.cfg", "set leaked 1\n"));

        // Without a password nothing is done; the port is held; a stop
        // signal ends the server.
        const quint16 port = freeUdpPort();
        QProcess server, second;
        startServer(server, open, port);
        QCOMPARE(askServer(port, "any quit"), "No rcon_password set on the server.\n");
        startServer(second, folder, port);
        QVERIFY(second.state() == QProcess::NotRunning || second.waitForFinished(10000));
        QVERIFY(second.exitCode() == 1
            && second.readAllStandardError().contains("Address already in use"));
        server.terminate();
        QVERIFY(server.waitForFinished(10000) && server.exitCode() == 0);

        // The configuration overrides "+set" arguments but cannot move the
        // port; "+map" comes last; a long answer comes in pieces.
        startServer(server, folder, port);
        int pieces = 0;
        const QByteArray info = askServer(port, "s3 cr3t serverinfo", 5000, &pieces);
        QVERIFY2(info.startsWith("Server info settings:\nhostname My \"Big\" Server\n"), info);
        QVERIFY(pieces > 1 && info.contains("\nmaxclients 16\n")
            && info.contains("\ncustom_99 value\n"));
        QVERIFY(info.contains("\nmapname dm/fromargs\n") && !info.contains("cr3t"));
        const QByteArray status = askServer(port, "s3 cr3t status");
        QVERIFY2(status.startsWith("map: dm/fromargs\n") && status.count("bot\n") == 2, status);
        // The whole password and a blank after it, and only up to a zero byte.
        for (const QByteArray wrong : {"s3 cr3ts status", "s3", "S3 cr3t status", "s3 cr3"})
            QCOMPARE(askServer(port, wrong), "Bad rcon_password.\n");
        QCOMPARE(askServer(port, QByteArray("s3 cr3t say hi\0say no", 21)), "console: hi\n");
        // exec reads files of the USER folder only, and ends.
        QVERIFY(askServer(port, "s3 cr3t exec loop.cfg").endsWith("couldn't exec LOOP.CFG\n"));
        for (const QByteArray name : {"../secret.cfg", "..\\secret.cfg", "/etc/passwd", "c:x.cfg"})
            QCOMPARE(askServer(port, "s3 cr3t exec " + name), "couldn't exec " + name + "\n");
        QCOMPARE(askServer(port, "s3 cr3t quit"), "Server quit.\n");
        QVERIFY(server.waitForFinished(10000) && server.exitCode() == 0);
        QVERIFY(server.readAll().contains("hostport can only be set at start-up"));
        QVERIFY(readFile(folder + "/User/TARN.LOG").contains("console: hi\n"));
    }

    // Players are kicked by their slot number or their name, which stay
    // theirs while others leave; a banned address cannot join; only maps
    // the game folder holds are loaded.
    void tarndedKicksBansAndChangesMaps()
    {
        const QString folder = dir.filePath("Players");
        QVERIFY(writeFile(folder + "/USER/Dedicated.cfg", "set rcon_password pw\nset clients 3\n"));
        QVERIFY(writeFile(folder + "/USER/MAPS/dm/fromargs.bsp", "map"));
        QVERIFY(writeFile(folder + "/USER/MAPS/Canyon.BSP", "map"));
        const quint16 port = freeUdpPort();
        QProcess server;
        startServer(server, folder, port);
        const auto ask = [port](const QByteArray &line) { return askServer(port, "pw " + line); };
        const auto players = [&] {
            QByteArrayList rows = ask("status").split('\n').mid(3);
            for (QByteArray &row : rows)
                row = row.mid(0, 4).trimmed() + '|' + row.mid(15, 15).trimmed() + '|' + row.mid(31);
            rows.removeAll("||");
            return rows;
        };
        QCOMPARE(players(),
            QByteArrayList({"0|Grunt|bot", "1|Viper|bot", "2|^1Red Baron|192.0.2.10:27960",
                "3|Lucky Strike|192.0.2.11:27960", "4|^4Blue^7Fox|192.0.2.12:27960"}));

        QCOMPARE(ask("kick 3"), "Lucky Strike was kicked\n");
        QCOMPARE(ask("kick \"red BARON\""), "^1Red Baron was kicked\n");
        QCOMPARE(ask("kick 3"), "Bad client slot: 3\n");
        QCOMPARE(ask("kick Nobody"), "Player Nobody is not on the server\n");
        QCOMPARE(players(),
            QByteArrayList({"0|Grunt|bot", "1|Viper|bot", "4|^4Blue^7Fox|192.0.2.12:27960"}));

        QCOMPARE(ask("filter_add 192.0.2.012"), "Added 192.0.2.12 to the filter list.\n");
        QCOMPARE(ask("filter_add 192.0.2.12"), "192.0.2.12 is already on the filter list.\n");
        for (const QByteArray bad : {"192.0.2", "192.0.2.256", "192.0.2.1:80", "x"})
            QCOMPARE(ask("filter_add " + bad), "Bad filter address: " + bad + "\n");
        QCOMPARE(ask("filter_list"), "Filter list:\n192.0.2.12\n");
        QCOMPARE(ask("kick 4"), "^4Blue^7Fox was kicked\n");
        QCOMPARE(ask("clients 3"), "Connection from 192.0.2.12:27960 refused: banned\n");
        QCOMPARE(players().size(), 4);
        QCOMPARE(ask("filter_remove 192.0.2.12"), "Removed.\n");
        QCOMPARE(ask("filter_remove 192.0.2.12"), "Didn't find 192.0.2.12.\n");
        QCOMPARE(ask("clients 3"), "");
        QCOMPARE(players().last(), "4|^4Blue^7Fox|192.0.2.12:27960");

        QVERIFY(ask("status").startsWith("map: dm/fromargs\n"));
        for (const QByteArray missing : {"dm/nosuch", "../USER/MAPS/canyon", "dm/airportdm"})
            QCOMPARE(ask("map " + missing), "Can't find map " + missing + "\n");
        QCOMPARE(ask("map CANYON"), "Changing map to CANYON\n");
        QCOMPARE(ask("map DM/Qevcon1"), "Changing map to DM/Qevcon1\n");
        QVERIFY(ask("status").startsWith("map: DM/Qevcon1\n"));
        server.terminate();
        QVERIFY(server.waitForFinished(10000));
    }
};

QTEST_GUILESS_MAIN(ToolsTest)
#include "tools_test.moc"
