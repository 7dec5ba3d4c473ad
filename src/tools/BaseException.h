#pragma once
// The error style of the Tools library: exceptions derive from BaseException and carry their
// details as boost::error_info values, so callers can read the platform error code without parsing
// text and the exception can be cloned across threads (boost::exception_ptr).
//
//   BOOST_THROW_EXCEPTION(Tools::StringTools::Error()
//                         << Tools::ErrorInfo::ErrorCodeTag(code)
//                         << Tools::ErrorInfo::ErrorCodeDescription("what went wrong"));
//
// BOOST_THROW_EXCEPTION adds the throwing function, file and line.

#include <boost/exception/exception.hpp>
#include <boost/exception/get_error_info.hpp>
#include <boost/exception/info.hpp>

#include <cstdint>
#include <exception>
#include <string>

namespace Tools {

namespace ErrorInfo {
// The platform's last-error code, taken right after the failing call.
using ErrorCodeTag = boost::error_info<struct ErrorCodeTagTag, std::uint32_t>;
// Human-readable text of the failure.
using ErrorCodeDescription = boost::error_info<struct ErrorCodeDescriptionTag, std::string>;
}  // namespace ErrorInfo

class BaseException : public virtual std::exception, public virtual boost::exception {
 public:
  // The attached ErrorCodeDescription, so that code which only sees std::exception (for example
  // the active-object machinery carrying errors between threads) still reports something useful.
  const char* what() const noexcept override {
    if (const std::string* text = boost::get_error_info<ErrorInfo::ErrorCodeDescription>(*this)) {
      return text->c_str();
    }
    return "Tools::BaseException";
  }
};

}  // namespace Tools
