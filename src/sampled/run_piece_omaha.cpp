// run_piece() for the showdowns of Omaha with four, five and six cards (and Courchevel).

#include "sampled/run_piece_loops.hpp"
#include "variants/showdown.hpp"

namespace vantor::odds {

template Expected<ChunkTally, EngineError>
run_piece<variants::Showdown<variants::ShowdownRule::OmahaHigh, 4>>(const PreparedRequest&,
                                                                    std::size_t, std::uint64_t,
                                                                    std::uint64_t, StopCheck*,
                                                                    const StreamOptions&);
template Expected<ChunkTally, EngineError>
run_piece<variants::Showdown<variants::ShowdownRule::OmahaHigh, 5>>(const PreparedRequest&,
                                                                    std::size_t, std::uint64_t,
                                                                    std::uint64_t, StopCheck*,
                                                                    const StreamOptions&);
template Expected<ChunkTally, EngineError>
run_piece<variants::Showdown<variants::ShowdownRule::OmahaHigh, 6>>(const PreparedRequest&,
                                                                    std::size_t, std::uint64_t,
                                                                    std::uint64_t, StopCheck*,
                                                                    const StreamOptions&);

}  // namespace vantor::odds
