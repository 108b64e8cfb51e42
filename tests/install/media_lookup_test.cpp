// The order of the folders the programs look in for their media, from the
// environment; which folder holds them is checked on installed programs.
#include "show/media_lookup.h"

#include <gtest/gtest.h>

namespace zibo {
namespace {

TEST(MediaLookup, FoldersInOrderEachOnceAbsoluteOnly) {
  using Folders = std::vector<std::string>;
  const std::string local = "/usr/local/share/zibo", usr = "/usr/share/zibo";
  const struct { MediaPlaces places; Folders want; } cases[] = {
      {{"", "", "/home/u", usr}, {".", "/home/u/.local/share/zibo", local, usr}},
      {{"/d/", "/a:rel::/b/", "/home/u", "/opt/z/share/zibo"}, {".", "/d/zibo", "/a/zibo", "/b/zibo", "/opt/z/share/zibo"}},
      {{"rel", "/", "", ""}, {".", "/zibo"}},
      {{"rel", "", "/", ""}, {".", "/.local/share/zibo", local, usr}},
      {{"", ":rel", "", ""}, {"."}},
      {{"/usr/share", "/usr/share:/usr/share/", "/home/u", usr + "/"}, {".", usr}}};
  for (const auto& c : cases) EXPECT_EQ(MediaFolders(c.places), c.want) << c.places.xdg_data_dirs;
}

}  // namespace
}  // namespace zibo
