#include "frame/result_dict.hpp"

#include <array>
#include <cmath>
#include <cstddef>
#include <cstdint>
#include <vector>

#include "frame/py_ref.hpp"

namespace vantor::frame {

namespace {

// The keys of a result, in the order they are inserted: the batch-wide values, the raw sums,
// "players"; then each seat's statistics.
constexpr std::array<const char*, 8> kBatchKeys = {
    "samples",  "exact",      "attempts",          "acceptance",
    "weighted", "weight_sum", "weight_square_sum", "effective_samples"};
constexpr std::size_t kSumsAt = kBatchKeys.size();
constexpr std::size_t kPlayersAt = kSumsAt + odds::kSeatSumCount;
constexpr std::array<const char*, 10> kSeatKeys = {"equity",  "win",      "tie",      "low_equity",
                                                   "scoop",   "high_win", "high_tie", "low_win",
                                                   "low_tie", "std_error"};
constexpr std::size_t kSeatAt = kPlayersAt + 1;
constexpr std::size_t kKeyCount = kSeatAt + kSeatKeys.size();

constexpr std::array<const char*, kKeyCount> kKeyNames = [] {
  std::array<const char*, kKeyCount> names{};
  std::size_t k = 0;
  for (const char* name : kBatchKeys) names[k++] = name;
  for (const char* name : odds::kSeatSumNames) names[k++] = name;
  names[k++] = "players";
  for (const char* name : kSeatKeys) names[k++] = name;
  return names;
}();

// The key strings, made once and kept: making and interning each key anew took about half the
// time of a small exact call. Only the main interpreter keeps them (a subinterpreter may end
// while the process goes on, and another could then take its address); others make their keys
// per call. When the main interpreter is finalized they are forgotten (never freed: their
// interpreter is gone), and one initialized after it makes its own.
// Beside the keys it keeps the floats 0.0 and 1.0 and two dictionaries of the keys, each key mapped
// to None, in the order a result inserts them: a result and a seat's statistics are copies of these
// with their values replaced, which spares growing a dictionary key by key (a third of its cost).
struct KeyCache {
  PyInterpreterState* owner = nullptr;
  std::array<PyObject*, kKeyCount> keys{};
  PyObject* result_template = nullptr;
  PyObject* seat_template = nullptr;
  // 0.0 and 1.0, which make up most figures of a small exact answer (a river's are all 0 or 1).
  PyObject* zero = nullptr;
  PyObject* one = nullptr;
  bool forget_registered = false;
};
KeyCache key_cache;

void forget_keys() { key_cache.owner = nullptr; }

// A dictionary of keys[first..last) each mapped to None, or null with the error cleared.
PyObject* template_dict(const std::array<PyObject*, kKeyCount>& keys, std::size_t first,
                        std::size_t last) {
  PyRef dict(PyDict_New());
  if (!dict) {
    PyErr_Clear();
    return nullptr;
  }
  for (std::size_t k = first; k < last; ++k) {
    if (PyDict_SetItem(dict.get(), keys[k], Py_None) != 0) {
      PyErr_Clear();
      return nullptr;
    }
  }
  return dict.release();
}

// The cached keys for the running interpreter, or nothing (never an error: the caller then
// falls back on making its keys).
const KeyCache* cached_keys() {
  PyInterpreterState* const interpreter = PyInterpreterState_Get();
  if (key_cache.owner == interpreter) return &key_cache;
  if (key_cache.owner != nullptr) return nullptr;
  const std::int64_t id = PyInterpreterState_GetID(interpreter);
  if (id != 0) {
    if (id < 0) PyErr_Clear();
    return nullptr;
  }
  if (!key_cache.forget_registered) {
    if (Py_AtExit(forget_keys) != 0) return nullptr;
    key_cache.forget_registered = true;
  }
  std::array<PyObject*, kKeyCount> keys{};
  for (std::size_t k = 0; k < kKeyCount; ++k) {
    keys[k] = PyUnicode_InternFromString(kKeyNames[k]);
    if (!keys[k]) {
      PyErr_Clear();
      for (std::size_t made = 0; made < k; ++made) Py_DECREF(keys[made]);
      return nullptr;
    }
  }
  PyObject* const result_template = template_dict(keys, 0, kSeatAt);
  PyObject* const seat_template = template_dict(keys, kSeatAt, kKeyCount);
  PyObject* const zero = PyFloat_FromDouble(0.0);
  PyObject* const one = PyFloat_FromDouble(1.0);
  if (!result_template || !seat_template || !zero || !one) {
    PyErr_Clear();
    Py_XDECREF(result_template);
    Py_XDECREF(seat_template);
    Py_XDECREF(zero);
    Py_XDECREF(one);
    for (PyObject* key : keys) Py_DECREF(key);
    return nullptr;
  }
  key_cache.keys = keys;
  key_cache.result_template = result_template;
  key_cache.seat_template = seat_template;
  key_cache.zero = zero;
  key_cache.one = one;
  key_cache.owner = interpreter;
  return &key_cache;
}

// A new dictionary to fill: a copy of the template where the keys are cached, else empty.
PyObject* new_dict(const KeyCache* cache, PyObject* KeyCache::*dict_template) {
  return cache ? PyDict_Copy(cache->*dict_template) : PyDict_New();
}

// A float of `value`: the kept 0.0 or 1.0 where the cache has them (floats are immutable, so
// sharing one is invisible but for `is`), else a new one. Never -0.0 from the cache.
PyObject* new_float(const KeyCache* cache, double value) {
  if (cache) {
    PyObject* kept = value == 1.0                           ? cache->one
                     : value == 0.0 && !std::signbit(value) ? cache->zero
                                                            : nullptr;
    if (kept) {
      Py_INCREF(kept);
      return kept;
    }
  }
  return PyFloat_FromDouble(value);
}

// Inserts a new reference under key number `k`, consuming it; false with the error set when the
// value could not be created or inserted.
bool put(PyObject* dict, const KeyCache* keys, std::size_t k, PyObject* value) {
  const PyRef owned(value);
  if (!owned) return false;
  return (keys ? PyDict_SetItem(dict, keys->keys[k], owned.get())
               : PyDict_SetItemString(dict, kKeyNames[k], owned.get())) == 0;
}

PyObject* float_list(const std::vector<double>& values, const KeyCache* keys) {
  PyRef list(PyList_New(static_cast<Py_ssize_t>(values.size())));
  if (!list) return nullptr;
  for (std::size_t i = 0; i < values.size(); ++i) {
    PyObject* item = new_float(keys, values[i]);
    if (!item) return nullptr;
    PyList_SetItem(list.get(), static_cast<Py_ssize_t>(i), item);
  }
  return list.release();
}

PyObject* seat_dict(const odds::SeatStatistics& s, const KeyCache* keys) {
  PyRef dict(new_dict(keys, &KeyCache::seat_template));
  if (!dict) return nullptr;
  const std::array<double, kSeatKeys.size()> values = {
      s.equity,   s.win,      s.tie,     s.low_equity, s.scoop,
      s.high_win, s.high_tie, s.low_win, s.low_tie,    s.std_error};
  for (std::size_t i = 0; i < values.size(); ++i) {
    if (!put(dict.get(), keys, kSeatAt + i, new_float(keys, values[i]))) return nullptr;
  }
  return dict.release();
}

PyObject* players_list(const odds::ChunkTally& tally, const KeyCache* keys) {
  PyRef list(PyList_New(static_cast<Py_ssize_t>(tally.seat_count())));
  if (!list) return nullptr;
  for (std::size_t seat = 0; seat < tally.seat_count(); ++seat) {
    PyObject* item = seat_dict(tally.seat_statistics(seat), keys);
    if (!item) return nullptr;
    PyList_SetItem(list.get(), static_cast<Py_ssize_t>(seat), item);
  }
  return list.release();
}

}  // namespace

PyObject* result_dict(const odds::ChunkTally& tally, bool weighted) {
  const KeyCache* keys = cached_keys();
  PyRef dict(new_dict(keys, &KeyCache::result_template));
  if (!dict) return nullptr;
  PyObject* d = dict.get();
  const double acceptance =
      tally.attempts > 0 ? static_cast<double>(tally.samples) / static_cast<double>(tally.attempts)
                         : 1.0;
  const double effective = tally.weight_square_sum > 0
                               ? tally.weight_sum * tally.weight_sum / tally.weight_square_sum
                               : 0.0;
  bool built = put(d, keys, 0, PyLong_FromUnsignedLongLong(tally.samples)) &&
               put(d, keys, 1, PyBool_FromLong(tally.exact)) &&
               put(d, keys, 2, PyLong_FromUnsignedLongLong(tally.attempts)) &&
               put(d, keys, 3, new_float(keys, acceptance)) &&
               put(d, keys, 4, PyBool_FromLong(weighted)) &&
               put(d, keys, 5, new_float(keys, tally.weight_sum)) &&
               put(d, keys, 6, new_float(keys, tally.weight_square_sum)) &&
               put(d, keys, 7, new_float(keys, effective));
  for (std::size_t k = 0; built && k < odds::kSeatSumCount; ++k) {
    built = put(d, keys, kSumsAt + k, float_list(tally.sums[k], keys));
  }
  built = built && put(d, keys, kPlayersAt, players_list(tally, keys));
  return built ? dict.release() : nullptr;
}

}  // namespace vantor::frame
