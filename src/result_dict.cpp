#include "result_dict.hpp"

#include <cstddef>
#include <vector>

#include "py_ref.hpp"

namespace vantor::frame {

namespace {

// Inserts a new reference under `key`, consuming it; false with the error set when the value
// could not be created or inserted.
bool put(PyObject* dict, const char* key, PyObject* value) {
  const PyRef owned(value);
  return owned && PyDict_SetItemString(dict, key, owned.get()) == 0;
}

PyObject* float_list(const std::vector<double>& values) {
  PyRef list(PyList_New(static_cast<Py_ssize_t>(values.size())));
  if (!list) return nullptr;
  for (std::size_t i = 0; i < values.size(); ++i) {
    PyObject* item = PyFloat_FromDouble(values[i]);
    if (!item) return nullptr;
    PyList_SetItem(list.get(), static_cast<Py_ssize_t>(i), item);
  }
  return list.release();
}

PyObject* seat_dict(const odds::SeatStatistics& s) {
  PyRef dict(PyDict_New());
  if (!dict) return nullptr;
  const bool built = put(dict.get(), "equity", PyFloat_FromDouble(s.equity)) &&
                     put(dict.get(), "win", PyFloat_FromDouble(s.win)) &&
                     put(dict.get(), "tie", PyFloat_FromDouble(s.tie)) &&
                     put(dict.get(), "low_equity", PyFloat_FromDouble(s.low_equity)) &&
                     put(dict.get(), "scoop", PyFloat_FromDouble(s.scoop)) &&
                     put(dict.get(), "high_win", PyFloat_FromDouble(s.high_win)) &&
                     put(dict.get(), "high_tie", PyFloat_FromDouble(s.high_tie)) &&
                     put(dict.get(), "low_win", PyFloat_FromDouble(s.low_win)) &&
                     put(dict.get(), "low_tie", PyFloat_FromDouble(s.low_tie)) &&
                     put(dict.get(), "std_error", PyFloat_FromDouble(s.std_error));
  return built ? dict.release() : nullptr;
}

PyObject* players_list(const odds::ChunkTally& tally) {
  std::vector<odds::SeatStatistics> statistics;
  statistics.reserve(tally.seat_count());
  for (std::size_t seat = 0; seat < tally.seat_count(); ++seat) {
    statistics.push_back(tally.seat_statistics(seat));
  }
  PyRef list(PyList_New(static_cast<Py_ssize_t>(statistics.size())));
  if (!list) return nullptr;
  for (std::size_t seat = 0; seat < statistics.size(); ++seat) {
    PyObject* item = seat_dict(statistics[seat]);
    if (!item) return nullptr;
    PyList_SetItem(list.get(), static_cast<Py_ssize_t>(seat), item);
  }
  return list.release();
}

}  // namespace

PyObject* result_dict(const odds::ChunkTally& tally, bool weighted) {
  PyRef dict(PyDict_New());
  if (!dict) return nullptr;
  PyObject* d = dict.get();
  const double acceptance =
      tally.attempts > 0 ? static_cast<double>(tally.samples) / static_cast<double>(tally.attempts)
                         : 1.0;
  const double effective = tally.weight_square_sum > 0
                               ? tally.weight_sum * tally.weight_sum / tally.weight_square_sum
                               : 0.0;
  bool built = put(d, "samples", PyLong_FromUnsignedLongLong(tally.samples)) &&
               put(d, "exact", PyBool_FromLong(tally.exact)) &&
               put(d, "attempts", PyLong_FromUnsignedLongLong(tally.attempts)) &&
               put(d, "acceptance", PyFloat_FromDouble(acceptance)) &&
               put(d, "weighted", PyBool_FromLong(weighted)) &&
               put(d, "weight_sum", PyFloat_FromDouble(tally.weight_sum)) &&
               put(d, "weight_square_sum", PyFloat_FromDouble(tally.weight_square_sum)) &&
               put(d, "effective_samples", PyFloat_FromDouble(effective));
  for (std::size_t k = 0; built && k < odds::kSeatSumCount; ++k) {
    built = put(d, odds::kSeatSumNames[k], float_list(tally.sums[k]));
  }
  built = built && put(d, "players", players_list(tally));
  return built ? dict.release() : nullptr;
}

}  // namespace vantor::frame
