// The module vantor: its initialisation and its twelve functions.
//
// Each entry binds its arguments, converts them in declaration order (the first failure wins),
// calls the engine and converts what comes back. Poker logic lives in the engine, never here.

#include <Python.h>

#include <cstdint>
#include <optional>
#include <stdexcept>
#include <string>
#include <string_view>
#include <utility>
#include <vector>

#include "cards/card.hpp"
#include "exact/exact_walk.hpp"
#include "frame/convert.hpp"
#include "frame/docstrings.hpp"
#include "frame/lock_release.hpp"
#include "frame/py_ref.hpp"
#include "frame/result_dict.hpp"
#include "notation/parser.hpp"
#include "request/request.hpp"
#include "running/batch_runner.hpp"
#include "running/worker_pool.hpp"
#include "sampler/processor.hpp"
#include "variants/equity.hpp"
#include "variants/rankings/kernels.hpp"

namespace vantor::frame {

namespace {

// Parameter lists. Every parameter is positional-or-keyword; the count after the names is how
// many are required.
constexpr const char* kNoNames[] = {nullptr};
constexpr const char* kChunkNames[] = {"variant", "hands", "board",  "dead",
                                       "samples", "seed",  "threads"};
constexpr const char* kExactNames[] = {"variant", "hands", "board", "dead"};
constexpr const char* kHandFieldNames[] = {"text", "slots", "allow_short"};
constexpr const char* kTextNames[] = {"text"};
constexpr const char* kIndexNames[] = {"index"};
constexpr const char* kScoreBatchNames[] = {"kernel", "hands"};

constexpr Parameters kVariants{"variants", kNoNames, 0, 0};
constexpr Parameters kChunk{"chunk", kChunkNames, 7, 5};
constexpr Parameters kChunkFromText{"chunk_from_text", kChunkNames, 7, 2};
constexpr Parameters kExact{"exact", kExactNames, 4, 4};
constexpr Parameters kExactFromText{"exact_from_text", kExactNames, 4, 2};
constexpr Parameters kDefaultThreadCount{"default_thread_count", kNoNames, 0, 0};
constexpr Parameters kParseHandField{"parse_hand_field", kHandFieldNames, 3, 2};
constexpr Parameters kParseDeadCards{"parse_dead_cards", kTextNames, 1, 1};
constexpr Parameters kCardIndex{"card_index", kTextNames, 1, 1};
constexpr Parameters kCardName{"card_name", kIndexNames, 1, 1};
constexpr Parameters kScoreBatch{"score_batch", kScoreBatchNames, 2, 2};
constexpr Parameters kFullDeck{"full_deck", kNoNames, 0, 0};

constexpr std::uint64_t kDefaultSamples = 100000;

// The converted arguments of chunk, exact and their text forms: the mask fields or the text
// fields are filled, and the batch settings only for the two chunk functions.
struct SpotArguments {
  std::string_view variant;
  SeatMasks seat_masks;
  std::vector<cards::CardMask> board_masks;
  cards::CardMask dead_mask = 0;
  std::vector<std::string> hand_texts;
  std::string_view board_text;
  std::string_view dead_text;
  std::uint64_t samples = kDefaultSamples;
  std::uint64_t seed = 0;
  std::size_t threads = 0;
};

// The spot in mask form: variant, hands, board, dead (bound[0..4)). The request builder cuts the
// masks to the deck.
bool convert_mask_spot(PyObject* const* bound, SpotArguments& a) {
  return to_text(bound[0], "variant", a.variant) &&
         to_seat_masks(bound[1], "hands", a.seat_masks) &&
         to_mask_list(bound[2], "board", a.board_masks) && to_u64(bound[3], "dead", a.dead_mask);
}

// The spot in text form: variant, hands, board, dead (bound[0..4)).
bool convert_text_spot(PyObject* const* bound, SpotArguments& a) {
  return to_text(bound[0], "variant", a.variant) && to_text_list(bound[1], "hands", a.hand_texts) &&
         to_text(bound[2], "board", a.board_text) && to_text(bound[3], "dead", a.dead_text);
}

// The batch settings that follow the spot: samples, seed, threads (bound[4..7)).
bool convert_batch(PyObject* const* bound, SpotArguments& a) {
  return to_u64(bound[4], "samples", a.samples) && to_u64(bound[5], "seed", a.seed) &&
         to_size(bound[6], "threads", a.threads);
}

// The validated request of converted spot arguments, in mask or text form, after the game key
// has been looked up.
Expected<odds::PreparedRequest, EngineError> build_spot(SpotArguments& a, bool from_text) {
  const auto game = variants::find_variant(a.variant);
  if (!game) return fail(EngineError{game.error()});
  if (from_text) {
    return odds::build_request_from_text(**game, a.hand_texts, a.board_text, a.dead_text);
  }
  return odds::build_request(**game, std::move(a.seat_masks), std::move(a.board_masks),
                             a.dead_mask);
}

// Walks every deal of a built request with the interpreter lock released: the result
// dictionary, None when the walk declines, or the raised engine error (or the exception of a
// signal handler that stopped the walk).
PyObject* answer_exactly(const odds::PreparedRequest& request) {
  const auto walked =
      without_lock([&](odds::Caller* caller) { return odds::walk_exactly(request, caller); });
  if (!walked) return raise(walked.error());
  if (!*walked) Py_RETURN_NONE;
  return result_dict(**walked, request.deal.deals_carry_weights());
}

// Samples a built request with the interpreter lock released: the result dictionary or the
// raised engine error (or the exception of a signal handler that stopped the batch).
PyObject* answer_by_sampling(const odds::PreparedRequest& request, const SpotArguments& a) {
  const auto sampled = without_lock([&](odds::Caller* caller) {
    return odds::run_batch(request, a.samples, a.seed, a.threads, caller);
  });
  if (!sampled) return raise(sampled.error());
  return result_dict(*sampled, request.deal.deals_carry_weights());
}

PyObject* variants(PyObject*, PyObject* const* args, Py_ssize_t nargs, PyObject* kwnames) {
  return guarded([&]() -> PyObject* {
    if (!bind(kVariants, args, nargs, kwnames, nullptr)) return nullptr;
    PyRef list(PyList_New(static_cast<Py_ssize_t>(variants::kCatalogue.size())));
    if (!list) return nullptr;
    for (std::size_t i = 0; i < variants::kCatalogue.size(); ++i) {
      PyObject* entry = variant_dict(variants::kCatalogue[i]);
      if (!entry) return nullptr;
      PyList_SetItem(list.get(), static_cast<Py_ssize_t>(i), entry);
    }
    return list.release();
  });
}

PyObject* chunk(PyObject*, PyObject* const* args, Py_ssize_t nargs, PyObject* kwnames) {
  return guarded([&]() -> PyObject* {
    PyObject* bound[7];
    SpotArguments a;
    if (!bind(kChunk, args, nargs, kwnames, bound) || !convert_mask_spot(bound, a) ||
        !convert_batch(bound, a)) {
      return nullptr;
    }
    if (a.threads == 0) a.threads = odds::default_thread_count();
    const auto request = build_spot(a, false);
    if (!request) return raise(request.error());
    return answer_by_sampling(*request, a);
  });
}

PyObject* chunk_from_text(PyObject*, PyObject* const* args, Py_ssize_t nargs, PyObject* kwnames) {
  return guarded([&]() -> PyObject* {
    PyObject* bound[7];
    SpotArguments a;
    if (!bind(kChunkFromText, args, nargs, kwnames, bound) || !convert_text_spot(bound, a) ||
        !convert_batch(bound, a)) {
      return nullptr;
    }
    if (a.threads == 0) a.threads = odds::default_thread_count();
    const auto request = build_spot(a, true);
    if (!request) return raise(request.error());
    return answer_by_sampling(*request, a);
  });
}

PyObject* exact(PyObject*, PyObject* const* args, Py_ssize_t nargs, PyObject* kwnames) {
  return guarded([&]() -> PyObject* {
    PyObject* bound[4];
    SpotArguments a;
    if (!bind(kExact, args, nargs, kwnames, bound) || !convert_mask_spot(bound, a)) {
      return nullptr;
    }
    const auto request = build_spot(a, false);
    if (!request) return raise(request.error());
    return answer_exactly(*request);
  });
}

PyObject* exact_from_text(PyObject*, PyObject* const* args, Py_ssize_t nargs, PyObject* kwnames) {
  return guarded([&]() -> PyObject* {
    PyObject* bound[4];
    SpotArguments a;
    if (!bind(kExactFromText, args, nargs, kwnames, bound) || !convert_text_spot(bound, a)) {
      return nullptr;
    }
    const auto request = build_spot(a, true);
    if (!request) return raise(request.error());
    return answer_exactly(*request);
  });
}

PyObject* default_thread_count(PyObject*, PyObject* const* args, Py_ssize_t nargs,
                               PyObject* kwnames) {
  return guarded([&]() -> PyObject* {
    if (!bind(kDefaultThreadCount, args, nargs, kwnames, nullptr)) return nullptr;
    return PyLong_FromSize_t(odds::default_thread_count());
  });
}

PyObject* parse_hand_field(PyObject*, PyObject* const* args, Py_ssize_t nargs, PyObject* kwnames) {
  return guarded([&]() -> PyObject* {
    PyObject* bound[3];
    std::string_view text;
    std::size_t slots = 0;
    bool allow_short = false;
    if (!bind(kParseHandField, args, nargs, kwnames, bound) || !to_text(bound[0], "text", text) ||
        !to_size(bound[1], "slots", slots) || !to_bool(bound[2], "allow_short", allow_short)) {
      return nullptr;
    }
    const auto alternatives = notation::parse_hand_field(text, slots, allow_short);
    if (!alternatives) return raise_pointing(alternatives.error(), text);
    return to_python(*alternatives);
  });
}

PyObject* parse_dead_cards(PyObject*, PyObject* const* args, Py_ssize_t nargs, PyObject* kwnames) {
  return guarded([&]() -> PyObject* {
    PyObject* bound[1];
    std::string_view text;
    if (!bind(kParseDeadCards, args, nargs, kwnames, bound) || !to_text(bound[0], "text", text)) {
      return nullptr;
    }
    const auto dead = notation::read_dead_field(text);
    if (!dead) return raise_pointing(dead.error(), text);
    return PyLong_FromUnsignedLongLong(*dead);
  });
}

PyObject* card_index(PyObject*, PyObject* const* args, Py_ssize_t nargs, PyObject* kwnames) {
  return guarded([&]() -> PyObject* {
    PyObject* bound[1];
    std::string_view text;
    if (!bind(kCardIndex, args, nargs, kwnames, bound) || !to_text(bound[0], "text", text)) {
      return nullptr;
    }
    const auto card = cards::card_index(text);
    if (!card) return raise(card.error());
    return PyLong_FromLong(*card);
  });
}

PyObject* card_name(PyObject*, PyObject* const* args, Py_ssize_t nargs, PyObject* kwnames) {
  return guarded([&]() -> PyObject* {
    PyObject* bound[1];
    std::uint8_t index = 0;
    if (!bind(kCardName, args, nargs, kwnames, bound) || !to_u8(bound[0], "index", index)) {
      return nullptr;
    }
    const auto name = cards::card_name(index);
    if (!name) return raise(name.error());
    return PyUnicode_FromStringAndSize(name->data(), static_cast<Py_ssize_t>(name->size()));
  });
}

PyObject* score_batch(PyObject*, PyObject* const* args, Py_ssize_t nargs, PyObject* kwnames) {
  return guarded([&]() -> PyObject* {
    PyObject* bound[2];
    std::string_view kernel_name;
    if (!bind(kScoreBatch, args, nargs, kwnames, bound) ||
        !to_text(bound[0], "kernel", kernel_name)) {
      return nullptr;
    }
    // Every hand is read into one buffer as it is converted; the first unreadable one is kept
    // and reported after the kernel name, which is checked first.
    std::vector<cards::Card> hand_cards;
    std::vector<std::uint32_t> offsets{0};
    std::optional<cards::CardError> unreadable;
    auto start = [&](std::size_t length) {
      offsets.reserve(length + 1);
      hand_cards.reserve(7 * length);
    };
    const bool converted = visit_text_items(bound[1], "hands", start, [&](std::string_view text) {
      if (!unreadable) {
        if (auto read = cards::append_cards(text, hand_cards); !read) unreadable = read.error();
        if (hand_cards.size() > UINT32_MAX) throw std::length_error("batch too large");
      }
      offsets.push_back(static_cast<std::uint32_t>(hand_cards.size()));
    });
    if (!converted) return nullptr;
    const auto kernel = rankings::find_kernel(kernel_name);
    if (!kernel) return raise(kernel.error());
    if (unreadable) return raise(*unreadable);

    std::vector<std::uint32_t> values(offsets.size() - 1);
    without_lock(
        [&](odds::Caller*) { rankings::score_hands(*kernel, hand_cards, offsets, values); });
    return int_list(values);
  });
}

PyObject* full_deck(PyObject*, PyObject* const* args, Py_ssize_t nargs, PyObject* kwnames) {
  return guarded([&]() -> PyObject* {
    if (!bind(kFullDeck, args, nargs, kwnames, nullptr)) return nullptr;
    return PyLong_FromUnsignedLongLong(cards::kFullDeck);
  });
}

using FastFunction = PyObject* (*)(PyObject*, PyObject* const*, Py_ssize_t, PyObject*);

PyMethodDef method(const char* name, FastFunction function, const char* doc) {
  return {name, reinterpret_cast<PyCFunction>(reinterpret_cast<void (*)()>(function)),
          METH_FASTCALL | METH_KEYWORDS, doc};
}

// In the order the functions are added to the module.
PyMethodDef kFunctions[] = {
    method("variants", variants, docs::kVariants),
    method("chunk", chunk, docs::kChunk),
    method("chunk_from_text", chunk_from_text, docs::kChunkFromText),
    method("exact", exact, docs::kExact),
    method("exact_from_text", exact_from_text, docs::kExactFromText),
    method("default_thread_count", default_thread_count, docs::kDefaultThreadCount),
    method("parse_hand_field", parse_hand_field, docs::kParseHandField),
    method("parse_dead_cards", parse_dead_cards, docs::kParseDeadCards),
    method("card_index", card_index, docs::kCardIndex),
    method("card_name", card_name, docs::kCardName),
    method("score_batch", score_batch, docs::kScoreBatch),
    method("full_deck", full_deck, docs::kFullDeck),
    {nullptr, nullptr, 0, nullptr},
};

// Shaped like CPython's xxlimited: one exec slot that adds the functions and nothing else, so an
// import costs next to nothing. Tables the engine needs are built on first use, not here.
int exec_module(PyObject* module) {
  if (!PyModule_Check(module)) {
    PyErr_SetString(PyExc_TypeError, "vantor's exec slot was handed something other than a module");
    return -1;
  }
  // The module is built for x86-64-v2: on a processor below it, the first such instruction would
  // end the process. What the processor lacks is said instead (this file is built for the plain
  // baseline, so that getting this far is safe).
  const auto missing = sampler::missing_instruction_sets(sampler::processor_features());
  if (!missing.empty()) {
    PyErr_SetString(PyExc_ImportError, sampler::missing_instruction_sets_message(missing).c_str());
    return -1;
  }
  return PyModule_AddFunctions(module, kFunctions);
}

PyModuleDef_Slot kSlots[] = {
    {Py_mod_exec, reinterpret_cast<void*>(exec_module)},
    {0, nullptr},
};

PyModuleDef kModule = {
    .m_base = PyModuleDef_HEAD_INIT,
    .m_name = "vantor",
    .m_doc = "",
    .m_size = 0,
    .m_methods = nullptr,
    .m_slots = kSlots,
    .m_traverse = nullptr,
    .m_clear = nullptr,
    .m_free = nullptr,
};

}  // namespace

}  // namespace vantor::frame

PyMODINIT_FUNC PyInit_vantor() { return PyModuleDef_Init(&vantor::frame::kModule); }
