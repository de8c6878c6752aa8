// Preset files on disk: the last line as the record, bounded reading of huge
// files, and saving by replacement.
#include <gtest/gtest.h>

#include <filesystem>
#include <fstream>
#include <string>

#include "effect/preset_file_io.h"

#if !defined(_WIN32)
#include <sys/stat.h>
#endif

namespace fs = std::filesystem;

namespace {

class PresetFileIo : public testing::Test {
 protected:
  void SetUp() override {
    folder_ = fs::temp_directory_path() /
              ("moravelle-preset-io-" + std::string(testing::UnitTest::GetInstance()->current_test_info()->name()));
    fs::remove_all(folder_);
    fs::create_directories(folder_);
  }
  void TearDown() override { fs::remove_all(folder_); }

  std::string Write(const std::string& name, const std::string& bytes) {
    const fs::path path = folder_ / name;
    std::ofstream(path, std::ios::binary) << bytes;
    return path.string();
  }
  static std::string Contents(const std::string& path) {
    std::ifstream in(path, std::ios::binary);
    return std::string(std::istreambuf_iterator<char>(in), {});
  }
  PresetReadResult Read(const std::string& bytes, std::string& record) {
    return ReadPresetRecord(Write("p.moravellepreset", bytes), record);
  }

  fs::path folder_;
};

TEST_F(PresetFileIo, TheRecordIsTheLastLine) {
  std::string record;
  EXPECT_EQ(Read("<A>1</A>", record), PresetReadResult::kRecord);
  EXPECT_EQ(record, "<A>1</A>");
  EXPECT_EQ(Read("first\nsecond\nlast", record), PresetReadResult::kRecord);
  EXPECT_EQ(record, "last");
  EXPECT_EQ(Read("first\r\nlast", record), PresetReadResult::kRecord);  // CRLF lines
  EXPECT_EQ(record, "last");
  EXPECT_EQ(Read("\xEF\xBB\xBF<A>1</A>", record), PresetReadResult::kRecord);  // a BOM stays in the record
  EXPECT_EQ(record, "\xEF\xBB\xBF<A>1</A>");
  EXPECT_EQ(Read(std::string("a\0b", 3), record), PresetReadResult::kRecord);
  EXPECT_EQ(record.size(), 3u);
  // A trailing line break leaves an empty last line: nothing loads.
  EXPECT_EQ(Read("<A>1</A>\n", record), PresetReadResult::kEmptyRecord);
  EXPECT_EQ(Read("<A>1</A>\r\n", record), PresetReadResult::kEmptyRecord);
  EXPECT_EQ(Read("", record), PresetReadResult::kEmptyRecord);
  EXPECT_TRUE(record.empty());
}

TEST_F(PresetFileIo, NoFileReadsNothing) {
  std::string record = "stale";
  EXPECT_EQ(ReadPresetRecord("", record), PresetReadResult::kNoFile);
  EXPECT_TRUE(record.empty());
  EXPECT_EQ(ReadPresetRecord((folder_ / "missing").string(), record), PresetReadResult::kNoFile);
  EXPECT_EQ(ReadPresetRecord(folder_.string(), record), PresetReadResult::kNoFile);  // a folder
#if !defined(_WIN32)
  // A named pipe with no writer must not block the caller (the audio waits on it).
  const fs::path fifo = folder_ / "pipe";
  ASSERT_EQ(mkfifo(fifo.c_str(), 0600), 0);
  EXPECT_EQ(ReadPresetRecord(fifo.string(), record), PresetReadResult::kNoFile);
#endif
}

TEST_F(PresetFileIo, HugeFilesAreReadOnlyAtTheirEnd) {
  std::string record;
  const std::string line(kPresetRecordLimit, 'x');
  EXPECT_EQ(Read(line, record), PresetReadResult::kRecord);
  EXPECT_EQ(record.size(), kPresetRecordLimit);
  EXPECT_EQ(Read(line + "x", record), PresetReadResult::kTooLong);
  EXPECT_TRUE(record.empty());
  // 64 MiB of lines, then a short preset line: only the tail is read.
  const std::string path = (folder_ / "big").string();
  {
    std::ofstream out(path, std::ios::binary);
    const std::string block(1 << 20, '\n');
    for (int i = 0; i < 64; ++i) out << block;
    out << "<A>1</A>";
  }
  EXPECT_EQ(ReadPresetRecord(path, record), PresetReadResult::kRecord);
  EXPECT_EQ(record, "<A>1</A>");
  // 16 MiB without a line break.
  { std::ofstream(path, std::ios::binary) << std::string(16 << 20, 'y'); }
  EXPECT_EQ(ReadPresetRecord(path, record), PresetReadResult::kTooLong);
}

TEST_F(PresetFileIo, SavingReplacesTheFileWholeOrLeavesItAlone) {
  const std::string path = Write("mine.moravellepreset", "old contents");
  EXPECT_TRUE(ReplaceFileWithText(path, "new"));
  EXPECT_EQ(Contents(path), "new");
  EXPECT_TRUE(ReplaceFileWithText(path, ""));
  EXPECT_EQ(Contents(path), "");
  // Nothing is left beside it.
  int entries = 0;
  for ([[maybe_unused]] const auto& entry : fs::directory_iterator(folder_)) ++entries;
  EXPECT_EQ(entries, 1);

  // Failures report false and touch nothing: no path, a missing folder, a folder
  // in the file's place, a file in the folder's place.
  EXPECT_FALSE(ReplaceFileWithText("", "x"));
  EXPECT_FALSE(ReplaceFileWithText((folder_ / "no" / "such.moravellepreset").string(), "x"));
  fs::create_directory(folder_ / "taken");
  EXPECT_FALSE(ReplaceFileWithText((folder_ / "taken").string(), "x"));
  EXPECT_TRUE(fs::is_directory(folder_ / "taken"));
  EXPECT_FALSE(ReplaceFileWithText(path + "/below", "x"));
  EXPECT_EQ(Contents(path), "");
  entries = 0;
  for ([[maybe_unused]] const auto& entry : fs::directory_iterator(folder_)) ++entries;
  EXPECT_EQ(entries, 2);  // no temporary file survives a failure
}

}  // namespace
