// Loner services: a worker of their own, release and Wait wait for the transfer.
#include <gtest/gtest.h>

#include <memory>
#include <thread>
#include <vector>

#include "EngineTest.h"
#include "TransferHelpers.h"
#include "WaitingObserver.h"
#include "hftp/detail/ServicesManager.h"
#include "plugin/PluginServiceFactory.h"

namespace hftp::test {
namespace {

std::shared_ptr<IService> StartLoner(const std::string& pathAndQuery,
                                     std::shared_ptr<IObserver> observer) {
  return CreateServiceFactory()->CreateLonerService(WideUrl(pathAndQuery), std::move(observer),
                                                    nullptr, L"", L"", 0,
                                                    std::vector<std::wstring>(), "");
}

TEST(LonerService, ReleasedMidTransferReturnsOnlyAfterTheTransferEnded) {
  auto observer = std::make_shared<WaitingObserver>();
  auto service = StartLoner("/bytes?size=20000&stall_after=1000&stall=1", observer);
  ASSERT_TRUE(observer->WaitForBytes(1000));
  service.reset();
  EXPECT_EQ(observer->FinalStatus(), StatusCompleted);
  EXPECT_EQ(observer->Body(), PatternBytes(0, 20000));
}

TEST(LonerService, WaitReturnsOnceTheTransferHasFinishedOnItsOwnThread) {
  auto observer = std::make_shared<WaitingObserver>();
  auto service = StartLoner("/bytes?size=20000&stall_after=1000&stall=1", observer);
  service->Wait();
  const std::vector<Notification> seen = observer->Snapshot();
  ASSERT_FALSE(seen.empty());
  EXPECT_EQ(seen.back().status, StatusCompleted);
  service->Wait();  // finished already: returns at once

  const std::vector<std::thread::id> threads = observer->Threads();
  EXPECT_NE(threads.front(), std::this_thread::get_id());
  for (const std::thread::id thread : threads) EXPECT_EQ(thread, threads.front());
  EXPECT_EQ(detail::ServicesManager::Existing(), nullptr) << "a loner never starts the pool";
}

}  // namespace
}  // namespace hftp::test
