// A process that exits while the platform's main thread draws: exit stops the serving before it
// destroys what drawing uses, so the program ends with its own status and says nothing. The
// program (ExitWhileDrawing.cpp) is run at many moments of its life, from before its window is
// open to well after.
#include <gtest/gtest.h>

#include <sys/wait.h>

#include <cstdio>
#include <string>

namespace {

struct Ending {
  int status;
  std::string output;
};

Ending runExitingAfter(int milliseconds) {
  // Under the sanitizers the leak checker would list the suppressions it used: not a report.
  const std::string command = "LSAN_OPTIONS=\"$LSAN_OPTIONS:print_suppressions=0\" " +
                              std::string(BRIX_EXIT_WHILE_DRAWING) + " " +
                              std::to_string(milliseconds) + " 2>&1";
  FILE* pipe = popen(command.c_str(), "r");
  if (!pipe) return {-1, "popen failed"};
  std::string output;
  char buffer[4096];
  while (std::size_t read = std::fread(buffer, 1, sizeof buffer, pipe))
    output.append(buffer, read);
  return {pclose(pipe), output};
}

} // namespace

TEST(ProcessExit, ExitWhileTheMainThreadDrawsEndsCleanlyAtAnyMoment) {
  for (int milliseconds = 0; milliseconds <= 300; milliseconds += 15) {
    const Ending ending = runExitingAfter(milliseconds);
    ASSERT_TRUE(WIFEXITED(ending.status))
        << "exit after " << milliseconds << " ms: status " << ending.status << "\n"
        << ending.output;
    EXPECT_EQ(WEXITSTATUS(ending.status), 0) << "exit after " << milliseconds << " ms";
    EXPECT_EQ(ending.output, "") << "exit after " << milliseconds << " ms";
  }
}
