#include "output.h"

#include <cstdio>

namespace tarnctl {

bool print(const QByteArray &bytes)
{
    const bool written = std::fwrite(bytes.constData(), 1, std::size_t(bytes.size()), stdout)
        == std::size_t(bytes.size());
    return std::fflush(stdout) == 0 && written;
}

bool print(const QString &text)
{
    return print(text.toUtf8());
}

void complain(const QString &text)
{
    std::fprintf(stderr, "tarnctl: %s\n", text.toUtf8().constData());
    std::fflush(stderr);
}

bool outputDelivered()
{
    return std::fflush(stdout) == 0 && !std::ferror(stdout);
}

} // namespace tarnctl
