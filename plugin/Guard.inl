// Implementation of Guarded(); included by Parcelon.h.
#include "settings/SettingsFile.h"

#include <exception>
#include <new>

template <class F> bool Guarded(F &&body) noexcept {
  try {
    body();
    return true;
  } catch (const settings::SettingsWriteError &e) {
    ShowPlugInError(e.what()); // "<path> に書き込めません"
  } catch (const std::bad_alloc &) {
    ShowPlugInError("メモリが不足しています");
  } catch (...) {
    // Anything else is our fault, not the user's: a fixed text rather
    // than an internal message.
    ShowPlugInError("予期しないエラーが発生しました");
  }
  return false;
}
