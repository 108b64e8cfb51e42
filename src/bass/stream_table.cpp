#include "bass/stream_table.h"

namespace zibo::bass {
namespace {
constexpr uint32_t kSlotBits = 8;
constexpr uint32_t kGenerationLimit = 1u << (32 - kSlotBits);
static_assert(StreamTable::kSlots == 1 << kSlotBits, "slot bits must cover the table");
}  // namespace

int StreamTable::FreeSlot() const {
  for (int i = 0; i < kSlots; ++i) {
    if (!slots_[i]) return i;
  }
  return -1;
}

uint32_t StreamTable::Put(int slot, Stream* stream) {
  uint32_t generation = generations_[slot] + 1;
  if (generation >= kGenerationLimit) generation = 1;  // 0 would make handle 0 possible
  generations_[slot] = generation;
  slots_[slot] = stream;
  return (generation << kSlotBits) | uint32_t(slot);
}

int StreamTable::SlotOf(uint32_t handle) const {
  int slot = int(handle & (kSlots - 1));
  uint32_t generation = handle >> kSlotBits;
  if (generation == 0 || generation != generations_[slot] || !slots_[slot]) return -1;
  return slot;
}

Stream* StreamTable::Find(uint32_t handle) const {
  int slot = SlotOf(handle);
  return slot < 0 ? nullptr : slots_[slot];
}

Stream* StreamTable::Take(uint32_t handle) {
  int slot = SlotOf(handle);
  return slot < 0 ? nullptr : TakeSlot(slot);
}

Stream* StreamTable::TakeSlot(int slot) {
  Stream* s = slots_[slot];
  slots_[slot] = nullptr;
  return s;
}

}  // namespace zibo::bass
