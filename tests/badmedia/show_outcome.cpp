#include "show_outcome.h"

#include <signal.h>

#include <chrono>
#include <thread>

#include "show_media.h"

namespace zibo {

std::string AudioOutputPath(const std::string& directory) { return directory + "/.audio.raw"; }

ShowOptions HeadlessShowOptions(const std::string& directory) {
  ShowOptions options;
  options.directory = directory;
  options.stdin_text = "n\n";
  options.env = {{"SDL_VIDEODRIVER", "offscreen"},
                 {"SDL_AUDIODRIVER", "disk"},
                 {"SDL_DISKAUDIOFILE", AudioOutputPath(directory)}};
  options.unset_env = {"DISPLAY", "WAYLAND_DISPLAY"};
  return options;
}

bool HasLine(const std::string& text, const std::string& line) {
  size_t at = 0;
  while ((at = text.find(line, at)) != std::string::npos) {
    const bool starts = at == 0 || text[at - 1] == '\n';
    const size_t end = at + line.size();
    if (starts && (end == text.size() || text[end] == '\n')) return true;
    at = end;
  }
  return false;
}

namespace {

std::string Output(ShowProcess& show) {
  return "\n--- stdout:\n" + show.Stdout() + "\n--- stderr:\n" + show.Stderr();
}

std::string LeftoverCheck(ShowProcess& show) {
  // Helpers of the show in its process group must be gone with it.
  for (int i = 0; i < 50 && show.GroupAlive(); ++i) {
    std::this_thread::sleep_for(std::chrono::milliseconds(20));
  }
  return show.GroupAlive() ? "a process of the show's group is still running" : "";
}

}  // namespace

std::string WaitForMusic(ShowProcess& show, const std::string& directory) {
  const auto deadline = std::chrono::steady_clock::now() + std::chrono::milliseconds(kStartTimeoutMs);
  while (!AudioOutputHasSound(AudioOutputPath(directory))) {
    if (!show.Running()) return "the show ended (" + show.Describe() + ") before its music" + Output(show);
    if (std::chrono::steady_clock::now() >= deadline) return "no music within the start timeout" + Output(show);
    std::this_thread::sleep_for(std::chrono::milliseconds(100));
  }
  return "";
}

std::string ExpectStartFailure(ShowProcess& show, const std::string& directory,
                               const std::string& line) {
  if (!show.WaitForExit(kStartTimeoutMs)) return "still running after the start timeout" + Output(show);
  if (show.Describe() != "exit 1") return "ended with " + show.Describe() + ", not exit 1" + Output(show);
  if (!HasLine(show.Stderr(), line)) return "no line \"" + line + "\" on stderr" + Output(show);
  if (AudioOutputHasSound(AudioOutputPath(directory))) return "the music started before the failure";
  return LeftoverCheck(show);
}

std::string ExpectRunsUntilSignal(ShowProcess& show, const std::string& directory, int run_ms,
                                  int signal_number) {
  std::string problem = WaitForMusic(show, directory);
  if (!problem.empty()) return problem;
  std::this_thread::sleep_for(std::chrono::milliseconds(run_ms));
  if (!show.Running()) return "the show ended (" + show.Describe() + ") while it should run" + Output(show);
  show.Signal(signal_number);
  if (!show.WaitForExit(kEndTimeoutMs)) return "did not end after the signal" + Output(show);
  if (show.Describe() != "exit 0") return "ended with " + show.Describe() + ", not exit 0" + Output(show);
  const std::string err = show.Stderr();
  if (err.find("Damn") != std::string::npos || err.find("Error") != std::string::npos ||
      err.find("runtime error") != std::string::npos) {
    return "reported a failure while running" + Output(show);
  }
  return LeftoverCheck(show);
}

}  // namespace zibo
