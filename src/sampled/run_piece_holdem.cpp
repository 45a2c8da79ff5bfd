// run_piece() for the showdowns of hold'em and short deck.

#include "sampled/run_piece_loops.hpp"
#include "variants/showdown.hpp"

namespace vantor::odds {

template Expected<ChunkTally, EngineError>
run_piece<variants::Showdown<variants::ShowdownRule::BestHigh, 2>>(const PreparedRequest&,
                                                                   std::size_t, std::uint64_t,
                                                                   std::uint64_t, StopCheck*,
                                                                   const StreamOptions&);
template Expected<ChunkTally, EngineError>
run_piece<variants::Showdown<variants::ShowdownRule::ShortDeckHigh, 2>>(const PreparedRequest&,
                                                                        std::size_t, std::uint64_t,
                                                                        std::uint64_t, StopCheck*,
                                                                        const StreamOptions&);

}  // namespace vantor::odds
