// Where a factory preset is read from: the user's library first, then the shared
// folder of a system-wide installation, found from the module's own place.
#include <gtest/gtest.h>

#include <filesystem>
#include <fstream>
#include <string>
#include <vector>

#include "effect/factory_preset_location.h"
#include "effect/preset_catalogue.h"

namespace {

namespace fs = std::filesystem;

#if !defined(_WIN32)  // only Linux installations share a data folder
TEST(SharedPresetFolder, IsBesideTheNearestLibFolderAboveTheModule) {
  EXPECT_EQ(SharedPresetFolderBesideModule("/usr/lib/vst3/Moravelle.vst3/Contents/x86_64-linux/Moravelle.so"),
            "/usr/share/moravelle/presets/");
  EXPECT_EQ(SharedPresetFolderBesideModule("/usr/lib/vst/Moravelle.so"), "/usr/share/moravelle/presets/");
  EXPECT_EQ(SharedPresetFolderBesideModule("/opt/pkg/usr/local/lib64/vst/Moravelle.so"),
            "/opt/pkg/usr/local/share/moravelle/presets/");
  // The nearest one counts, and ".." is resolved before the search.
  EXPECT_EQ(SharedPresetFolderBesideModule("/srv/lib/x/usr/lib/vst/Moravelle.so"),
            "/srv/lib/x/usr/share/moravelle/presets/");
  EXPECT_EQ(SharedPresetFolderBesideModule("/usr/lib/vst/../vst3/x/../Moravelle.so"), "/usr/share/moravelle/presets/");
  EXPECT_EQ(SharedPresetFolderBesideModule("/lib/vst/Moravelle.so"), "/share/moravelle/presets/");
  // No lib folder, a lib folder too far up, a relative or empty path: none.
  EXPECT_EQ(SharedPresetFolderBesideModule("/home/someone/.vst3/Moravelle.vst3/Contents/x86_64-linux/Moravelle.so"), "");
  EXPECT_EQ(SharedPresetFolderBesideModule("/lib/a/b/c/d/e/f/g/h/i/Moravelle.so"), "");
  EXPECT_EQ(SharedPresetFolderBesideModule("lib/vst/Moravelle.so"), "");
  EXPECT_EQ(SharedPresetFolderBesideModule(""), "");
  // A library named like a folder is not one.
  EXPECT_EQ(SharedPresetFolderBesideModule("/usr/libexec/vst/Moravelle.so"), "");
}
#endif

class FactoryPresetLocation : public testing::Test {
 protected:
  FactoryPresetLocation() {
    root = fs::temp_directory_path() /
           (std::string("moravelle-location-") + testing::UnitTest::GetInstance()->current_test_info()->name());
    fs::remove_all(root);
    library = (root / "library").string() + "/";
    shared = (root / "shared").string() + "/";
    fs::create_directories(root / "library" / "Factory");
    fs::create_directories(root / "shared" / "Factory");
  }
  ~FactoryPresetLocation() override { fs::remove_all(root); }
  static void Write(const std::string& path) { std::ofstream(path) << "<ReverbDamp>0.5</ReverbDamp>"; }

  fs::path root;
  std::string library, shared;
  const int deeper = 10;
  const std::string relative = FactoryPresetRelativePath(10);
};

TEST_F(FactoryPresetLocation, TheLibraryComesFirstThenTheSharedFolder) {
  Write(shared + relative);
  // Missing from the library: the shared file.
  EXPECT_EQ(FactoryPresetPath(library, deeper, {shared}), shared + relative);
  // In the library: the library's, even when the shared folder has one.
  Write(library + relative);
  EXPECT_EQ(FactoryPresetPath(library, deeper, {shared}), library + relative);
  // A folder in the file's place is the user's: it stays the path (and loads nothing).
  fs::remove(library + relative);
  fs::create_directory(library + relative);
  EXPECT_EQ(FactoryPresetPath(library, deeper, {shared}), library + relative);
}

TEST_F(FactoryPresetLocation, TheFirstSharedFolderThatHoldsTheFileCounts) {
  const std::string second = (root / "second").string() + "/";
  fs::create_directories(second + "Factory");
  Write(second + relative);
  EXPECT_EQ(FactoryPresetPath(library, deeper, {shared, second}), second + relative);
  Write(shared + relative);
  EXPECT_EQ(FactoryPresetPath(library, deeper, {shared, second}), shared + relative);
}

TEST_F(FactoryPresetLocation, NothingFoundNoLibraryOrNoPresetNumberNamesNoSharedFile) {
  Write(shared + relative);
  // No shared file of that name: the library path, which then loads nothing.
  EXPECT_EQ(FactoryPresetPath(library, 11, {shared}), library + FactoryPresetRelativePath(11));
  // Without a library the library is disabled: nothing is read from anywhere.
  EXPECT_EQ(FactoryPresetPath("", deeper, {shared}), "");
  // Number 0 and numbers beyond the catalogue name the library folder itself.
  EXPECT_EQ(FactoryPresetPath(library, 0, {shared}), library);
  EXPECT_EQ(FactoryPresetPath(library, 32, {shared}), library);
}

}  // namespace
