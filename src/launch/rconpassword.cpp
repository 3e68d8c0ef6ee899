#include "launch/rconpassword.h"

#include "store/settingsstore.h"
#include "store/settingstable.h"

#include <QRandomGenerator>

namespace {

// Letters and digits only: the password goes unquoted into the
// configuration line and the remote-console datagram.
QString newPassword()
{
    static const QLatin1String alphabet(
        "ABCDEFGHIJKLMNOPQRSTUVWXYZabcdefghijklmnopqrstuvwxyz0123456789");
    constexpr int length = 16;
    QString password;
    for (int i = 0; i < length; ++i)
        password += alphabet[QRandomGenerator::system()->bounded(int(alphabet.size()))];
    return password;
}

QString storedGenerated()
{
    return RegGet(hkeyLocalMachine, launcherKey, QLatin1String(generatedRconPasswordName));
}

} // namespace

bool passwordPassed(const QString &typed)
{
    return typed.size() >= 2;
}

QString rconPasswordSent(const QString &typed)
{
    if (passwordPassed(typed))
        return typed;
    if (const QString kept = storedGenerated(); passwordPassed(kept))
        return kept;
    if (!rEGpUT(
            hkeyLocalMachine, launcherKey, QLatin1String(generatedRconPasswordName), newPassword()))
        return {};
    // Read back, so that every caller sends what the store really holds.
    const QString kept = storedGenerated();
    return passwordPassed(kept) ? kept : QString();
}

QString noRconPasswordText()
{
    return QStringLiteral(
        "No remote-console password: Rcon_pw (\"rcon_pw\" in the settings store) is blank or one "
        "character, and the settings store cannot keep a generated one. Set a password of two "
        "characters or more.");
}
