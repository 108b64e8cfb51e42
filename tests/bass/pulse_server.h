// pulse_server.h - a private PulseAudio for a test: its own socket and
// folders in a temporary directory, one null sink, PULSE_SERVER pointing at
// it while it lives. Test thread only.
#ifndef ZIBO_TESTS_BASS_PULSE_SERVER_H
#define ZIBO_TESTS_BASS_PULSE_SERVER_H

#include <gtest/gtest.h>

#include <csignal>
#include <cstdlib>
#include <memory>

#include "support/run_program.h"
#include "support/temp_dir.h"

namespace zibo::testing {

class PulseServer {
 public:
  static constexpr const char* kSink = "zibo_null";

  // Starts the server and waits (bounded by tries) until it answers.
  PulseServer() {
    const std::string socket = dir_.Path("native");
    ProgramOptions options;
    options.args = {"-n", "--daemonize=no", "--exit-idle-time=-1", "--use-pid-file=no", "--disable-shm=yes",
                    "--log-target=stderr",
                    "--load=module-native-protocol-unix auth-anonymous=1 socket=" + socket,
                    std::string("--load=module-null-sink sink_name=") + kSink};
    options.env = {"HOME=" + dir_.path(), "XDG_RUNTIME_DIR=" + dir_.path()};
    server_ = std::make_unique<RunningProgram>("pulseaudio", options);
    setenv("PULSE_SERVER", ("unix:" + socket).c_str(), 1);
    ProgramOptions info;
    info.args = {"info"};
    for (int i = 0; i < 300 && !answers_ && !server_->Wait(50); ++i) {
      answers_ = RunProgram("pactl", info).status == "exit 0";
    }
  }
  // Whether it answered, and if not, how it ended.
  bool answers() const { return answers_; }
  std::string Describe() const { return server_->Describe(); }
  ~PulseServer() { unsetenv("PULSE_SERVER"); }  // the handle kills the server
  void Signal(int signal_number) { server_->Signal(signal_number); }

 private:
  TempDir dir_;
  std::unique_ptr<RunningProgram> server_;
  bool answers_ = false;
};

}  // namespace zibo::testing

#endif
