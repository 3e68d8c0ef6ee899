// The monitor shows whatever a datagram on its port holds, so any bytes must
// give a sound text: header dropped, 0xFF dropped, LF widened to CR LF.

#include "fuzzcheck.h"
#include "monitor/rconreply.h"

#include <cstddef>
#include <cstdint>

extern "C" int LLVMFuzzerTestOneInput(const uint8_t *data, size_t size)
{
    const QByteArrayView datagram(data, qsizetype(size));
    const QString shown = replyDisplayText(datagram);

    qsizetype expected = 0;
    for (size_t i = 10; i < size; ++i) {
        if (data[i] != 0xFF)
            expected += data[i] == '\n' ? 2 : 1;
    }
    if (expected == 0) {
        fuzzRequire(shown == QStringLiteral("Waiting..."), "an empty reply shows Waiting...");
        return 0;
    }
    fuzzRequire(shown.size() == expected, "one character per byte, two per line feed");
    for (qsizetype i = 0; i < shown.size(); ++i) {
        if (shown[i] == u'\n')
            fuzzRequire(i > 0 && shown[i - 1] == u'\r', "every line feed follows a CR");
    }
    return 0;
}
