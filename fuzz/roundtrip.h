#pragma once
// The round trips that the fuzzer drives and the regression suite replays: any bytes may be refused,
// but a drawing we accepted must write, and whatever we wrote must read back.

#include <string>
#include <string_view>

namespace vrk::fuzz {

// Parses bytes; when they parse, writes them back with no edits (which must give the same bytes, up to
// a raised $HANDSEED) and with a heavy edit set (every other handled object left out, every extension
// dictionary released, every layer's switches flipped), and reads each result again.
// Returns "" when every check holds, else what broke.
std::string checkDxfRoundTrip(std::string_view bytes);

}  // namespace vrk::fuzz
