#pragma once

// The dictionary chunk, chunk_from_text, exact and exact_from_text return: every raw sum of the
// tally (so callers can merge results of their own), the batch-wide derived values, and each
// seat's statistics.

#include <Python.h>

#include "tally/chunk_tally.hpp"

namespace vantor::frame {

// A new dictionary for `tally`, with `weighted` reporting whether the request's deals carry
// weights (DealPlan::deals_carry_weights()). Null with the Python error set when an object could
// not be created; the tally is left unchanged.
PyObject* result_dict(const odds::ChunkTally& tally, bool weighted);

}  // namespace vantor::frame
