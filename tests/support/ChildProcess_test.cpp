// The helper every end-to-end test starts its programs with: it must collect
// everything, never hang, and leave nothing running.
#include "tests/support/ChildProcess.h"

#include <gtest/gtest.h>

#include <csignal>
#include <stdexcept>
#include <string>
#include <vector>

#include "tests/support/TempDir.h"

namespace {

ChildProcess Shell(const std::string& script, ChildCommand command = {}) {
  command.program = "/bin/sh";
  command.args = {"-c", script};
  return ChildProcess(command);
}

TEST(ChildProcess, CollectsMoreThanAPipeHoldsOnBothOutputs) {
  // Far more than the 64 KiB a pipe buffers, on each output, before the test
  // reads anything.
  ChildProcess child = Shell("yes out | head -n 100000; yes err | head -n 100000 >&2; exit 3");
  EXPECT_EQ(child.Wait(60000), 3);
  const std::vector<std::string> lines = child.Lines();
  ASSERT_EQ(lines.size(), 100000u);
  EXPECT_EQ(lines.back(), "out");
  EXPECT_EQ(child.Errors().size(), 400000u);
  EXPECT_FALSE(child.Running());
}

TEST(ChildProcess, TakesMatchingLinesInOrderAndKeepsTheOthers) {
  ChildProcess child = Shell("printf 'one\\nready a\\ntwo\\nready b\\nlast'");
  EXPECT_EQ(child.WaitForLine("ready", 10000), "ready a");
  EXPECT_EQ(child.WaitForLine("ready", 10000), "ready b");
  // The output ends without another match: no waiting for the timeout.
  EXPECT_EQ(child.WaitForLine("ready", 600000), std::nullopt);
  EXPECT_EQ(child.Wait(10000), 0);
  EXPECT_EQ(child.Lines(), (std::vector<std::string>{"one", "ready a", "two", "ready b"}));
  EXPECT_EQ(child.Output(), "one\nready a\ntwo\nready b\nlast");
}

TEST(ChildProcess, SetsTheEnvironmentAndTheStartFolder) {
  TempDir folder;
  setenv("SKARVEL_CHILD_TEST", "inherited", 1);
  setenv("SKARVEL_CHILD_KEPT", "kept", 1);
  ChildProcess child =
      Shell("echo \"$SKARVEL_CHILD_TEST $SKARVEL_CHILD_KEPT\"; pwd",
            {.environment = {"SKARVEL_CHILD_TEST=set"}, .workingFolder = folder.path().string()});
  EXPECT_EQ(child.Wait(10000), 0);
  EXPECT_EQ(child.Lines(), (std::vector<std::string>{"set kept", folder.path().string()}));

  ChildProcess clean(
      {.program = "/usr/bin/env", .environment = {"ONLY=this"}, .inheritEnvironment = false});
  EXPECT_EQ(clean.Wait(10000), 0);
  EXPECT_EQ(clean.Output(), "ONLY=this\n");
  unsetenv("SKARVEL_CHILD_TEST");
  unsetenv("SKARVEL_CHILD_KEPT");
}

TEST(ChildProcess, StopsWithTheSignalAndKillsWhatOutlivesTheTimeout) {
  ChildProcess trapping = Shell("trap 'kill $!; exit 7' TERM; sleep 600 >/dev/null 2>&1 & "
                                "echo up; wait");
  ASSERT_TRUE(trapping.WaitForLine("up", 10000));
  EXPECT_EQ(trapping.Stop(SIGTERM, 10000), 7);

  ChildProcess stubborn({.program = "/bin/sleep", .args = {"600"}});
  EXPECT_TRUE(stubborn.Running());
  EXPECT_EQ(stubborn.Wait(100), -1);
  EXPECT_FALSE(stubborn.Running());
}

TEST(ChildProcess, AProgramThatCannotStartThrows) {
  EXPECT_THROW(ChildProcess({.program = "/nonexistent/program"}), std::runtime_error);
}

} // namespace
