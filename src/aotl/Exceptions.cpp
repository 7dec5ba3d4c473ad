#include "aotl/Exceptions.h"

namespace AOTL {

const char* disposed_exception::what() const noexcept {
  return "Object disposed";
}

carried_exception::carried_exception(const std::string& message)
    : message_(std::make_shared<const std::string>(message)) {}

const char* carried_exception::what() const noexcept {
  return message_->c_str();
}

}  // namespace AOTL
