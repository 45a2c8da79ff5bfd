// run_piece() for the showdowns of the draw games: 2-7, five-card draw and badugi.

#include "sampled/run_piece_loops.hpp"
#include "variants/showdown.hpp"

namespace vantor::odds {

template Expected<ChunkTally, EngineError>
run_piece<variants::Showdown<variants::ShowdownRule::DeuceSevenLow, 5>>(const PreparedRequest&,
                                                                        std::size_t, std::uint64_t,
                                                                        std::uint64_t, StopCheck*,
                                                                        const StreamOptions&);
template Expected<ChunkTally, EngineError>
run_piece<variants::Showdown<variants::ShowdownRule::BestHigh, 5>>(const PreparedRequest&,
                                                                   std::size_t, std::uint64_t,
                                                                   std::uint64_t, StopCheck*,
                                                                   const StreamOptions&);
template Expected<ChunkTally, EngineError>
run_piece<variants::Showdown<variants::ShowdownRule::BadugiLow, 4>>(const PreparedRequest&,
                                                                    std::size_t, std::uint64_t,
                                                                    std::uint64_t, StopCheck*,
                                                                    const StreamOptions&);

}  // namespace vantor::odds
