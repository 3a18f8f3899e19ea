// Work run apart hands back its bytes, or says how it ended.
#include <gtest/gtest.h>

#include <csignal>
#include <cstdlib>
#include <new>
#include <string>

#include "core/isolated_run.h"

namespace {

TEST(Run_Isolated, HandsBackTheBytesOrHowTheWorkEnded) {
  std::string result = "left from before";
  // Large enough to take several pipe buffers, with every byte value.
  std::string big;
  for (int i = 0; i < (1 << 20) + 7; ++i) big += static_cast<char>(i * 31);
  ASSERT_EQ(Run_Isolated([&] { return big; }, result), Isolated_End::Done);
  EXPECT_EQ(result, big);
  EXPECT_EQ(Run_Isolated([] { return std::string(); }, result), Isolated_End::Done);
  EXPECT_EQ(result, "");
  EXPECT_EQ(Run_Isolated([]() -> std::string { throw std::bad_alloc(); }, result), Isolated_End::Out_Of_Memory);
#if !defined(_WIN32)
  // A crash in the child is only reported: this process goes on.
  EXPECT_EQ(Run_Isolated([]() -> std::string { std::raise(SIGSEGV); return "never"; }, result), Isolated_End::Crashed);
  EXPECT_EQ(Run_Isolated([]() -> std::string { std::abort(); }, result), Isolated_End::Crashed);
  EXPECT_TRUE(result.empty());
#endif
}

}  // namespace
