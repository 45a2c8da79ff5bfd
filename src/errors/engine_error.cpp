#include "errors/engine_error.hpp"

namespace vantor {

std::string InternalFault::display() const { return "internal error in vantor: " + what; }

std::string display(const EngineError& error) {
  return std::visit([](const auto& detail) { return detail.display(); }, error);
}

bool is_internal_fault(const EngineError& error) {
  return std::holds_alternative<InternalFault>(error);
}

}  // namespace vantor
