// Timing probes for the folder tree benchmark: a clock, and instruments that
// split the fill of the tree into its parts without touching the code under
// measurement. The directory search is timed by redirecting this program's
// import entries for it, the tree view's messages by subclassing the
// control, the host's display-name answer inside the fake host, the sort's
// comparisons by a wrapping comparison.
#pragma once

#include <windows.h>

#include <cstdint>
#include <string>

namespace bench {

// Seconds since an arbitrary start, from the performance counter.
double Now();
// What one Now() costs, for subtracting the probes' own time.
double ClockCost();

struct Tally {
  uint64_t Calls = 0;
  double Seconds = 0;
  void Add(double s) {
    ++Calls;
    Seconds += s;
  }
};

// Time spent in the directory search (FindFirstFileExA, FindNextFileA,
// FindClose), while the import entries are redirected.
struct SearchProbe {
  Tally First, Next, Close;
  // Redirects this program's import entries (the statically linked builder
  // uses them too); false if an entry was not found.
  bool Install();
  void Remove();
};
SearchProbe &Search();

// Time spent inside the tree view's window procedure, by message.
struct TreeProbe {
  Tally Insert, SortChildren, DeleteItem, SetRedraw, Other;
  void Install(HWND tree);
  void Remove();
  HWND Tree = nullptr;
  WNDPROC Original = nullptr;
  int Depth = 0;
};
TreeProbe &TreeMessages();

// Process memory: bytes in use in all heaps (by walking them) and the
// working set the system reports (under Wine: the resident set).
struct Memory {
  double HeapBusy = 0;
  double WorkingSet = 0;
};
Memory MeasureMemory();

} // namespace bench
