// Placeholder: the audio library is being written.
#include "bass/bass.h"
extern "C" {
BOOL BASS_Init(int, DWORD, DWORD, void*) { return 0; }
HSTREAM BASS_StreamCreateFile(BOOL, const void*, DWORD, DWORD, DWORD) { return 0; }
BOOL BASS_Start(void) { return 0; }
BOOL BASS_StreamPlay(HSTREAM, BOOL, DWORD) { return 0; }
QWORD BASS_ChannelGetPosition(DWORD) { return 0; }
double BASS_ChannelBytes2Seconds(DWORD, QWORD) { return 0; }
DWORD BASS_ChannelGetData(DWORD, void*, DWORD) { return DWORD(-1); }
BOOL BASS_ChannelStop(DWORD) { return 0; }
BOOL BASS_Stop(void) { return 0; }
void BASS_StreamFree(HSTREAM) {}
void BASS_Free(void) {}
int BASS_ErrorGetCode(void) { return BASS_ERROR_UNKNOWN; }
}
