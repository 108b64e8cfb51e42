#include "shell/run_show.h"

#include <SDL.h>
#include <unistd.h>

#include <cerrno>
#include <chrono>
#include <cstdio>
#include <cstring>
#include <memory>
#include <string>
#include <thread>

#include "bass/bass.h"
#include "music/music_player.h"
#include "scenes/shared_picture.h"
#include "shell/frame_lead.h"
#include "shell/gl_window.h"
#include "shell/stop_signals.h"
#include "shell/viewer_question.h"
#include "show/show.h"
#include "show/media_lookup.h"
#include "show/show_frame.h"
#include "show/show_media.h"

namespace zibo {

namespace {

// The noise scene's spectrum, read from the playing music.
class MusicSpectrum : public SpectrumSource {
 public:
  explicit MusicSpectrum(const MusicPlayer& music) : music_(music) {}
  float SpectrumAt(float fraction) override { return music_.SpectrumAt(fraction); }

 private:
  const MusicPlayer& music_;
};

// Whether the key is held now, by SDL's keyboard state as of the last pump.
bool KeyHeld(SDL_Keycode key) {
  int count = 0;
  const Uint8* state = SDL_GetKeyboardState(&count);
  const SDL_Scancode code = SDL_GetScancodeFromKey(key);
  return code > SDL_SCANCODE_UNKNOWN && code < count && state[code] != 0;
}

// Every texture, loaded before the music starts; an unreadable image ends
// the process with its name and the reason, through the window.
std::unique_ptr<Show> LoadShow(GlWindow& window, SpectrumSource& spectrum) {
  std::string unused;
  return Show::Load(
      [&window](const char* name, uint32_t* texture, std::string*) {
        *texture = window.LoadTgaTexture(name);
        return true;
      },
      spectrum, &unused);
}

double NowSeconds() { return SDL_GetPerformanceCounter() / double(SDL_GetPerformanceFrequency()); }

// Sleeps until the music reaches `ms`, or for as long as that should take
// if the music is not moving (a stalled server).
void WaitForMusic(const MusicPlayer& music, int32_t ms) {
  const int32_t from = music.PositionMs();
  if (ms <= from) return;
  const double give_up = NowSeconds() + (ms - from) / 1000.0 + 0.005;
  while (music.PositionMs() < ms && NowSeconds() < give_up) {
    std::this_thread::sleep_for(std::chrono::microseconds(250));
  }
}

// Draws frames in step with the music until the window is asked to close
// (or a stop signal arrives) or the music passes the show's end.
void RunFrameLoop(GlWindow& window, const MusicPlayer& music, Show& show, HSTREAM sfx_stream) {
  if (StopRequested()) quit = 1;
  if (quit != 0) return;
  FrameLead lead;
  do {
    window.PumpMessage();
    if (StopRequested()) quit = 1;  // ends the show like a window close
    ClearShowFrame();
    // Drawn for the moment the frame will be on the screen.
    lead.Started(NowSeconds());
    const int32_t now = music.PositionMs();
    // Unpaced frames reach the screen when their swap returns. A still
    // picture that changes within this frame's reach is drawn for its
    // change and held back until it is due, as a video player presents a
    // frame at its time, rather than shown up to a frame early or late.
    const int32_t change = window.PacedByDisplay() ? -1 : NextPictureChange(now, lead.ReachMs());
    const int32_t t = change >= 0 ? change : now + lead.Ms();
    // Holding Space restarts the effect from its beginning every frame.
    if (sfx_stream != 0 && KeyHeld(SDLK_SPACE)) BASS_StreamPlay(sfx_stream, 1, 0);
    show.Draw(t, KeyHeld(SDLK_h));
    if (IsPastShowEnd(t)) break;  // the last frame is not presented
    if (change >= 0) {
      FinishShowFrame();
      const double drawn = NowSeconds();
      WaitForMusic(music, change - lead.PresentMs());
      lead.Held(drawn, NowSeconds());
    }
    window.SwapFrame();
    lead.Shown(NowSeconds());
  } while (quit == 0);
}

}  // namespace

int RunShow() {
  const ViewerAnswer answer = AskViewer();
  if (answer == ViewerAnswer::kCancel) return 0;

  // The show opens its files by name, so it works in its media folder.
  const std::string media = LookUpMediaFolder("zibo");
  if (media != "." && chdir(media.c_str()) != 0)
    std::fprintf(stderr, "zibo: cannot enter %s: %s\n", media.c_str(), std::strerror(errno));

  // From here on, SIGINT and SIGTERM close the show like its window.
  SDL_SetHint(SDL_HINT_NO_SIGNAL_HANDLERS, "1");
  InstallStopSignalHandlers();
  {
    // Built in this order, released in reverse: the music before the window.
    GlWindow window(answer == ViewerAnswer::kYes);
    MusicPlayer music(kSongFile, window.window());
    // A missing effect is no error: Space then does nothing.
    const HSTREAM sfx_stream = BASS_StreamCreateFile(0, kEffectFile, 0, 0, 0);
    MusicSpectrum spectrum(music);
    const std::unique_ptr<Show> show = LoadShow(window, spectrum);

    music.Play();
    RunFrameLoop(window, music, *show, sfx_stream);
  }
  SDL_Quit();
  return 0;
}

}  // namespace zibo
