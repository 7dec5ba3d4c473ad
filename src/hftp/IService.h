#pragma once
// One download job. It starts as soon as it is created and reports to its observer; releasing the
// last reference before the transfer finished makes the observer receive StatusAborted.
//
// Held through std::shared_ptr<IService>.

namespace hftp {

class IService {
 public:
  virtual ~IService() = default;

  // Returns once the transfer has finished, for a service that runs on a thread of its own; the
  // default (and the pooled service) returns at once.
  virtual void Wait() {}
};

}  // namespace hftp
