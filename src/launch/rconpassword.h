#pragma once

#include <QString>

// The remote-console password: the one the operator typed when it has two
// characters or more, else one generated for the settings store. A password
// nobody chose must never be one everybody knows.

// Whether a password box's text reaches the server: two characters or more.
bool passwordPassed(const QString &typed);

// The password the server is given, and so the one the monitor and tarnctl
// send: `typed` when it is passed, else the store's generated password, made
// and kept in the store on first use. "" when none is kept and the store
// cannot keep one; nothing may then start or be configured.
QString rconPasswordSent(const QString &typed);

// What the operator is told when rconPasswordSent() gives "".
QString noRconPasswordText();
