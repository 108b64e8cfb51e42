// bass.h - zibo's own small audio library.
//
// Twelve C calls in the shape of the classic BASS 2.0 API, so that the show's
// player code reads naturally, plus three for players that seek and pause
// (the preview): one output device, file streams decoded as
// they open (the first second at once, the rest on a background thread
// that keeps a long song in a window around the play position),
// playback mixed for a sound server or SDL, a playback clock in bytes,
// and a 512-point spectrum of what is being heard now.
//
// Devices: -1 is the default output: a desktop sound server through libpulse
// (PulseAudio, or PipeWire's pulse server; the one PULSE_SERVER or the client
// configuration names, never one started for us), whose own timing is the
// clock, latency included; when none answers within 2 s or it refuses the
// stream, the default SDL audio output. Setting SDL_AUDIODRIVER skips the
// server and uses SDL alone. -2 is the no-sound device, which plays nothing
// but advances playing streams in real time on a monotonic clock. An output
// lost while playing (the server died or stalled, the device was removed)
// turns into the no-sound device from the position heard then, and says so
// once on stderr.
//
// Threads: every call is made from one thread (the show's). The output
// mixes on its own thread and touches only preallocated state.
//
// Errors: a failing call returns 0 (or -1 for positions) and records a code
// that BASS_ErrorGetCode returns; a successful call records BASS_OK.
#ifndef ZIBO_BASS_BASS_H
#define ZIBO_BASS_BASS_H

#include <stdint.h>

#ifdef __cplusplus
extern "C" {
#endif

typedef uint32_t DWORD;
typedef uint64_t QWORD;
typedef int BOOL;
typedef DWORD HSTREAM;

#define BASS_OK 0
#define BASS_ERROR_MEM 1
#define BASS_ERROR_FILEOPEN 2
#define BASS_ERROR_DRIVER 3
#define BASS_ERROR_HANDLE 5
#define BASS_ERROR_POSITION 7
#define BASS_ERROR_FORMAT 6
#define BASS_ERROR_INIT 8
#define BASS_ERROR_START 9
#define BASS_ERROR_ALREADY 14
#define BASS_ERROR_NOPAUSE 16
#define BASS_ERROR_ILLPARAM 20
#define BASS_ERROR_DEVICE 23
#define BASS_ERROR_NOPLAY 24
#define BASS_ERROR_NOTAVAIL 37
#define BASS_ERROR_FILEFORM 41
#define BASS_ERROR_CODEC 44
#define BASS_ERROR_UNKNOWN -1

#define BASS_DEVICE_DEFAULT -1
#define BASS_DEVICE_NOSOUND -2

// BASS_ChannelGetData: 512-point FFT, 256 magnitudes written as floats.
#define BASS_DATA_FFT512 0x80000000u

// Opens the output device (see above) at `freq` Hz (8000..192000) and starts
// it. `flags` and `win` are accepted and unused. Fails with ALREADY when
// already initialised, DRIVER when neither a server nor SDL output can be
// opened (or FORMAT when SDL would not take 16-bit stereo), DEVICE for
// other device numbers; why a platform call failed is kept in words (see
// bass_diagnostics.h).
BOOL BASS_Init(int device, DWORD freq, DWORD flags, void* win);
// Opens and fully decodes an audio file (MP3, Ogg Vorbis, WAV, FLAC) to the
// output rate and channel count. `mem` must be 0; offset and length 0 mean
// the whole file. Returns 0 on failure (FILEOPEN, FILEFORM, MEM, INIT...).
HSTREAM BASS_StreamCreateFile(BOOL mem, const void* file, DWORD offset, DWORD length, DWORD flags);
// Resumes the output after BASS_Stop (the output runs from BASS_Init on).
BOOL BASS_Start(void);
// Plays a stream; flush != 0 restarts it from the beginning, flush 0 leaves
// a playing stream alone and resumes a stopped one where it stopped. On the
// SDL output a start takes effect with the next block the device asks for.
BOOL BASS_StreamPlay(HSTREAM handle, BOOL flush, DWORD flags);
// The position being heard now, in bytes of 16-bit stereo output.
// Never decreases while playing; keeps advancing past the end of the data.
QWORD BASS_ChannelGetPosition(DWORD handle);
double BASS_ChannelBytes2Seconds(DWORD handle, QWORD pos);
// With BASS_DATA_FFT512: writes 256 floats to `buffer`, 2|X[k]|/512 of a
// Hann-windowed FFT of the 512 mono samples being heard now; zeros on failure.
// Returns the number of bytes written (1024), or (DWORD)-1 on failure; any
// other `length` fails with ILLPARAM and leaves the buffer alone.
DWORD BASS_ChannelGetData(DWORD handle, void* buffer, DWORD length);
// Stops one stream; its position holds where it was heard last.
BOOL BASS_ChannelStop(DWORD handle);
// Pauses the output: every stream's clock stands still until BASS_Start.
BOOL BASS_Stop(void);
void BASS_StreamFree(HSTREAM handle);

// Seeking and pausing; the show itself never calls these.
// Moves a stream to byte `pos` (rounded down to a whole frame): the position
// reads `pos` at once and holds there until the device is heard playing the
// stream from `pos` (on the SDL output, from the next block it asks for).
// The position may step back here; that is the one exception to "never
// decreases". While the stream is still decoding in the background, waits
// until the decoded part reaches a quarter second past `pos`, so that what is
// heard from `pos` is the music, not silence. Fails with POSITION past the
// end of the data. A stopped or paused stream stays so, now at `pos`.
BOOL BASS_ChannelSetPosition(DWORD handle, QWORD pos);
// Pauses a playing stream: it is mixed up to the frames already handed to
// the device and no further; its position runs on to that frame and then
// stands still. Fails with NOPLAY when the stream is not playing or already
// paused.
BOOL BASS_ChannelPause(DWORD handle);
// Resumes a paused stream from the frame where it paused, sample for sample
// (also done by BASS_StreamPlay with flush 0). Fails with NOPAUSE when the
// stream is not paused.
BOOL BASS_ChannelResume(DWORD handle);
// Closes the output and frees every stream.
void BASS_Free(void);
int BASS_ErrorGetCode(void);

#ifdef __cplusplus
}
#endif

#endif  // ZIBO_BASS_BASS_H
