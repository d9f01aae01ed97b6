// Limits a probe found: endless description lines, header words that cannot
// hold their values, [Layout] orders past 65,536 lines of one value, and
// tables of thousands of [PathList] names and [LbaOrigin] LBAs.
#include <gtest/gtest.h>

#include <filesystem>
#include <string>
#include <thread>
#include <unistd.h>

#include "e2e/hostile_disc.h"

namespace qorv::test {
namespace {

constexpr size_t kMiB = size_t{1} << 20;

TEST(ProbeLimits, LinesUpToSixtyFourMebibytes) {
  HostileDisc disc;
  // Line 3 is one byte too long: reported at its line; the definition it
  // cuts and the stray "!" on line 4 give nothing more (the rest is unread).
  const std::string cut = disc.dir().write("cut.ddf", "[DiskID]\nDiskInfo =\n" + std::string(64 * kMiB + 1, 'y') + "\n!\n");
  for (const std::string &file : {std::string("/dev/zero"), cut}) {
    RunResult r = disc.run_with_file(file);
    EXPECT_EQ(r.status, -1);
    EXPECT_EQ(r.err, "Error:" + file + ", " + (file == cut ? "3" : "1") + ": line is too long\n");
  }
  // Exactly 64 MiB before the CR LF is fine.
  RunResult r = disc.run("[DiskID]\nDiskInfo = \"" + std::string(64 * kMiB - 13, 'x') + "\"\r\n");
  EXPECT_EQ(r.status, 0);
  EXPECT_EQ(r.err, kBaseMessages);

  // A description read from a pipe, as `QorvMakeDlf <(generator)` does,
  // with a line of a mebibyte: more than the pipe holds at once.
  int fds[2];
  ASSERT_EQ(pipe(fds), 0);
  std::thread writer([fd = fds[1]] {
    const std::string text = "[DiskID]\nDiskInfo = \"" + std::string(kMiB, 'p') + "\"\n";
    for (size_t done = 0; done < text.size();) {
      ssize_t n = write(fd, text.data() + done, text.size() - done);
      if (n <= 0) break;
      done += static_cast<size_t>(n);
    }
    close(fd);
  });
  r = disc.run_with_file("/dev/fd/" + std::to_string(fds[0]));
  writer.join();
  close(fds[0]);
  EXPECT_EQ(r.status, 0);
  EXPECT_EQ(r.err, kBaseMessages);
  EXPECT_EQ(read_file(disc.at("out/sys.bin")).substr(0x20, 64), std::string(64, 'p'));
}

}  // namespace
}  // namespace qorv::test
