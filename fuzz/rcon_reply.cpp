// The monitor shows whatever a datagram on its port holds, so any bytes must
// give a sound text: header dropped, 0xFF and CR dropped, the rest kept.

#include "fuzzcheck.h"
#include "monitor/rconreply.h"

#include <cstddef>
#include <cstdint>

extern "C" int LLVMFuzzerTestOneInput(const uint8_t *data, size_t size)
{
    const QByteArrayView datagram(data, qsizetype(size));
    const QString shown = replyDisplayText(datagram);

    qsizetype expected = 0;
    bool empty = true;
    for (size_t i = 10; i < size; ++i) {
        empty = empty && data[i] == 0xFF;
        expected += data[i] != 0xFF && data[i] != '\r';
    }
    if (empty) {
        fuzzRequire(shown == QStringLiteral("Waiting..."), "an empty reply shows Waiting...");
        return 0;
    }
    fuzzRequire(shown.size() == expected, "one character per byte kept");
    fuzzRequire(!shown.contains(u'\r'), "no carriage return is shown");
    return 0;
}
