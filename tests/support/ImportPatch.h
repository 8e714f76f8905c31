// Replaces one function that this executable imports, for the life of the
// object: the plug-in's code linked into a test program calls the system
// through these imports, so a test can watch or refuse such calls.
#pragma once

#include <windows.h>

#include <cstring>

namespace testing_support {

class ImportPatch {
public:
  ImportPatch(const char *dll, const char *function, void *replacement) {
    BYTE *base = reinterpret_cast<BYTE *>(GetModuleHandleA(nullptr));
    auto *dos = reinterpret_cast<IMAGE_DOS_HEADER *>(base);
    auto *nt = reinterpret_cast<IMAGE_NT_HEADERS *>(base + dos->e_lfanew);
    const IMAGE_DATA_DIRECTORY &dir = nt->OptionalHeader.DataDirectory[IMAGE_DIRECTORY_ENTRY_IMPORT];
    for (auto *imp = reinterpret_cast<IMAGE_IMPORT_DESCRIPTOR *>(base + dir.VirtualAddress); imp->Name; ++imp) {
      if (lstrcmpiA(reinterpret_cast<const char *>(base + imp->Name), dll) != 0 || !imp->OriginalFirstThunk)
        continue;
      auto *names = reinterpret_cast<IMAGE_THUNK_DATA *>(base + imp->OriginalFirstThunk);
      auto *slots = reinterpret_cast<IMAGE_THUNK_DATA *>(base + imp->FirstThunk);
      for (; names->u1.AddressOfData; ++names, ++slots) {
        if (IMAGE_SNAP_BY_ORDINAL(names->u1.Ordinal))
          continue;
        auto *byName = reinterpret_cast<IMAGE_IMPORT_BY_NAME *>(base + names->u1.AddressOfData);
        if (strcmp(reinterpret_cast<const char *>(byName->Name), function) == 0) {
          slot_ = reinterpret_cast<void **>(&slots->u1.Function);
          break;
        }
      }
    }
    if (slot_) {
      original_ = *slot_;
      Write(replacement);
    }
  }
  ~ImportPatch() {
    if (slot_)
      Write(original_);
  }
  ImportPatch(const ImportPatch &) = delete;
  ImportPatch &operator=(const ImportPatch &) = delete;

  bool Installed() const { return slot_ != nullptr; }
  void *Original() const { return original_; }

private:
  void Write(void *value) {
    DWORD old = 0;
    VirtualProtect(slot_, sizeof *slot_, PAGE_READWRITE, &old);
    *slot_ = value;
    VirtualProtect(slot_, sizeof *slot_, old, &old);
  }
  void **slot_ = nullptr;
  void *original_ = nullptr;
};

} // namespace testing_support
