// media_lookup.h - which folder the show, zibo-preview and zibo-capture read
// their eleven media files from.
//
// A folder the user names (--media) is used as it is. Otherwise, in order:
// the current folder, $XDG_DATA_HOME/zibo (default ~/.local/share/zibo),
// each $XDG_DATA_DIRS entry's zibo/ (default /usr/local/share and
// /usr/share), and the folder the build installs the media to, found from
// the running program's own folder. The first folder holding all eleven
// files wins, so they never come from two folders. When none does, the
// current folder is used and the program fails there as it always has.
//
// MediaFolders and MediaNotFoundNote are pure; FirstFolderWithMedia looks
// at the file system; LookUpMediaFolder reads the process's environment and
// writes to stderr. Any thread.
#ifndef ZIBO_SHOW_MEDIA_LOOKUP_H
#define ZIBO_SHOW_MEDIA_LOOKUP_H

#include <string>
#include <vector>

namespace zibo {

// What the search order depends on; "" for an unset value.
struct MediaPlaces {
  std::string xdg_data_home;  // $XDG_DATA_HOME
  std::string xdg_data_dirs;  // $XDG_DATA_DIRS
  std::string home;           // $HOME
  std::string installed;      // the installed media folder, "" when not known
};

// The folders to look in, in order, each once; "." is the current folder.
// Relative XDG entries are ignored, as the XDG base directory rules say.
std::vector<std::string> MediaFolders(const MediaPlaces& places);

// The first of `folders` holding every one of the eleven files as a
// readable regular file, or "" when none does.
std::string FirstFolderWithMedia(const std::vector<std::string>& folders);

// The line that says no folder holds the files and names `folders`, the
// current folder as `cwd`; no newline.
std::string MediaNotFoundNote(const std::string& program, const std::vector<std::string>& folders,
                              const std::string& cwd);

// The installed media folder as seen from the folder of the running program
// (`program_dir`): the build's install layout, e.g. /usr/bin -> /usr/share/zibo.
std::string InstalledMediaFolder(const std::string& program_dir);

// The media folder for `program` by the order above and this process's
// environment; "." with the note on stderr when no folder holds the files.
std::string LookUpMediaFolder(const char* program);

}  // namespace zibo

#endif
