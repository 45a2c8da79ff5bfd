#pragma once

// What makes both samplers count every hand a request allows once, as the exact walk does,
// whatever its seats' alternatives are: the rejection sampler's proposal norms and the weighted
// sampler's set-count factors of a deal plan (see deal.hpp for how the samplers apply them).

#include "sampler/deal_plan.hpp"

namespace vantor::sampler {

// Fills plan.proposal_norms, plan.set_count_factors and plan.rejection_weights from the plan's
// seat plans, board plan, shapes, stored logarithms and draw order. Leaves every entry whose
// alternatives already propose their hands alike without a factor, so that its deals keep weight
// exactly 1 (rejection) or their weight unchanged (weighted).
void weigh_alternatives(DealPlan& plan);

}  // namespace vantor::sampler
