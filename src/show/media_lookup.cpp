#include "show/media_lookup.h"

#include <sys/stat.h>
#include <unistd.h>

#include <algorithm>
#include <cstdio>
#include <cstdlib>

#include "show/show.h"
#include "show/show_media.h"

namespace zibo {
namespace {

std::string Env(const char* name) {
  const char* value = std::getenv(name);
  return value ? value : "";
}

// The folder of the running program, "" when it cannot be read.
std::string ProgramFolder() {
  char path[4096];
  const ssize_t n = readlink("/proc/self/exe", path, sizeof path - 1);
  if (n <= 0) return "";
  const std::string exe(path, size_t(n));
  return exe.substr(0, exe.rfind('/'));
}

// `path` without trailing slashes; "" for the root.
std::string Trimmed(std::string path) {
  while (!path.empty() && path.back() == '/') path.pop_back();
  return path;
}

// Adds `base`/`name` unless it is there already.
void AddOnce(std::vector<std::string>* folders, const std::string& base, const char* name = "") {
  const std::string folder = *name ? Trimmed(base) + "/" + name : Trimmed(base);
  if (std::find(folders->begin(), folders->end(), folder) == folders->end())
    folders->push_back(folder);
}

bool ReadableFile(const std::string& path) {
  struct stat st {};
  return stat(path.c_str(), &st) == 0 && S_ISREG(st.st_mode) && access(path.c_str(), R_OK) == 0;
}

}  // namespace

std::vector<std::string> MediaFolders(const MediaPlaces& places) {
  std::vector<std::string> folders = {"."};
  if (places.xdg_data_home.rfind('/', 0) == 0) {
    AddOnce(&folders, places.xdg_data_home, "zibo");
  } else if (places.home.rfind('/', 0) == 0) {
    AddOnce(&folders, Trimmed(places.home) + "/.local/share", "zibo");
  }
  const std::string dirs =
      places.xdg_data_dirs.empty() ? "/usr/local/share:/usr/share" : places.xdg_data_dirs;
  for (size_t start = 0; start <= dirs.size();) {
    size_t colon = dirs.find(':', start);
    if (colon == std::string::npos) colon = dirs.size();
    const std::string dir = dirs.substr(start, colon - start);
    if (dir.rfind('/', 0) == 0) AddOnce(&folders, dir, "zibo");
    start = colon + 1;
  }
  if (!places.installed.empty()) AddOnce(&folders, places.installed);
  return folders;
}

std::string FirstFolderWithMedia(const std::vector<std::string>& folders) {
  for (const std::string& folder : folders) {
    bool all = true;
    for (const char* name : kMediaFiles) all = all && ReadableFile(MediaPath(folder, name));
    if (all) return folder;
  }
  return "";
}

std::string MediaNotFoundNote(const std::string& program, const std::vector<std::string>& folders,
                              const std::string& cwd) {
  std::string note = program + ": no folder holds all eleven media files (" + kSongFile + ", " +
                     kEffectFile + ", " + kBackgroundFile + ", " + kBackground2File + ", " +
                     kSlideFiles[0] + " ... " + kSlideFiles[kSlideCount - 1] + "); looked in ";
  for (size_t i = 0; i < folders.size(); ++i) {
    if (i > 0) note += ", ";
    note += folders[i] == "." ? cwd + " (the current folder)" : folders[i];
  }
  return note;
}

std::string InstalledMediaFolder(const std::string& program_dir) {
  if (program_dir.empty()) return "";
  std::string folder = program_dir, rest = ZIBO_BIN_TO_MEDIA;
  while (rest.compare(0, 3, "../") == 0 && folder.rfind('/') != std::string::npos) {
    folder.resize(std::max<size_t>(folder.rfind('/'), 1));
    rest.erase(0, 3);
  }
  return folder == "/" ? "/" + rest : folder + "/" + rest;
}

std::string LookUpMediaFolder(const char* program) {
  const MediaPlaces places = {Env("XDG_DATA_HOME"), Env("XDG_DATA_DIRS"), Env("HOME"),
                              InstalledMediaFolder(ProgramFolder())};
  const std::vector<std::string> folders = MediaFolders(places);
  const std::string found = FirstFolderWithMedia(folders);
  if (!found.empty()) return found;
  char cwd[4096];
  const std::string here = getcwd(cwd, sizeof cwd) ? cwd : ".";
  std::fprintf(stderr, "%s\n", MediaNotFoundNote(program, folders, here).c_str());
  return ".";
}

}  // namespace zibo
