#pragma once

#include <QtCore/qnamespace.h>
#include <array>

// The server takes its rule switches as one number: DM flag box k is worth
// 2^(k-1) when it is checked (a grayed box counts as not checked).
int dmFlagsSum(const std::array<Qt::CheckState, 16> &boxes);
