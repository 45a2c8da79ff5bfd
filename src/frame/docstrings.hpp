#pragma once

// The docstrings of the module's functions. Each opens with the call signature and a "--" line,
// which is where Python takes __text_signature__ from; the rest becomes __doc__.

namespace vantor::frame::docs {

inline constexpr char kVariants[] =
    "variants()\n--\n\n"
    "Every game this library plays.\n\n"
    "Each entry carries the key to pass back in, a label to show, and how the\n"
    "game deals, so a caller can build its own menu without a table of its own.";

inline constexpr char kChunk[] =
    "chunk(variant, hands, board, dead, samples, seed=0, threads=0)\n--\n\n"
    "Samples a batch of deals, taking masks.\n\n"
    "`hands` is one entry per seat, each a list of whole alternatives, each\n"
    "alternative one mask per card the player holds. A named card is a mask\n"
    "with one bit; \"any ace\" is a mask with four.\n\n"
    "The sampling runs with the GIL released, so a caller can keep repainting\n"
    "while it works.";

inline constexpr char kChunkFromText[] =
    "chunk_from_text(variant, hands, board=\"\", dead=\"\", samples=100000, seed=0, threads=0)"
    "\n--\n\n"
    "Samples a batch of deals, taking this library's notation.\n\n"
    "The convenience form: `[\"AhKh\", \"QsQd\"]` for hold'em, `\"Kh Qh Jh\"` for a\n"
    "flop. The mask form is the one to reach for from a program that already\n"
    "holds masks; this one is for everything else.";

inline constexpr char kExact[] =
    "exact(variant, hands, board, dead)\n--\n\n"
    "Walks every deal, taking masks, or returns `None` when there are too many.\n\n"
    "The mask twin of [`exact_from_text`]. A caller passing masks could not ask\n"
    "for an exact answer at all before this, which is backwards: exact matters\n"
    "most on a river spot, and a river spot is exactly when someone has the\n"
    "calculator open.";

inline constexpr char kExactFromText[] =
    "exact_from_text(variant, hands, board=\"\", dead=\"\")\n--\n\n"
    "Walks every deal instead of sampling, or returns `None` when there are too\n"
    "many to walk.\n\n"
    "An exact result carries a standard error of zero, because there is nothing\n"
    "uncertain about it.";

inline constexpr char kDefaultThreadCount[] =
    "default_thread_count()\n--\n\n"
    "How many threads a batch spreads over when none is asked for.";

inline constexpr char kParseHandField[] =
    "parse_hand_field(text, slots, allow_short=False)\n--\n\n"
    "Reads a hand field into masks, which is how another implementation of\n"
    "the notation can be checked against this one without running a whole\n"
    "simulation.\n\n"
    "`slots` is how many cards the game deals a player. Where cards arrive over\n"
    "time -- stud, a draw game -- a shorter field is allowed and means the rest\n"
    "are still to come.";

inline constexpr char kParseDeadCards[] =
    "parse_dead_cards(text)\n--\n\n"
    "Reads dead cards into one mask. They must be named exactly.";

inline constexpr char kCardIndex[] =
    "card_index(text)\n--\n\n"
    "The index of a named card, as `rank * 4 + suit`.";

inline constexpr char kCardName[] =
    "card_name(index)\n--\n\n"
    "The name of a card index, uppercase rank and lowercase suit.";

inline constexpr char kScoreBatch[] =
    "score_batch(kernel, hands)\n--\n\n"
    "Scores a batch of hands against one of the ranking kernels.\n\n"
    "Lower is better. This exists for `validation/`, which asks an outside\n"
    "evaluator whether it agrees; it takes whole batches because crossing this\n"
    "boundary a hundred million times, one hand at a time, would cost more than\n"
    "the comparison itself.\n\n"
    "`kernel` is one of `high`, `deuce_seven`, `low_a5`, `short_deck` or\n"
    "`badugi`. Cards are written as usual: `\"AhKhQsQd2c7d9s\"`.";

inline constexpr char kFullDeck[] =
    "full_deck()\n--\n\n"
    "A mask holding every card in a standard deck.";

}  // namespace vantor::frame::docs
