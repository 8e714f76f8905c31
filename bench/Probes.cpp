#include "bench/Probes.h"

#include <commctrl.h>
#include <psapi.h>

#include <cstring>
#include <vector>

namespace bench {

namespace {

double CounterPeriod() {
  LARGE_INTEGER f;
  QueryPerformanceFrequency(&f);
  return 1.0 / static_cast<double>(f.QuadPart);
}

// --- Directory search -------------------------------------------------------

typedef HANDLE(WINAPI *FindFirstExFn)(LPCSTR, FINDEX_INFO_LEVELS, LPVOID, FINDEX_SEARCH_OPS, LPVOID, DWORD);
typedef BOOL(WINAPI *FindNextFn)(HANDLE, LPWIN32_FIND_DATAA);
typedef BOOL(WINAPI *FindCloseFn)(HANDLE);

FindFirstExFn realFirst = nullptr;
FindNextFn realNext = nullptr;
FindCloseFn realClose = nullptr;

HANDLE WINAPI TimedFirst(LPCSTR name, FINDEX_INFO_LEVELS level, LPVOID data, FINDEX_SEARCH_OPS op, LPVOID filter,
                         DWORD flags) {
  const double t = Now();
  HANDLE h = realFirst(name, level, data, op, filter, flags);
  Search().First.Add(Now() - t);
  return h;
}

BOOL WINAPI TimedNext(HANDLE h, LPWIN32_FIND_DATAA data) {
  const double t = Now();
  BOOL r = realNext(h, data);
  Search().Next.Add(Now() - t);
  return r;
}

BOOL WINAPI TimedClose(HANDLE h) {
  const double t = Now();
  BOOL r = realClose(h);
  Search().Close.Add(Now() - t);
  return r;
}

// The import address entry of `function` (imported by name from any DLL)
// in this program's image, or null.
void **ImportEntry(const char *function) {
  BYTE *base = reinterpret_cast<BYTE *>(GetModuleHandleA(nullptr));
  auto *dos = reinterpret_cast<IMAGE_DOS_HEADER *>(base);
  auto *nt = reinterpret_cast<IMAGE_NT_HEADERS *>(base + dos->e_lfanew);
  const IMAGE_DATA_DIRECTORY &dir = nt->OptionalHeader.DataDirectory[IMAGE_DIRECTORY_ENTRY_IMPORT];
  if (!dir.VirtualAddress)
    return nullptr;
  for (auto *d = reinterpret_cast<IMAGE_IMPORT_DESCRIPTOR *>(base + dir.VirtualAddress); d->Name; ++d) {
    auto *names = reinterpret_cast<IMAGE_THUNK_DATA *>(base + (d->OriginalFirstThunk ? d->OriginalFirstThunk
                                                                                      : d->FirstThunk));
    auto *entries = reinterpret_cast<IMAGE_THUNK_DATA *>(base + d->FirstThunk);
    for (; names->u1.AddressOfData; ++names, ++entries) {
      if (IMAGE_SNAP_BY_ORDINAL(names->u1.Ordinal))
        continue;
      auto *byName = reinterpret_cast<IMAGE_IMPORT_BY_NAME *>(base + names->u1.AddressOfData);
      if (std::strcmp(reinterpret_cast<const char *>(byName->Name), function) == 0)
        return reinterpret_cast<void **>(&entries->u1.Function);
    }
  }
  return nullptr;
}

bool Redirect(const char *function, void *replacement, void **original) {
  void **entry = ImportEntry(function);
  if (!entry)
    return false;
  DWORD old;
  VirtualProtect(entry, sizeof *entry, PAGE_READWRITE, &old);
  if (original)
    *original = *entry;
  *entry = replacement;
  VirtualProtect(entry, sizeof *entry, old, &old);
  return true;
}

// --- Tree view ----------------------------------------------------------------

LRESULT CALLBACK TreeProc(HWND hwnd, UINT msg, WPARAM wParam, LPARAM lParam) {
  TreeProbe &p = TreeMessages();
  const bool outer = p.Depth == 0;
  ++p.Depth;
  const double t = Now();
  LRESULT r = CallWindowProcA(p.Original, hwnd, msg, wParam, lParam);
  const double s = Now() - t;
  --p.Depth;
  if (outer) {
    switch (msg) {
    case TVM_INSERTITEMA:
      p.Insert.Add(s);
      break;
    case TVM_SORTCHILDRENCB:
      p.SortChildren.Add(s);
      break;
    case TVM_DELETEITEM:
      p.DeleteItem.Add(s);
      break;
    case WM_SETREDRAW:
      p.SetRedraw.Add(s);
      break;
    default:
      p.Other.Add(s);
    }
  }
  return r;
}

} // namespace

double Now() {
  static const double period = CounterPeriod();
  LARGE_INTEGER c;
  QueryPerformanceCounter(&c);
  return static_cast<double>(c.QuadPart) * period;
}

double ClockCost() {
  static double cost = -1;
  if (cost < 0) {
    const int n = 200000;
    const double t = Now();
    for (int i = 0; i < n; ++i)
      Now();
    cost = (Now() - t) / n;
  }
  return cost;
}

SearchProbe &Search() {
  static SearchProbe probe;
  return probe;
}

bool SearchProbe::Install() {
  *this = SearchProbe();
  return Redirect("FindFirstFileExA", reinterpret_cast<void *>(&TimedFirst), reinterpret_cast<void **>(&realFirst)) &&
         Redirect("FindNextFileA", reinterpret_cast<void *>(&TimedNext), reinterpret_cast<void **>(&realNext)) &&
         Redirect("FindClose", reinterpret_cast<void *>(&TimedClose), reinterpret_cast<void **>(&realClose));
}

void SearchProbe::Remove() {
  if (realFirst)
    Redirect("FindFirstFileExA", reinterpret_cast<void *>(realFirst), nullptr);
  if (realNext)
    Redirect("FindNextFileA", reinterpret_cast<void *>(realNext), nullptr);
  if (realClose)
    Redirect("FindClose", reinterpret_cast<void *>(realClose), nullptr);
}

TreeProbe &TreeMessages() {
  static TreeProbe probe;
  return probe;
}

void TreeProbe::Install(HWND tree) {
  *this = TreeProbe();
  Tree = tree;
  Original = reinterpret_cast<WNDPROC>(
      SetWindowLongPtrA(tree, GWLP_WNDPROC, reinterpret_cast<LONG_PTR>(&TreeProc)));
}

void TreeProbe::Remove() {
  if (Tree && Original)
    SetWindowLongPtrA(Tree, GWLP_WNDPROC, reinterpret_cast<LONG_PTR>(Original));
  Tree = nullptr;
}

Memory MeasureMemory() {
  Memory m;
  std::vector<HANDLE> heaps(64);
  DWORD n = GetProcessHeaps(static_cast<DWORD>(heaps.size()), heaps.data());
  if (n > heaps.size()) {
    heaps.resize(n);
    n = GetProcessHeaps(n, heaps.data());
  }
  for (DWORD i = 0; i < n && i < heaps.size(); ++i) {
    if (!HeapLock(heaps[i]))
      continue;
    PROCESS_HEAP_ENTRY e = {};
    while (HeapWalk(heaps[i], &e))
      if (e.wFlags & PROCESS_HEAP_ENTRY_BUSY)
        m.HeapBusy += e.cbData;
    HeapUnlock(heaps[i]);
  }
  PROCESS_MEMORY_COUNTERS_EX pmc = {};
  pmc.cb = sizeof pmc;
  if (GetProcessMemoryInfo(GetCurrentProcess(), reinterpret_cast<PROCESS_MEMORY_COUNTERS *>(&pmc), sizeof pmc))
    m.WorkingSet = static_cast<double>(pmc.WorkingSetSize);
  return m;
}

} // namespace bench
