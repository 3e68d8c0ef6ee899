#include "launch/dmflags.h"

int dmFlagsSum(const std::array<Qt::CheckState, 16> &boxes)
{
    int sum = 0;
    for (std::size_t bit = 0; bit < boxes.size(); ++bit) {
        if (boxes[bit] == Qt::Checked)
            sum += 1 << bit;
    }
    return sum;
}
