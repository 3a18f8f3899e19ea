// Work run apart hands back its bytes, or says how it ended.
#include <gtest/gtest.h>

#include <atomic>
#include <ctime>
#include <csignal>
#include <cstdlib>
#include <new>
#include <string>
#include <vector>

#include "core/platform.h"
#include "test_files.h"

#if defined(__linux__)
#include <sys/prctl.h>
#include <sys/wait.h>
#include <unistd.h>
#endif

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

// The work may widen its limits as it learns what it needs (a file its
// input names), up to the ceilings and no further.
TEST(Run_Isolated, AWorkMayWidenItsLimitsUpToTheirCeilings) {
  if (!Runs_Apart()) GTEST_SKIP() << "this platform runs the work in this process";
  constexpr uint64_t kMiB = uint64_t{1} << 20;
  std::string result;
  const auto take = [](uint64_t widen, size_t bytes) {
    return [widen, bytes] {
      Widen_Isolation_Limits(widen, 0);
      std::vector<char> block(bytes, 1);
      return std::to_string(block.size());
    };
  };
  Isolation_Limits limits;
  limits.memory_bytes = 256 * kMiB;
  limits.memory_ceiling = 1024 * kMiB;
#if !defined(__SANITIZE_ADDRESS__)
  EXPECT_EQ(Run_Isolated(take(0, 512 * kMiB), result, limits), Isolated_End::Out_Of_Memory);
  EXPECT_EQ(Run_Isolated(take(512 * kMiB, 512 * kMiB), result, limits), Isolated_End::Done);
  EXPECT_EQ(Run_Isolated(take(4096 * kMiB, 1536 * kMiB), result, limits), Isolated_End::Out_Of_Memory);
#endif
  // Processor time: a second of work within a limit of one, widened by two.
  const auto spin = [](unsigned widen) {
    return [widen] {
      Widen_Isolation_Limits(0, widen);
      const auto start = std::clock();
      std::atomic<unsigned> sink{0};
      while (std::clock() - start < static_cast<std::clock_t>(1.5 * CLOCKS_PER_SEC))
        sink.fetch_add(1, std::memory_order_relaxed);
      return std::string("spun");
    };
  };
  limits = {};
  limits.cpu_seconds = 1;
  limits.cpu_ceiling = 4;
  EXPECT_EQ(Run_Isolated(spin(0), result, limits), Isolated_End::Out_Of_Time);
  EXPECT_EQ(Run_Isolated(spin(2), result, limits), Isolated_End::Done);
  // Outside work run apart nothing is widened (nor does anything fail).
  Widen_Isolation_Limits(kMiB, 1);
}

#if defined(__linux__)
// However its parent ends (here by SIGKILL, which no handler sees), the
// work's process ends with it instead of running on, orphaned.
TEST(Run_Isolated, TheWorkEndsWithItsParent) {
  if (!Runs_Apart()) GTEST_SKIP() << "this platform runs the work in this process";
  // This process adopts what is orphaned below it, so that the work's
  // process, once its parent is gone, can be waited for here.
  ASSERT_EQ(::prctl(PR_SET_CHILD_SUBREAPER, 1), 0);
  int report[2];
  ASSERT_EQ(::pipe(report), 0);
  const pid_t parent = ::fork();
  ASSERT_GE(parent, 0);
  if (parent == 0) {
    std::string result;
    // No limits: only its parent's end can stop this work.
    Run_Isolated(
        [&] {
          const pid_t self = ::getpid();
          (void)!::write(report[1], &self, sizeof self);
          std::atomic<unsigned> spin{0};
          for (;;) spin.fetch_add(1, std::memory_order_relaxed);
          return std::string();
        },
        result, {});
    ::_exit(0);
  }
  pid_t work = 0;
  ASSERT_EQ(::read(report[0], &work, sizeof work), static_cast<ssize_t>(sizeof work));
  ::kill(parent, SIGKILL);
  int status = 0;
  ::waitpid(parent, &status, 0);
  bool ended = false;
  for (int wait = 0; wait < 100 && !ended; ++wait) {
    ended = ::waitpid(work, &status, WNOHANG) == work;
    if (!ended) ::usleep(50000);
  }
  if (!ended) {
    ::kill(work, SIGKILL);
    ::waitpid(work, &status, 0);
  }
  ::prctl(PR_SET_CHILD_SUBREAPER, 0);
  ::close(report[0]);
  ::close(report[1]);
  EXPECT_TRUE(ended) << "the work ran on after its parent ended";
  EXPECT_TRUE(WIFSIGNALED(status) && WTERMSIG(status) == SIGKILL);
}
#endif

}  // namespace
