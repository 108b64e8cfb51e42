// Placeholder: the player is being written.
#include "music/music_player.h"
namespace zibo {
void MusicPlayer::Open(const char*, void*) {}
void MusicPlayer::Play() {}
int32_t MusicPlayer::PositionMs() const { return 0; }
float MusicPlayer::SpectrumAt(float) const { return 0; }
void MusicPlayer::Stop() {}
void MusicPlayer::Close() {}
}
