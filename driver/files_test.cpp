#include "driver/files.h"

#include <gtest/gtest.h>
#include <unistd.h>

#include <cerrno>
#include <filesystem>
#include <istream>
#include <ostream>
#include <sstream>

namespace velumar {
namespace {

namespace fs = std::filesystem;

fs::path temp_dir() {
  fs::path dir = fs::temp_directory_path() / ("velumar_files_" + std::to_string(::getpid()));
  fs::create_directories(dir);
  return dir;
}

TEST(FileBuf, WritesAndReadsBack) {
  fs::path name = temp_dir() / "round.txt";
  std::string text;
  for (int i = 0; i < 20000; ++i) text += "LINE " + std::to_string(i) + "\n";  // several buffers' worth
  {
    FileBuf buf;
    ASSERT_TRUE(buf.open_write(name));
    std::ostream os(&buf);
    os << text;
    EXPECT_TRUE(buf.close());
  }
  FileBuf in;
  ASSERT_TRUE(in.open_read(name));
  std::istream is(&in);
  std::ostringstream back;
  back << is.rdbuf();
  EXPECT_EQ(back.str(), text);
  EXPECT_EQ(in.error(), 0);
  fs::remove_all(name.parent_path());
}

TEST(FileBuf, FullDiskIsReportedAtLatestOnClose) {
  if (!fs::exists("/dev/full")) GTEST_SKIP() << "no /dev/full";
  FileBuf buf;
  ASSERT_TRUE(buf.open_write("/dev/full"));
  std::ostream os(&buf);
  os << "one short line\n";  // still in the buffer: nothing has failed yet
  EXPECT_FALSE(buf.close());
  EXPECT_EQ(buf.error(), ENOSPC);

  ASSERT_TRUE(buf.open_write("/dev/full"));
  os.clear();
  os << std::string(std::size_t{1} << 20, 'x');  // more than a buffer: fails while writing
  EXPECT_TRUE(os.bad());
  EXPECT_EQ(buf.error(), ENOSPC);
  EXPECT_FALSE(buf.close());
}

}  // namespace
}  // namespace velumar
