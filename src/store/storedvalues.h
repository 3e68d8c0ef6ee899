#pragma once

#include <QString>
#include <QtCore/qnamespace.h>

// How settings read back from their stored text. Hand-edited stores can
// hold anything, so every reader here accepts any text.

// The numeric value of the text's leading number (leading blanks skipped,
// "" and non-numbers give 0), as the settings have always been read.
double numericValue(const QString &text);

// 0 is unchecked and 2 grayed; any other number counts as checked, so a
// hand-written "-1" or "1.0" still means "on".
Qt::CheckState checkStateFromStored(const QString &text);

// "0", "1" or "2"; with a leading blank for the settings stored that way.
QString storedCheckText(Qt::CheckState state, bool leadingBlank);

// The game type index 0 to 6 of a stored game type; anything else falls
// back to Deathmatch (0).
int gameTypeIndexFromStored(const QString &text);

QString valueOrDefault(const QString &stored, const QString &fallback);
