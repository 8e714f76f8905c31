// Fuzz target for the order of the folder tree.
//
// folders::CompareFolderPaths must agree with a reference that folds "a".."z"
// to "A".."Z" in copies of both strings and compares those as unsigned bytes
// (exact value too: first differing folded byte, else the length
// difference), and it must be a total preorder: reflexive, with antisymmetric
// sign, and transitive over every ordering of three strings. The three
// strings come from the input, often derived from one another (case changed,
// cut short, extended) so that long common prefixes are common.
#include "plugin/FolderRules.h"

#include <fuzzer/FuzzedDataProvider.h>

#include <algorithm>
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <string>

namespace {

[[noreturn]] void Fail(const char *what, const std::string &a, const std::string &b) {
  std::fprintf(stderr, "CompareFolderPaths: %s\n", what);
  for (const std::string *s : {&a, &b}) {
    std::fprintf(stderr, "  [");
    for (unsigned char c : *s)
      std::fprintf(stderr, c >= 0x20 && c < 0x7F && c != '\\' ? "%c" : "\\x%02X", c);
    std::fprintf(stderr, "]\n");
  }
  std::abort();
}

int Sign(int v) { return (v > 0) - (v < 0); }

std::string Folded(const std::string &s) {
  std::string out(s);
  for (char &c : out)
    if (c >= 'a' && c <= 'z')
      c = static_cast<char>(c - 'a' + 'A');
  return out;
}

int ReferenceCompare(const std::string &a, const std::string &b) {
  const std::string fa = Folded(a), fb = Folded(b);
  const size_t n = std::min(fa.size(), fb.size());
  const auto diff = std::mismatch(fa.begin(), fa.begin() + n, fb.begin());
  if (diff.first != fa.begin() + n)
    return static_cast<unsigned char>(*diff.first) - static_cast<unsigned char>(*diff.second);
  return static_cast<int>(fa.size()) - static_cast<int>(fb.size());
}

int Compare(const std::string &a, const std::string &b) { return folders::CompareFolderPaths(a, b); }

std::string Derived(FuzzedDataProvider &in, const std::string &from) {
  std::string s = from;
  switch (in.ConsumeIntegralInRange<int>(0, 4)) {
  case 0: // letter case changed at some positions
    for (char &c : s)
      if (in.ConsumeBool()) {
        if (c >= 'a' && c <= 'z')
          c = static_cast<char>(c - 32);
        else if (c >= 'A' && c <= 'Z')
          c = static_cast<char>(c + 32);
      }
    break;
  case 1: // cut short
    s.resize(in.ConsumeIntegralInRange<size_t>(0, s.size()));
    break;
  case 2: // extended
    s += in.ConsumeRandomLengthString(16);
    break;
  case 3: // one byte changed
    if (!s.empty())
      s[in.ConsumeIntegralInRange<size_t>(0, s.size() - 1)] = static_cast<char>(in.ConsumeIntegral<uint8_t>());
    break;
  default: // unrelated
    s = in.ConsumeRandomLengthString(64);
  }
  return s;
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t *data, size_t size) {
  FuzzedDataProvider in(data, size);
  std::string s[3];
  s[0] = in.ConsumeRandomLengthString(256);
  s[1] = Derived(in, s[0]);
  s[2] = Derived(in, in.ConsumeBool() ? s[0] : s[1]);

  int c[3][3];
  for (int i = 0; i < 3; ++i)
    for (int j = 0; j < 3; ++j) {
      c[i][j] = Compare(s[i], s[j]);
      if (c[i][j] != ReferenceCompare(s[i], s[j]))
        Fail("differs from the folded byte comparison", s[i], s[j]);
      if ((c[i][j] == 0) != (Folded(s[i]) == Folded(s[j])))
        Fail("equal exactly when the folded strings are", s[i], s[j]);
    }
  for (int i = 0; i < 3; ++i) {
    if (c[i][i] != 0)
      Fail("a string does not equal itself", s[i], s[i]);
    for (int j = 0; j < 3; ++j)
      if (Sign(c[i][j]) != -Sign(c[j][i]))
        Fail("sign is not antisymmetric", s[i], s[j]);
  }
  for (int x = 0; x < 3; ++x)
    for (int y = 0; y < 3; ++y)
      for (int z = 0; z < 3; ++z) {
        if (c[x][y] <= 0 && c[y][z] <= 0 && c[x][z] > 0)
          Fail("not transitive (x<=y<=z but x>z)", s[x], s[z]);
        if (c[x][y] < 0 && c[y][z] <= 0 && c[x][z] >= 0)
          Fail("not transitive (x<y<=z but x>=z)", s[x], s[z]);
        if (c[x][y] == 0 && c[y][z] == 0 && c[x][z] != 0)
          Fail("equality not transitive", s[x], s[z]);
      }
  return 0;
}
