#pragma once
// The active-object types of the engine: which worker hosts which transfer.
//
// LonerTransfer: a Service on a worker of its own. PooledTransfer: a Service on the shared worker,
// the one thread that also hosts the transfer pool (ServicesManager::PoolObject) and runs every
// pooled transfer. SharedPolicy::DestroySharedWorker() ends that worker (engine teardown).

#include <exception>

#include "aotl/ActiveObject.h"
#include "aotl/ThreadPolicies.h"
#include "hftp/detail/Service.h"

namespace hftp::detail {

using SharedPolicy = AOTL::SharedThread<Service, std::exception, AOTL::DefaultWorkerThreadPolicy>;
using OwnPolicy = AOTL::OwnThread<Service, std::exception, AOTL::DefaultWorkerThreadPolicy>;

using PooledTransfer = AOTL::detail::ActiveObject<Service, SharedPolicy>;
using LonerTransfer = AOTL::detail::ActiveObject<Service, OwnPolicy>;

}  // namespace hftp::detail
