#pragma once

// The model type behind each `Model`, for code that runs one template on whichever model a
// front end names (the fit procedure, the statistics).

#include "common/errors.h"
#include "fit/fit.h"
#include "fit/line_models.h"
#include "fit/linear.h"
#include "fit/quadratic.h"
#include "fit/refined_models.h"

namespace tarvolen::fit {

template <class M>
struct ModelType {
  using type = M;
};

// Returns visitor(ModelType<M>{}) for the model type M of `model`; every call must return the
// same type. Throws EFitError for a value outside the ten models.
template <class Visitor>
decltype(auto) VisitModelType(Model model, Visitor&& visitor) {
  switch (model) {
    case Model::kLinear:
      return visitor(ModelType<Linear>{});
    case Model::kQuadratic:
      return visitor(ModelType<Quadratic>{});
    case Model::kCompound:
      return visitor(ModelType<Compound>{});
    case Model::kLogarithmic:
      return visitor(ModelType<Logarithmic>{});
    case Model::kExponential:
      return visitor(ModelType<Exponential>{});
    case Model::kPower:
      return visitor(ModelType<PowerModel>{});
    case Model::kGeometric:
      return visitor(ModelType<Geometric>{});
    case Model::kGeometric2:
      return visitor(ModelType<Geometric2>{});
    case Model::kInverse:
      return visitor(ModelType<Inverse>{});
    case Model::kHyperbola:
      return visitor(ModelType<Hyperbola>{});
  }
  throw EFitError("Unknown model");
}

}  // namespace tarvolen::fit
