// The real engine binary ending its engine thread on "quit" and at the end of input.
#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "frontend/engine_process.h"

namespace {

TEST(EngineProcess, QuitWhileIdleEndsTheEngineThread) {
  const std::string inputs[] = {
      "xboard\nquit\n", "xboard\nprotover 2\nforce\nquit\n", "xboard\nforce\nwhite\nblack\nforce\nquit\n",
      "xboard\nprotover 2\n",  // the end of input counts as "quit"
  };
  for (const std::string& input : inputs) {
    SCOPED_TRACE(input);
    EngineSandbox sandbox;
    EngineRun run = sandbox.Run(input);
    EXPECT_TRUE(run.finished) << "the engine did not end";
    EXPECT_EQ(run.exitCode, 0);
    EXPECT_EQ(run.errors, "");
    EXPECT_EQ(run.output, HandshakeOutput);
    // The shutdown: the thread is woken, logs its wake-up and its end, then StartEngine returns.
    int entered = FindLine(run.log, "-M: entered StartEngine");
    ASSERT_GE(entered, 0);
    int woken = FindLine(run.log, "-------------- ELSE  ", entered);
    ASSERT_GT(woken, entered);
    EXPECT_TRUE(IsDecimal(run.log[woken].substr(21))) << run.log[woken];
    ASSERT_EQ(static_cast<int>(run.log.size()), woken + 3);
    EXPECT_EQ(run.log[woken + 1], "-------------- STARTED");
    EXPECT_EQ(run.log[woken + 2], "-M: exited StartEngine");
    // Every stop waited for an idle engine thread, which said so first.
    int firstIdle = FindLine(run.log, "-------------- STOPPED");
    ASSERT_GE(firstIdle, 0);
    EXPECT_LT(firstIdle, FindLine(run.log, "-M: exited StopEngine"));
    EXPECT_EQ(FindLine(run.log, "-------------- STOPPED", firstIdle + 1), -1) << "the thread was started twice";
  }
}

}  // namespace
