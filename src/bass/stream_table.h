// stream_table.h - the live streams and their handles.
//
// A fixed table of slots, so the mixer walks it without allocating. A handle
// packs the slot number with a per-slot generation count, so a freed handle
// stays invalid when its slot is reused; 0 is never a handle.
//
// Threads: only the show's thread adds or removes streams, and it does so
// under the output device's lock; the mixer reads the slots under that lock.
#ifndef ZIBO_BASS_STREAM_TABLE_H
#define ZIBO_BASS_STREAM_TABLE_H

#include <cstdint>

#include "bass/stream.h"

namespace zibo::bass {

class StreamTable {
 public:
  static constexpr int kSlots = 256;

  // Finds a free slot; returns its index or -1 when all are taken.
  int FreeSlot() const;
  // Puts `stream` (owned from now on) into free slot `slot`; returns its handle.
  uint32_t Put(int slot, Stream* stream);
  // The stream for `handle`, or nullptr when the handle is not live.
  Stream* Find(uint32_t handle) const;
  // Removes and returns the stream for `handle` (the caller deletes it).
  Stream* Take(uint32_t handle);
  // Removes and returns the stream in `slot`, whatever its handle.
  Stream* TakeSlot(int slot);

  Stream* slot(int i) const { return slots_[i]; }

 private:
  int SlotOf(uint32_t handle) const;

  Stream* slots_[kSlots] = {};
  uint32_t generations_[kSlots] = {};
};

}  // namespace zibo::bass

#endif
