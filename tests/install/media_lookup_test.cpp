// Where the programs look for their media: the order of the folders from
// the environment, and which folder counts as holding the media.
#include "show/media_lookup.h"

#include <sys/stat.h>

#include <gtest/gtest.h>

#include "show/show_media.h"
#include "support/file_bytes.h"
#include "support/temp_dir.h"

namespace zibo {
namespace {

using Folders = std::vector<std::string>;

TEST(MediaLookup, FoldersInOrderEachOnceAbsoluteOnly) {
  const Folders usual = {"/usr/local/share/zibo", "/usr/share/zibo"};
  const struct { MediaPlaces places; Folders want; } cases[] = {
      {{"", "", "/home/u", "/usr/share/zibo"}, {".", "/home/u/.local/share/zibo", usual[0], usual[1]}},
      {{"/d/", "/a:rel::/b/", "/home/u", "/opt/z/share/zibo"}, {".", "/d/zibo", "/a/zibo", "/b/zibo", "/opt/z/share/zibo"}},
      {{"rel", "/", "", ""}, {".", "/zibo"}},
      {{"rel", "", "/", ""}, {".", "/.local/share/zibo", usual[0], usual[1]}},
      {{"", ":rel", "", ""}, {"."}},
      {{"/usr/share", "/usr/share:/usr/share/", "/home/u", "/usr/share/zibo/"}, {".", "/usr/share/zibo"}}};
  for (const auto& c : cases) EXPECT_EQ(MediaFolders(c.places), c.want) << c.places.xdg_data_dirs;
  EXPECT_EQ(InstalledMediaFolder("/usr/bin"), "/usr/share/zibo");
  EXPECT_EQ(InstalledMediaFolder("/bin"), "/share/zibo");
  EXPECT_EQ(InstalledMediaFolder(""), "");
}

TEST(MediaLookup, OnlyAFolderWithAllElevenFilesCounts) {
  testing::TempDir dir;
  for (const char* folder : {"partial", "folder_for_file", "full", "full_too"}) {
    mkdir(dir.Path(folder).c_str(), 0755);
    for (const char* name : kMediaFiles) ASSERT_TRUE(testing::WriteFileBytes(dir.Path(folder) + "/" + name, "x"));
  }
  unlink((dir.Path("partial") + "/" + kEffectFile).c_str());
  const std::string s7 = dir.Path("folder_for_file") + "/" + kSlideFiles[6];
  ASSERT_TRUE(unlink(s7.c_str()) == 0 && mkdir(s7.c_str(), 0755) == 0);
  const Folders all = {dir.Path("none"), dir.Path("partial"), dir.Path("folder_for_file"), dir.Path("full"),
                       dir.Path("full_too")};
  EXPECT_EQ(FirstFolderWithMedia(all), dir.Path("full"));
  EXPECT_EQ(FirstFolderWithMedia(Folders(all.begin(), all.begin() + 3)), "");

  const std::string note = MediaNotFoundNote("zibo-capture", {".", "/x/zibo", "/y/zibo"}, "/home/u");
  EXPECT_EQ(note.rfind("zibo-capture: no folder holds all eleven media files (disco.mp3, s.ogg, ", 0), 0u) << note;
  EXPECT_NE(note.find("looked in /home/u (the current folder), /x/zibo, /y/zibo"), std::string::npos) << note;
}

}  // namespace
}  // namespace zibo
