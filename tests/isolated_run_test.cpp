// Work run apart hands back its bytes, or says how it ended.
#include <gtest/gtest.h>

#include <atomic>
#include <csignal>
#include <cstdlib>
#include <new>
#include <string>
#include <vector>

#include "core/platform.h"
#include "test_files.h"

namespace {

TEST(Run_Isolated, HandsBackTheBytesOrHowTheWorkEnded) {
  std::string result = "left from before";
  // Large enough to take several pipe buffers, with every byte value.
  std::string big;
  for (int i = 0; i < (1 << 20) + 7; ++i) big += static_cast<char>(i * 31);
  ASSERT_EQ(Run_Isolated([&] { return big; }, result, {}), Isolated_End::Done);
  EXPECT_EQ(result, big);
  EXPECT_EQ(Run_Isolated([] { return std::string(); }, result, {}), Isolated_End::Done);
  EXPECT_EQ(result, "");
  EXPECT_EQ(Run_Isolated([]() -> std::string { throw std::bad_alloc(); }, result, {}), Isolated_End::Out_Of_Memory);
  if (!Runs_Apart()) GTEST_SKIP() << "this platform runs the work in this process";
  // A crash in the child is only reported: this process goes on.
  EXPECT_EQ(Run_Isolated([]() -> std::string { std::raise(SIGSEGV); return "never"; }, result, {}),
            Isolated_End::Crashed);
  EXPECT_EQ(Run_Isolated([]() -> std::string { std::abort(); }, result, {}), Isolated_End::Crashed);
  EXPECT_TRUE(result.empty());
}

TEST(Run_Isolated, AWorkThatRunsAwayIsStoppedByItsLimits) {
  if (!Runs_Apart()) GTEST_SKIP() << "this platform runs the work in this process";
  std::string result;
  Isolation_Limits limits;
  limits.cpu_seconds = 1;
  EXPECT_EQ(Run_Isolated(
                []() -> std::string {
                  std::atomic<unsigned> spin{0};
                  for (;;) spin.fetch_add(1, std::memory_order_relaxed);
                },
                result, limits),
            Isolated_End::Out_Of_Time);
  // Memory: a work that asks for more than its limit fails to get it. (A
  // build with AddressSanitizer reserves its address space up front and
  // cannot be limited.)
  limits = {};
  limits.memory_bytes = uint64_t{1} << 30;
  const Isolated_End end = Run_Isolated(
      [] {
        std::vector<char> big(size_t{4} << 30, 1);
        return std::string(1, big.back());
      },
      result, limits);
#if !defined(__SANITIZE_ADDRESS__)
  EXPECT_EQ(end, Isolated_End::Out_Of_Memory);
#else
  (void)end;
#endif
}

// The work may widen its memory as it learns what it needs (a file its
// input names), up to the ceiling and no further.
TEST(Run_Isolated, AWorkMayWidenItsLimitsUpToTheirCeilings) {
#if defined(__SANITIZE_ADDRESS__)
  GTEST_SKIP() << "AddressSanitizer reserves its address space up front: no limit can be set";
#endif
  if (!Runs_Apart()) GTEST_SKIP() << "this platform runs the work in this process";
  constexpr uint64_t kMiB = uint64_t{1} << 20;
  std::string result;
  const auto take = [](uint64_t widen, size_t bytes) {
    return [widen, bytes] {
      Widen_Isolation_Limits(widen, 0);
      return std::to_string(std::vector<char>(bytes, 1).size());
    };
  };
  const Isolation_Limits limits{256 * kMiB, 1024 * kMiB, 0, 0};
  EXPECT_EQ(Run_Isolated(take(0, 512 * kMiB), result, limits), Isolated_End::Out_Of_Memory);
  EXPECT_EQ(Run_Isolated(take(512 * kMiB, 512 * kMiB), result, limits), Isolated_End::Done);
  EXPECT_EQ(Run_Isolated(take(4096 * kMiB, 1536 * kMiB), result, limits), Isolated_End::Out_Of_Memory);
}

}  // namespace
