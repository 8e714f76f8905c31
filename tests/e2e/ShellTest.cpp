// The plug-in shell through the real library: loading, the information
// block, the stack discipline of every export, the export table, the
// version resource and the imports.
#include "tests/e2e/PluginHarness.h"

#include <gtest/gtest.h>

#include <cstdint>
#include <cstring>
#include <map>
#include <set>
#include <string>
#include <vector>

using testing_support::FileExists;
using testing_support::FindChild;
using testing_support::ModalScript;
using testing_support::ThreadWindows;

namespace {

// Shift-JIS captions of the setup dialog and its buttons.
const char kSetupCaption[] = "\x90\xDD\x92\xE8";                         // 設定
const char kCancelCaption[] = "\x83\x4C\x83\x83\x83\x93\x83\x5A\x83\x8B"; // キャンセル

// What a call through CallExport saw.
struct CallReport {
  int32_t bytesRemoved; // by the callee from the stack, return address aside
  uint32_t esi, edi;    // callee-saved registers after the call
};

} // namespace

// Calls `fn` the way the host does: pushes `count` 32-bit arguments right
// to left (the stack 16-byte aligned at the call), calls, and reports how
// far the stack pointer moved across the call and whether ESI and EDI were
// kept. Whatever the callee does to ESP, the frame is restored from EBP.
extern "C" int ParcelonCallExport(const void *fn, const int32_t *args, int count, CallReport *report);
asm(R"(
    .text
    .p2align 4
    .globl _ParcelonCallExport
_ParcelonCallExport:
    pushl %ebp
    movl %esp, %ebp
    pushl %ebx
    pushl %esi
    pushl %edi
    movl 16(%ebp), %ecx
    movl %ecx, %eax
    shll $2, %eax
    subl %eax, %esp
    andl $-16, %esp
    addl %eax, %esp
    movl 12(%ebp), %esi
1:  testl %ecx, %ecx
    jz 2f
    pushl -4(%esi,%ecx,4)
    decl %ecx
    jmp 1b
2:  movl %esp, %ebx
    movl $0x5E5E5E5E, %esi
    movl $0xD1D1D1D1, %edi
    call *8(%ebp)
    movl 20(%ebp), %ecx
    movl %esp, %edx
    subl %ebx, %edx
    movl %edx, (%ecx)
    movl %esi, 4(%ecx)
    movl %edi, 8(%ecx)
    leal -12(%ebp), %esp
    popl %edi
    popl %esi
    popl %ebx
    popl %ebp
    ret
)");

namespace {

int __stdcall StdcallTwo(int a, int b) { return a - b; }
int __cdecl CdeclTwo(int a, int b) { return a - b; }

// The fifteen exports in ordinal order, with their argument counts and
// the result of a plain call.
struct ExportRow {
  int ordinal;
  const char *name;
  int argc;
  int result;
};
const ExportRow kExports[15] = {
    {1, "LVC_OnStart", 0, 0},          {2, "LVC_OnExit", 0, 0},
    {3, "LVC_OnMenuInit", 3, 0},       {4, "LVC_OnOpenFolder", 1, 0},
    {5, "LVC_OnOpenMail", 1, 0},       {6, "LVC_OnEveryMinute", 0, 0},
    {7, "LVC_OnOpenCompose", 2, 0},    {8, "LVC_OnOutgoing", 2, 0},
    {9, "LVC_OnKeyDispatch", 3, 0},    {10, "LVC_OnRetrieve", 2, 0},
    {11, "LVC_OnSend", 1, 0},          {12, "LVC_OnFinishRetrieve", 1, 0},
    {13, "LVC_OnPlugInSetup", 1, 1},   {14, "LVC_OnPlugInInfo", 1, 0},
    {15, "LVC_OnDragDrop", 4, 0},
};

const IMAGE_NT_HEADERS *NtHeaders(HMODULE module) {
  const BYTE *base = reinterpret_cast<const BYTE *>(module);
  return reinterpret_cast<const IMAGE_NT_HEADERS *>(base + reinterpret_cast<const IMAGE_DOS_HEADER *>(base)->e_lfanew);
}

int32_t Arg(const void *p) { return static_cast<int32_t>(reinterpret_cast<uintptr_t>(p)); }

TEST(Shell, LoadingCallsNothingShowsNothingAndWritesNothing) {
  PluginCopy plugin;
  EXPECT_TRUE(fakehost::Host().Calls.empty());
  EXPECT_TRUE(ThreadWindows(false).empty());
  EXPECT_FALSE(FileExists(plugin.IniPath()));
  plugin.Unload();
  EXPECT_TRUE(fakehost::Host().Calls.empty());
  EXPECT_FALSE(FileExists(plugin.IniPath()));
}

TEST(Shell, InfoBlockGetsExactlyTheFourTextsAndTerminators) {
  PluginCopy plugin;
  unsigned char block[320];
  memset(block, 0xA5, sizeof block);
  EXPECT_EQ(0, plugin.PlugInInfo(block));
  const std::vector<std::string> texts = {
      "Lumivox! Parcelon plug-in", "Halverin", "1.2",
      // "メールの移動／コピー." in Shift-JIS: full-width solidus 81 5E, ASCII stop.
      "\x83\x81\x81\x5B\x83\x8B\x82\xCC\x88\xDA\x93\xAE\x81\x5E\x83\x52\x83\x73\x81\x5B."};
  for (size_t f = 0; f < 4; ++f) {
    const unsigned char *field = block + 80 * f;
    const std::string &text = texts[f];
    EXPECT_EQ(0, memcmp(field, text.data(), text.size())) << "field " << f;
    EXPECT_EQ(0, field[text.size()]) << "terminator of field " << f;
    for (size_t i = text.size() + 1; i < 80; ++i)
      ASSERT_EQ(0xA5, field[i]) << "field " << f << " byte " << i << " was overwritten";
  }
  EXPECT_EQ(21u, texts[3].size());
  EXPECT_TRUE(fakehost::Host().Calls.empty());
}

TEST(Shell, TheStackProbeTellsCallingConventionsApart) {
  const int32_t args[2] = {10, 3};
  CallReport r = {};
  EXPECT_EQ(7, ParcelonCallExport(reinterpret_cast<const void *>(&StdcallTwo), args, 2, &r));
  EXPECT_EQ(8, r.bytesRemoved);
  EXPECT_EQ(7, ParcelonCallExport(reinterpret_cast<const void *>(&CdeclTwo), args, 2, &r));
  EXPECT_EQ(0, r.bytesRemoved);
}

TEST(Shell, EveryExportRemovesExactlyItsArgumentsAndReturnsItsResult) {
  PluginCopy plugin;
  unsigned char info[320];
  HMENU menu = CreatePopupMenu();
  for (const ExportRow &e : kExports) {
    SCOPED_TRACE(e.name);
    const void *fn = reinterpret_cast<const void *>(plugin.Export(e.name));
    ASSERT_TRUE(fn);
    // Arguments the do-nothing exports ignore: arbitrary values, none of
    // them a valid pointer.
    int32_t args[4] = {0x11111111, 0x22222222, 0x33333333, 0x44444444};
    ModalScript script;
    if (e.ordinal == 3) { // a menu type other than 1 and 3 adds nothing
      args[0] = 0;
      args[1] = Arg(menu);
      args[2] = 2;
    } else if (e.ordinal == 14) {
      args[0] = Arg(info);
    } else if (e.ordinal == 13) { // the setup dialog: closed with Cancel
      script.OnWindow(kSetupCaption, [](HWND dialog) {
        HWND cancel = FindChild(dialog, "Button", kCancelCaption);
        PostMessageA(cancel ? cancel : dialog, cancel ? BM_CLICK : WM_CLOSE, 0, 0);
      });
      script.Start();
    }
    CallReport r = {};
    EXPECT_EQ(e.result, ParcelonCallExport(fn, args, e.argc, &r));
    EXPECT_EQ(4 * e.argc, r.bytesRemoved);
    EXPECT_EQ(0x5E5E5E5Eu, r.esi);
    EXPECT_EQ(0xD1D1D1D1u, r.edi);
    if (e.ordinal == 13) {
      EXPECT_TRUE(script.Done() && !script.TimedOut()) << "the setup dialog did not appear";
    }
    // None of these writes settings or calls the host; the setup dialog is
    // gone once it has returned.
    EXPECT_TRUE(fakehost::Host().Calls.empty());
    EXPECT_FALSE(FileExists(plugin.IniPath()));
    testing_support::PumpMessages();
    EXPECT_TRUE(ThreadWindows().empty());
  }
  EXPECT_EQ(0, GetMenuItemCount(menu));

  // The menu fill that does add the item keeps the same discipline.
  const int32_t fill[3] = {0, Arg(menu), 1};
  CallReport r = {};
  EXPECT_EQ(0, ParcelonCallExport(reinterpret_cast<const void *>(plugin.Export("LVC_OnMenuInit")), fill, 3, &r));
  EXPECT_EQ(12, r.bytesRemoved);
  EXPECT_EQ(1, GetMenuItemCount(menu));
  EXPECT_EQ(1u, fakehost::Host().CallsOf("LVA_RegisterCommand").size());
  DestroyMenu(menu);
}

TEST(Shell, ExportsAreTheFifteenUndecoratedNamesAtOrdinals1To15) {
  PluginCopy plugin;
  const BYTE *base = reinterpret_cast<const BYTE *>(plugin.Module());
  const IMAGE_DATA_DIRECTORY &dir = NtHeaders(plugin.Module())->OptionalHeader.DataDirectory[IMAGE_DIRECTORY_ENTRY_EXPORT];
  ASSERT_NE(0u, dir.VirtualAddress);
  const auto *exports = reinterpret_cast<const IMAGE_EXPORT_DIRECTORY *>(base + dir.VirtualAddress);
  EXPECT_EQ(1u, exports->Base);
  EXPECT_EQ(15u, exports->NumberOfFunctions);
  ASSERT_EQ(15u, exports->NumberOfNames);
  const DWORD *names = reinterpret_cast<const DWORD *>(base + exports->AddressOfNames);
  const WORD *ordinals = reinterpret_cast<const WORD *>(base + exports->AddressOfNameOrdinals);
  std::map<std::string, int> byName;
  for (DWORD i = 0; i < exports->NumberOfNames; ++i)
    byName[reinterpret_cast<const char *>(base + names[i])] = exports->Base + ordinals[i];
  std::map<std::string, int> expected;
  for (const ExportRow &e : kExports)
    expected[e.name] = e.ordinal;
  EXPECT_EQ(expected, byName);
  for (const ExportRow &e : kExports) {
    FARPROC named = plugin.Export(e.name);
    EXPECT_TRUE(named) << e.name;
    EXPECT_EQ(named, GetProcAddress(plugin.Module(), MAKEINTRESOURCEA(e.ordinal))) << e.name;
  }
  EXPECT_EQ(nullptr, GetProcAddress(plugin.Module(), MAKEINTRESOURCEA(16)));
}

TEST(Shell, VersionResourceHoldsTheFixedAndStringVersions) {
  PluginCopy plugin;
  const std::string path = plugin.DllPath();
  DWORD handle = 0;
  const DWORD size = GetFileVersionInfoSizeA(path.c_str(), &handle);
  ASSERT_NE(0u, size);
  std::vector<char> data(size);
  ASSERT_TRUE(GetFileVersionInfoA(path.c_str(), 0, size, data.data()));

  void *p = nullptr;
  UINT len = 0;
  ASSERT_TRUE(VerQueryValueA(data.data(), "\\", &p, &len));
  ASSERT_GE(len, sizeof(VS_FIXEDFILEINFO));
  const auto *fixed = static_cast<const VS_FIXEDFILEINFO *>(p);
  EXPECT_EQ(0xFEEF04BDu, fixed->dwSignature);
  EXPECT_EQ(0x00010003u, fixed->dwFileVersionMS); // 1.3
  EXPECT_EQ(0x00000000u, fixed->dwFileVersionLS); // .0.0
  EXPECT_EQ(0x00010003u, fixed->dwProductVersionMS);
  EXPECT_EQ(0x00000000u, fixed->dwProductVersionLS);
  EXPECT_EQ(static_cast<DWORD>(VFT_DLL), fixed->dwFileType);

  ASSERT_TRUE(VerQueryValueA(data.data(), "\\VarFileInfo\\Translation", &p, &len));
  ASSERT_EQ(4u, len);
  const WORD *translation = static_cast<const WORD *>(p);
  EXPECT_EQ(0x0411, translation[0]);
  EXPECT_EQ(932, translation[1]);

  struct Text {
    const char *name, *value;
  };
  const Text texts[] = {
      {"FileVersion", "1.3.0.0"}, {"ProductVersion", "1.0.0.0"}, {"CompanyName", ""},
      {"FileDescription", ""},    {"InternalName", ""},          {"LegalCopyright", ""},
      {"LegalTrademarks", ""},    {"OriginalFilename", ""},      {"ProductName", ""},
      {"Comments", ""},
  };
  for (const Text &t : texts) {
    const std::string query = std::string("\\StringFileInfo\\041103a4\\") + t.name;
    p = nullptr;
    len = 0;
    EXPECT_TRUE(VerQueryValueA(data.data(), query.c_str(), &p, &len)) << t.name;
    EXPECT_EQ(t.value, std::string(p ? static_cast<const char *>(p) : "")) << t.name;
  }
}

TEST(Shell, ImportsOnlySystemLibraries) {
  PluginCopy plugin;
  const BYTE *base = reinterpret_cast<const BYTE *>(plugin.Module());
  const IMAGE_DATA_DIRECTORY &dir = NtHeaders(plugin.Module())->OptionalHeader.DataDirectory[IMAGE_DIRECTORY_ENTRY_IMPORT];
  const std::set<std::string> allowed = {"KERNEL32.DLL", "MSVCRT.DLL", "USER32.DLL", "GDI32.DLL", "COMCTL32.DLL"};
  int count = 0;
  for (auto *imp = reinterpret_cast<const IMAGE_IMPORT_DESCRIPTOR *>(base + dir.VirtualAddress); imp->Name; ++imp) {
    std::string name = reinterpret_cast<const char *>(base + imp->Name);
    for (char &c : name)
      c = static_cast<char>(toupper(static_cast<unsigned char>(c)));
    EXPECT_TRUE(allowed.count(name)) << name << " is not a system library";
    ++count;
  }
  EXPECT_GT(count, 0);
  // Nor is anything loaded late.
  EXPECT_EQ(0u, NtHeaders(plugin.Module())->OptionalHeader.DataDirectory[IMAGE_DIRECTORY_ENTRY_DELAY_IMPORT].Size);
  const WORD flags = NtHeaders(plugin.Module())->OptionalHeader.DllCharacteristics;
  EXPECT_EQ(IMAGE_DLLCHARACTERISTICS_DYNAMIC_BASE | IMAGE_DLLCHARACTERISTICS_NX_COMPAT,
            flags & (IMAGE_DLLCHARACTERISTICS_DYNAMIC_BASE | IMAGE_DLLCHARACTERISTICS_NX_COMPAT));
}

TEST(Shell, EachCopyWritesTheSettingsFileNamedAfterItself) {
  struct Case {
    const char *dll, *ini;
  };
  const Case cases[] = {{"X.dll", "X.ini"}, {"Parcelon.plugin", "Parcelon.ini"}};
  for (const Case &c : cases) {
    SCOPED_TRACE(c.dll);
    PluginCopy plugin(c.dll);
    ModalScript script;
    script.OnWindow(kSetupCaption, [](HWND dialog) {
      HWND ok = FindChild(dialog, "Button", "OK");
      PostMessageA(ok ? ok : dialog, ok ? BM_CLICK : WM_CLOSE, 0, 0);
    });
    script.Start();
    EXPECT_EQ(1, plugin.PlugInSetup());
    EXPECT_TRUE(script.Done() && !script.TimedOut());
    EXPECT_TRUE(FileExists(plugin.Dir() + c.ini)) << c.ini;
    if (std::string(c.ini) != "Parcelon.ini") {
      EXPECT_FALSE(FileExists(plugin.Dir() + "Parcelon.ini"));
    }
  }
}

} // namespace
