// run_piece() for the showdowns of seven-card stud, stud hi/lo and razz.

#include "sampled/run_piece_loops.hpp"
#include "variants/showdown.hpp"

namespace vantor::odds {

template Expected<ChunkTally, EngineError>
run_piece<variants::Showdown<variants::ShowdownRule::BestHigh, 7>>(const PreparedRequest&,
                                                                   std::size_t, std::uint64_t,
                                                                   std::uint64_t, StopCheck*,
                                                                   const StreamOptions&);
template Expected<ChunkTally, EngineError>
run_piece<variants::Showdown<variants::ShowdownRule::StudHiLo, 7>>(const PreparedRequest&,
                                                                   std::size_t, std::uint64_t,
                                                                   std::uint64_t, StopCheck*,
                                                                   const StreamOptions&);
template Expected<ChunkTally, EngineError>
run_piece<variants::Showdown<variants::ShowdownRule::RazzLow, 7>>(const PreparedRequest&,
                                                                  std::size_t, std::uint64_t,
                                                                  std::uint64_t, StopCheck*,
                                                                  const StreamOptions&);

}  // namespace vantor::odds
