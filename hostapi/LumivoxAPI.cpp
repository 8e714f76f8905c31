#include "hostapi/LumivoxAPI.h"

#include <cstdint>

#define LUMIVOX_SLOT_NAME(name, type) #name,
const char *const TLumivoxAPI::SlotNames[TLumivoxAPI::SlotCount] = {
    LUMIVOX_API_SLOTS(LUMIVOX_SLOT_NAME)};
#undef LUMIVOX_SLOT_NAME

#define LUMIVOX_CLEAR_SLOT(name, type) name = nullptr;
TLumivoxAPI::TLumivoxAPI() {
  LUMIVOX_API_SLOTS(LUMIVOX_CLEAR_SLOT)
  ModuleHandle = nullptr;
}
#undef LUMIVOX_CLEAR_SLOT

// The host's module handle is not ours to release.
TLumivoxAPI::~TLumivoxAPI() {}

bool TLumivoxAPI::InitAPI() {
  if (ModuleHandle)
    return true;
  // The executable that started the process is the host itself: a library
  // in the process that happens to export the same names does not count.
  ModuleHandle = GetModuleHandleA(nullptr);
  if (reinterpret_cast<uintptr_t>(ModuleHandle) < 32) {
    ModuleHandle = nullptr;
    return false;
  }
#define LUMIVOX_BIND_SLOT(name, type)                                          \
  name = reinterpret_cast<type>(GetProcAddress(ModuleHandle, #name));          \
  if (!name) {                                                                 \
    ModuleHandle = nullptr;                                                    \
    return false;                                                              \
  }
  LUMIVOX_API_SLOTS(LUMIVOX_BIND_SLOT)
#undef LUMIVOX_BIND_SLOT
  return true;
}

FARPROC TLumivoxAPI::Slot(int index) const {
  // The slots are consecutive pointer fields starting at the first one.
  const FARPROC *first = reinterpret_cast<const FARPROC *>(&LVA_GetVersion);
  return index >= 0 && index < SlotCount ? first[index] : nullptr;
}
