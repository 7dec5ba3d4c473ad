#pragma once
// The exceptions of the active-object library.
//
// disposed_exception: raised inside a worker when a queued call finds its target object already
// destroyed. The worker turns it into "nothing happens" (asynchronous call) or into a normal return
// (synchronous call: void, or a value-initialised result such as a null pointer); it never reaches
// the caller of Post or Invoke.
//
// carried_exception: what the caller of a synchronous call receives when the callee threw. Only the
// message (what()) survives the trip between threads, the type does not; catch it as
// std::exception.

#include <exception>
#include <memory>
#include <string>

namespace AOTL {

class disposed_exception : public std::exception {
 public:
  const char* what() const noexcept override;
};

class carried_exception : public std::exception {
 public:
  explicit carried_exception(const std::string& message);
  const char* what() const noexcept override;

 private:
  std::shared_ptr<const std::string> message_;  // shared, so that copying never throws
};

}  // namespace AOTL
