#include "platform/localaddress.h"
#include "platform/winpath.h"

#include <QDir>
#include <QFile>
#include <QHostAddress>
#include <QTemporaryDir>
#include <QtTest>

using namespace platform;

namespace {

void touch(const QString &path)
{
    QDir().mkpath(QFileInfo(path).path());
    QFile file(path);
    QVERIFY(file.open(QIODevice::WriteOnly));
}

std::string str(const QString &text)
{
    return text.toStdString();
}

} // namespace

class WinpathTest : public QObject
{
    Q_OBJECT

private:
    QTemporaryDir dir;

    QString root() const { return dir.path(); }

private slots:
    void initTestCase()
    {
        touch(root() + "/games/tarn/user/dedicated.cfg");
        touch(root() + "/games/tarn/user/MAPS/dm/Qevcon1.bsp");
        touch(root() + QStringLiteral(u"/games/\u00E9t\u00E9/\u0153uvre.cfg"));
        touch(root() + "/prefix/drive_c/Program Files/Tarn/tarn.exe");
        QVERIFY(QDir().mkpath(root() + "/prefix/dosdevices"));
        QVERIFY(QFile::link(root() + "/prefix/drive_c", root() + "/prefix/dosdevices/c:"));
        qputenv("WINEPREFIX", QFile::encodeName(root() + "/prefix"));
    }

    void findsEachComponentWithoutRegardToCase()
    {
        QCOMPARE(hostPath(str(root() + "/GAMES/TARN\\USER\\Dedicated.cfg")),
            str(root() + "/games/tarn/user/dedicated.cfg"));
        QCOMPARE(hostPath(str(root() + "\\Games\\Tarn\\user\\maps\\DM\\QEVCON1.BSP")),
            str(root() + "/games/tarn/user/MAPS/dm/Qevcon1.bsp"));
        // Components that do not exist keep the case they were given.
        QCOMPARE(hostPath(str(root() + "/GAMES/Tarn/USER/MAPLISTS/TarnStarter.lst")),
            str(root() + "/games/tarn/user/MAPLISTS/TarnStarter.lst"));
        QCOMPARE(hostPath(str(root() + "//games///tarn/")), str(root() + "/games/tarn"));
        // Letters of the code page beyond ASCII match their capitals too.
        QCOMPARE(hostPath(str(root() + QStringLiteral(u"/GAMES/\u00C9T\u00C9/\u0152UVRE.CFG"))),
            str(root() + QStringLiteral(u"/games/\u00E9t\u00E9/\u0153uvre.cfg")));
    }

    void exampleFromTheTempFolder()
    {
        QDir tmp(QStringLiteral("/tmp"));
        if (!tmp.exists())
            QSKIP("no /tmp");
        QTemporaryDir local(QStringLiteral("/tmp/x"));
        touch(local.path() + "/games/tarn/user/dedicated.cfg");
        const QString name = QFileInfo(local.path()).fileName();
        QCOMPARE(hostPath(str("/TMP/" + name.toUpper() + "/GAMES/TARN\\USER\\Dedicated.cfg")),
            str(local.path() + "/games/tarn/user/dedicated.cfg"));
    }

    void drivesMapThroughTheWinePrefix()
    {
        QCOMPARE(hostPath("Z:\\"), std::string("/"));
        QCOMPARE(hostPath(str("z:" + QString(root()).replace('/', '\\') + "\\GAMES")),
            str(root() + "/games"));
        QCOMPARE(hostPath("C:\\PROGRAM FILES\\TARN\\TARN.EXE"),
            str(root() + "/prefix/dosdevices/c:/Program Files/Tarn/tarn.exe"));
        QCOMPARE(hostPath("q:\\anything"), std::string());
        QCOMPARE(shortPath("Q:\\anything"), std::string());
    }

    void shortPathIsTheDriveForm()
    {
        QCOMPARE(shortPath(str(root() + "/GAMES/tarn")),
            str("Z:" + QString(root()).replace('/', '\\') + "\\games\\tarn"));
        QCOMPARE(shortPath("c:\\program files\\tarn"), std::string("C:\\Program Files\\Tarn"));
        QCOMPARE(shortPath("C:\\"), std::string("C:\\"));
        QCOMPARE(shortPath("/"), std::string("Z:\\"));
        QCOMPARE(shortPath(str(root() + "/games/missing")), std::string());
    }

    void localAddressIsAnIpv4Address()
    {
        QHostAddress address;
        QVERIFY(address.setAddress(QString::fromStdString(localIpv4Address())));
        QCOMPARE(address.protocol(), QAbstractSocket::IPv4Protocol);
    }
};

QTEST_APPLESS_MAIN(WinpathTest)
#include "winpath_test.moc"
