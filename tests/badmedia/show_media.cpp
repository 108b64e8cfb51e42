#include "show_media.h"

#include <sndfile.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <cmath>
#include <cstdio>
#include <cstdlib>
#include <cstring>

#include "show_process.h"

namespace zibo {

namespace {

bool HasAllFiles(const std::string& dir) {
  struct stat st;
  for (const char* name : kImageFiles) {
    if (stat((dir + "/" + name).c_str(), &st) != 0 || !S_ISREG(st.st_mode)) return false;
  }
  return stat((dir + "/" + kSongFile).c_str(), &st) == 0 &&
         stat((dir + "/" + kEffectFile).c_str(), &st) == 0;
}

}  // namespace

std::string GoodMediaDir(std::string* error) {
  if (HasAllFiles(ZIBO_BUILD_MEDIA_DIR)) return ZIBO_BUILD_MEDIA_DIR;
  if (HasAllFiles(ZIBO_FIXTURE_MEDIA_DIR)) return ZIBO_FIXTURE_MEDIA_DIR;
  *error = std::string("no media in ") + ZIBO_BUILD_MEDIA_DIR + " nor " + ZIBO_FIXTURE_MEDIA_DIR;
  return "";
}

bool CaseDirectory::Create(const std::string& good_dir, std::string* error) {
  good_dir_ = good_dir;
  const char* tmp = std::getenv("TMPDIR");
  std::string templ = std::string(tmp && *tmp ? tmp : "/tmp") + "/zibo-case-XXXXXX";
  if (!mkdtemp(&templ[0])) {
    *error = "mkdtemp: " + std::string(std::strerror(errno));
    return false;
  }
  path_ = templ;
  for (const char* name : kImageFiles) {
    if (symlink((good_dir + "/" + name).c_str(), File(name).c_str()) != 0) {
      *error = "symlink " + std::string(name) + ": " + std::strerror(errno);
      return false;
    }
  }
  for (const char* name : {kSongFile, kEffectFile}) {
    if (symlink((good_dir + "/" + name).c_str(), File(name).c_str()) != 0) {
      *error = "symlink " + std::string(name) + ": " + std::strerror(errno);
      return false;
    }
  }
  return true;
}

CaseDirectory::~CaseDirectory() {
  if (path_.empty()) return;
  const std::string command = "rm -rf '" + path_ + "'";
  if (std::system(command.c_str()) != 0) std::fprintf(stderr, "could not remove %s\n", path_.c_str());
}

std::string CaseDirectory::GoodBytes(const std::string& name) const {
  return ReadWholeFile(good_dir_ + "/" + name);
}

bool CaseDirectory::Remove(const std::string& name) {
  return unlink(File(name).c_str()) == 0 || errno == ENOENT;
}

bool CaseDirectory::Write(const std::string& name, const std::string& bytes) {
  if (!Remove(name)) return false;
  FILE* f = std::fopen(File(name).c_str(), "wb");
  if (!f) return false;
  const bool ok = std::fwrite(bytes.data(), 1, bytes.size(), f) == bytes.size();
  return std::fclose(f) == 0 && ok;
}

bool CaseDirectory::MakeDirectory(const std::string& name) {
  return Remove(name) && mkdir(File(name).c_str(), 0755) == 0;
}

bool WriteToneFile(const std::string& path, double seconds, int format, std::string* error) {
  SF_INFO info{};
  info.samplerate = 44100;
  info.channels = 2;
  info.format = format;
  SNDFILE* file = sf_open(path.c_str(), SFM_WRITE, &info);
  if (!file) {
    *error = path + ": " + sf_strerror(nullptr);
    return false;
  }
  const sf_count_t frames = sf_count_t(seconds * info.samplerate);
  std::vector<float> samples(size_t(frames) * 2);
  for (sf_count_t i = 0; i < frames; ++i) {
    const double t = double(i) / info.samplerate;
    // A rising tone with a four-per-second pulse: never silent for long.
    const double pulse = 0.6 + 0.4 * std::cos(2 * M_PI * 4 * t);
    const float v = float(0.4 * pulse * std::sin(2 * M_PI * (220 + 20 * t) * t));
    samples[size_t(i) * 2] = v;
    samples[size_t(i) * 2 + 1] = v;
  }
  const bool ok = sf_writef_float(file, samples.data(), frames) == frames;
  if (!ok) *error = path + ": " + sf_strerror(file);
  sf_close(file);
  return ok;
}

bool AudioOutputHasSound(const std::string& path) {
  const std::string bytes = ReadWholeFile(path);
  for (char c : bytes) {
    if (c != 0) return true;
  }
  return false;
}

}  // namespace zibo
