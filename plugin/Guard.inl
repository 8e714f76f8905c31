// Implementation of Guarded(); included by Parcelon.h.
#include <exception>
#include <new>

template <class F> bool Guarded(F &&body) noexcept {
  try {
    body();
    return true;
  } catch (const std::bad_alloc &) {
    ShowPlugInError("メモリが不足しています");
  } catch (const std::exception &e) {
    ShowPlugInError(e.what());
  } catch (...) {
    ShowPlugInError("予期しないエラーが発生しました");
  }
  return false;
}
