// tarnreg imports .reg files that anyone may hand it. Any bytes must parse
// without fault; a file that parses must be written back by the exporter's
// own functions into text that parses to the very same writes.

#include "tarnreg/regedit4.h"
#include "fuzzcheck.h"

#include <string>

using namespace tarnreg;

namespace {

bool sameWrites(const std::vector<platform::RegWrite> &a, const std::vector<platform::RegWrite> &b)
{
    if (a.size() != b.size())
        return false;
    for (std::size_t i = 0; i < a.size(); ++i) {
        if (a[i].hive != b[i].hive || a[i].keyPath != b[i].keyPath || a[i].hasValue != b[i].hasValue
            || a[i].valueName != b[i].valueName || a[i].type != b[i].type || a[i].data != b[i].data)
            return false;
    }
    return true;
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t *data, size_t size)
{
    const RegFile file = parseRegFile(std::string_view(reinterpret_cast<const char *>(data), size));
    if (file.errorLine != 0) {
        fuzzRequire(file.writes.empty(), "a faulty file yields no writes");
        fuzzRequire(!file.error.empty(), "a faulty file says why");
        return 0;
    }

    std::string text;
    // Names holding a line break cannot be exported; nothing to compare.
    if (!regFile(file.writes, &text))
        return 0;
    const RegFile again = parseRegFile(text);
    fuzzRequire(again.errorLine == 0, "exported text parses");
    fuzzRequire(sameWrites(again.writes, file.writes), "exported text gives the same writes");
    return 0;
}
