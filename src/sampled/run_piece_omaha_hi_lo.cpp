// run_piece() for the showdowns of Omaha hi/lo with four and five cards (and Courchevel hi/lo).

#include "sampled/run_piece_loops.hpp"
#include "variants/showdown.hpp"

namespace vantor::odds {

template Expected<ChunkTally, EngineError>
run_piece<variants::Showdown<variants::ShowdownRule::OmahaHiLo, 4>>(const PreparedRequest&,
                                                                    std::size_t, std::uint64_t,
                                                                    std::uint64_t, StopCheck*,
                                                                    const StreamOptions&);
template Expected<ChunkTally, EngineError>
run_piece<variants::Showdown<variants::ShowdownRule::OmahaHiLo, 5>>(const PreparedRequest&,
                                                                    std::size_t, std::uint64_t,
                                                                    std::uint64_t, StopCheck*,
                                                                    const StreamOptions&);

}  // namespace vantor::odds
