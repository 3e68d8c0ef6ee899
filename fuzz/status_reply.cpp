// The player table is filled from whatever arrives on the monitor's port.
// Any bytes must parse without harm, and the table must end up holding
// exactly the players of the latest reply, whatever the reply before held:
// the input is two replies, split at the first zero byte.

#include "fuzzcheck.h"
#include "monitor/playerlist.h"
#include "monitor/playertablemodel.h"

#include <cstddef>
#include <cstdint>

extern "C" int LLVMFuzzerTestOneInput(const uint8_t *data, size_t size)
{
    const QByteArrayView input(data, qsizetype(size));
    const qsizetype split = input.indexOf('\0');
    PlayerTableModel model;
    for (const QByteArrayView text : {split < 0 ? input : input.first(split),
             split < 0 ? QByteArrayView() : input.sliced(split + 1)}) {
        const StatusReply reply = parseStatusReply(text);
        if (reply.kind != StatusReply::Kind::Players) {
            fuzzRequire(reply.players.isEmpty(), "only a readable reply has players");
            continue;
        }
        fuzzRequire(text.endsWith('\n'), "a readable reply ends its last line");
        for (const PlayerRow &player : reply.players) {
            fuzzRequire(player.number >= 0, "player numbers are not negative");
            fuzzRequire(!player.name.trimmed().isEmpty(), "every player has a name");
        }
        model.setPlayers(reply.players);
        fuzzRequire(model.players() == reply.players, "the table holds the latest players");
        fuzzRequire(model.rowCount() == reply.players.size(), "one row per player");
    }
    return 0;
}
