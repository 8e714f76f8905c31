#include "demo/MailStore.h"

#include <windows.h>

#include <algorithm>
#include <cstdio>

namespace demo {

namespace {

const char SampleMarker[] = "ParcelonDemo.sample";

struct SpecialFolder {
  const char *Dir;
  const char *Name;
};
const SpecialFolder SpecialFolders[] = {
    {"!!!!Inbox", "受信箱"}, {"!!!!Outbox", "送信箱"},    {"!!!Draft", "下書き"},
    {"!!!Sent", "送信済み"}, {"!!!XReminder", "リマインダ"}, {"!Trash", "ごみ箱"},
};

// The sample store. Folder identifiers are relative to the data folder.
const char *const SampleFolders[] = {
    "Private.mb\\",
    "Private.mb\\!!!!Inbox\\",
    "Private.mb\\!!!!Inbox\\家族\\",
    "Private.mb\\!!!!Inbox\\友人\\",
    "Private.mb\\!!!!Inbox\\友人\\同窓会\\",
    "Private.mb\\!!!!Inbox\\#Attach\\", // the host's attachments: never a folder
    "Private.mb\\!!!!Outbox\\",
    "Private.mb\\!!!Draft\\",
    "Private.mb\\!!!Sent\\",
    "Private.mb\\!!!XReminder\\",
    "Private.mb\\!Trash\\",
    "Private.mb\\旅行\\",
    "Private.mb\\旅行\\京都\\",
    "Private.mb\\隠しフォルダ\\", // made hidden below
    "Private.mb\\#Tml\\",          // the host's templates: never a folder
    "Work.mb\\",
    "Work.mb\\!!!!Inbox\\",
    "Work.mb\\!!!!Inbox\\プロジェクト\\",
    "Work.mb\\!!!!Inbox\\プロジェクト\\予定表\\",
    "Work.mb\\!!!!Inbox\\プロジェクト\\ソフトウェア\\",
    "Work.mb\\!!!!Inbox\\会議\\",
    "Work.mb\\!!!!Outbox\\",
    "Work.mb\\!!!Draft\\",
    "Work.mb\\!!!Sent\\",
    "Work.mb\\!!!XReminder\\",
    "Work.mb\\!Trash\\",
    "Work.mb\\経理\\",
    "趣味.mb\\",
    "趣味.mb\\!!!!Inbox\\",
    "趣味.mb\\!!!Sent\\",
    "趣味.mb\\!Trash\\",
    "趣味.mb\\写真\\",
    "趣味.mb\\写真\\ゾウの写真\\",
    "趣味.mb\\音楽\\",
};
const char HiddenSampleFolder[] = "Private.mb\\隠しフォルダ\\";

struct SampleMessage {
  const char *Folder;
  const char *Subject;
  const char *From;
};
const SampleMessage SampleMessages[] = {
    {"Private.mb\\!!!!Inbox\\", "週末の予定について", "山田 花子 <hanako@example.jp>"},
    {"Private.mb\\!!!!Inbox\\", "写真を送ります", "佐藤 健 <ken.sato@example.jp>"},
    {"Private.mb\\!!!!Inbox\\", "Re: 忘年会の出欠", "鈴木 一郎 <ichiro@example.jp>"},
    {"Private.mb\\!!!!Inbox\\", "お荷物お届けのお知らせ", "配送センター <info@delivery.example.com>"},
    {"Private.mb\\!!!!Inbox\\", "今月のニュースレター", "Lumivox ニュース <news@example.org>"},
    {"Private.mb\\!!!!Inbox\\", "図書館からのお知らせ", "市立図書館 <library@example.lg.jp>"},
    {"Private.mb\\!!!!Inbox\\", "パスワード変更のご案内", "サポート <support@example.com>"},
    {"Private.mb\\!!!!Inbox\\", "誕生日おめでとう！", "田中 美咲 <misaki@example.jp>"},
    {"Private.mb\\!!!!Inbox\\", "Meeting notes", "John Smith <john@example.com>"},
    {"Private.mb\\!!!!Inbox\\", "来週のランチ", "高橋 優 <yu.takahashi@example.jp>"},
    {"Private.mb\\!!!!Inbox\\家族\\", "お正月の帰省について", "母 <mother@example.jp>"},
    {"Private.mb\\!!!!Inbox\\家族\\", "写真のアルバム", "父 <father@example.jp>"},
    {"Private.mb\\!!!!Inbox\\友人\\", "キャンプに行こう", "伊藤 大輔 <daisuke@example.jp>"},
    {"Private.mb\\!!!!Inbox\\友人\\同窓会\\", "同窓会のご案内", "幹事 中村 <nakamura@example.jp>"},
    {"Private.mb\\!!!Draft\\", "旅行の計画 (下書き)", "わたし <me@example.jp>"},
    {"Private.mb\\!!!Sent\\", "Re: 週末の予定について", "わたし <me@example.jp>"},
    {"Private.mb\\!!!Sent\\", "写真ありがとう", "わたし <me@example.jp>"},
    {"Private.mb\\!!!Sent\\", "ランチの件", "わたし <me@example.jp>"},
    {"Private.mb\\!!!XReminder\\", "歯医者の予約 (12/15)", "わたし <me@example.jp>"},
    {"Private.mb\\!Trash\\", "特別セールのお知らせ", "ショップ <sale@shop.example.com>"},
    {"Private.mb\\!Trash\\", "古いお知らせ", "管理人 <admin@example.jp>"},
    {"Private.mb\\旅行\\", "航空券の予約確認", "航空会社 <booking@air.example.com>"},
    {"Private.mb\\旅行\\", "ホテル予約完了", "ホテル予約 <hotel@example.com>"},
    {"Private.mb\\旅行\\京都\\", "京都の紅葉情報", "観光案内 <kanko@example.jp>"},
    {"Private.mb\\隠しフォルダ\\", "見えないはずのメール", "だれか <someone@example.jp>"},
    {"Work.mb\\!!!!Inbox\\", "月次報告書の提出", "部長 木村 <kimura@corp.example.co.jp>"},
    {"Work.mb\\!!!!Inbox\\", "Re: 見積もりの件", "取引先 林 <hayashi@client.example.co.jp>"},
    {"Work.mb\\!!!!Inbox\\", "サーバー保守のお知らせ", "情報システム部 <it@corp.example.co.jp>"},
    {"Work.mb\\!!!!Inbox\\", "新入社員歓迎会", "総務 清水 <shimizu@corp.example.co.jp>"},
    {"Work.mb\\!!!!Inbox\\", "経費精算の締め切り", "経理 森 <mori@corp.example.co.jp>"},
    {"Work.mb\\!!!!Inbox\\", "セキュリティ研修", "人事 池田 <ikeda@corp.example.co.jp>"},
    {"Work.mb\\!!!!Inbox\\プロジェクト\\", "キックオフ資料", "PM 石井 <ishii@corp.example.co.jp>"},
    {"Work.mb\\!!!!Inbox\\プロジェクト\\予定表\\", "12月の予定表", "PM 石井 <ishii@corp.example.co.jp>"},
    {"Work.mb\\!!!!Inbox\\プロジェクト\\予定表\\", "リリース日程の変更", "PM 石井 <ishii@corp.example.co.jp>"},
    {"Work.mb\\!!!!Inbox\\プロジェクト\\ソフトウェア\\", "ライセンス更新", "販売店 <license@vendor.example.com>"},
    {"Work.mb\\!!!!Inbox\\会議\\", "定例会議の議事録", "書記 小林 <kobayashi@corp.example.co.jp>"},
    {"Work.mb\\!!!Sent\\", "見積書を送付します", "わたし <me@corp.example.co.jp>"},
    {"Work.mb\\!!!Sent\\", "Re: 月次報告書の提出", "わたし <me@corp.example.co.jp>"},
    {"Work.mb\\!Trash\\", "不要になった資料", "わたし <me@corp.example.co.jp>"},
    {"Work.mb\\経理\\", "請求書 No.1234", "取引先 林 <hayashi@client.example.co.jp>"},
    {"趣味.mb\\!!!!Inbox\\", "ギター教室のご案内", "音楽教室 <guitar@example.jp>"},
    {"趣味.mb\\!!!!Inbox\\", "写真コンテストの結果", "写真クラブ <photo@example.jp>"},
    {"趣味.mb\\!!!!Inbox\\", "山登りサークル", "山本 さくら <sakura@example.jp>"},
    {"趣味.mb\\!!!!Inbox\\", "新刊のお知らせ", "書店 <books@example.jp>"},
    {"趣味.mb\\写真\\", "撮影会のお知らせ", "写真クラブ <photo@example.jp>"},
    {"趣味.mb\\写真\\", "レンズの比較", "写真クラブ <photo@example.jp>"},
    {"趣味.mb\\写真\\ゾウの写真\\", "動物園で撮ったゾウ", "わたし <me@example.jp>"},
    {"趣味.mb\\音楽\\", "コンサートのチケット", "チケット販売 <ticket@example.com>"},
    {"趣味.mb\\音楽\\", "楽譜を共有します", "山本 さくら <sakura@example.jp>"},
    {"趣味.mb\\!!!Sent\\", "Re: 山登りサークル", "わたし <me@example.jp>"},
};

std::string Header(const std::string &text, const char *name) {
  const std::string key = std::string(name) + ":";
  size_t at = 0;
  while (at < text.size()) {
    size_t end = text.find('\n', at);
    if (end == std::string::npos)
      end = text.size();
    std::string line = text.substr(at, end - at);
    if (!line.empty() && line.back() == '\r')
      line.pop_back();
    if (line.empty())
      break; // end of the header
    if (line.compare(0, key.size(), key) == 0) {
      size_t v = key.size();
      while (v < line.size() && line[v] == ' ')
        ++v;
      return line.substr(v);
    }
    at = end + 1;
  }
  return std::string();
}

bool Hidden(DWORD attributes) { return attributes & (FILE_ATTRIBUTE_HIDDEN | FILE_ATTRIBUTE_SYSTEM); }

bool ExcludedFolderName(const std::string &name) {
  return name == "." || name == ".." || name == "#Attach" || name == "#Tml";
}

// Compares folder directory names as the host sorts its tree: ASCII letters
// without case, everything else by byte value.
bool DirLess(const FolderInfo &a, const FolderInfo &b) {
  const std::string &x = a.ID, &y = b.ID;
  const size_t n = std::min(x.size(), y.size());
  for (size_t i = 0; i < n; ++i) {
    unsigned char p = x[i], q = y[i];
    if (p >= 'a' && p <= 'z')
      p -= 0x20;
    if (q >= 'a' && q <= 'z')
      q -= 0x20;
    if (p != q)
      return p < q;
  }
  return x.size() < y.size();
}

// Closes a directory search on every way out.
class Search {
public:
  Search(const std::string &pattern, WIN32_FIND_DATAA &data)
      : handle_(FindFirstFileA(pattern.c_str(), &data)) {}
  ~Search() {
    if (handle_ != INVALID_HANDLE_VALUE)
      FindClose(handle_);
  }
  Search(const Search &) = delete;
  Search &operator=(const Search &) = delete;
  bool Ok() const { return handle_ != INVALID_HANDLE_VALUE; }
  bool Next(WIN32_FIND_DATAA &data) { return FindNextFileA(handle_, &data) != FALSE; }

private:
  HANDLE handle_;
};

void AddFolders(const std::string &dataFolder, FolderInfo &parent) {
  WIN32_FIND_DATAA fd;
  Search search(dataFolder + parent.ID + "*", fd);
  if (!search.Ok())
    return;
  do {
    const std::string name = fd.cFileName;
    if (!(fd.dwFileAttributes & FILE_ATTRIBUTE_DIRECTORY) || Hidden(fd.dwFileAttributes) ||
        ExcludedFolderName(name))
      continue;
    FolderInfo child;
    child.ID = parent.ID + name + "\\";
    child.Name = FolderName(name);
    AddFolders(dataFolder, child);
    parent.Children.push_back(std::move(child));
  } while (search.Next(fd));
  std::sort(parent.Children.begin(), parent.Children.end(), DirLess);
}

std::string MessageFile(int number, const SampleMessage &m) {
  char date[64];
  static const char *const days[] = {"Tue", "Wed", "Thu", "Fri", "Sat", "Sun", "Mon"}; // 1 Dec 2026 is a Tuesday
  const int day = 1 + (number * 7) % 28;
  snprintf(date, sizeof date, "%s, %02d Dec 2026 %02d:%02d:00 +0900", days[(day - 1) % 7], day, 8 + number % 11,
           (number * 13) % 60);
  std::string from = m.From;
  const std::string sender = from.substr(0, from.find(" <"));
  std::string text;
  text += "From: " + from + "\r\n";
  text += "To: わたし <me@example.jp>\r\n";
  text += "Subject: " + std::string(m.Subject) + "\r\n";
  text += std::string("Date: ") + date + "\r\n";
  text += "Content-Type: text/plain; charset=Shift_JIS\r\n";
  text += "\r\n";
  text += sender + " さんからのメールです。\r\n\r\n";
  text += "件名: " + std::string(m.Subject) + "\r\n";
  text += "これは Parcelon のデモ用のサンプルメールです。\r\n";
  return text;
}

} // namespace

std::vector<std::string> SplitFolderID(const std::string &folderID) {
  std::vector<std::string> steps;
  std::string step;
  for (size_t i = 0; i < folderID.size(); ++i) {
    const char c = folderID[i];
    if (IsDBCSLeadByte(static_cast<BYTE>(c)) && i + 1 < folderID.size()) {
      step += c;
      step += folderID[++i];
    } else if (c == '\\') {
      steps.push_back(step);
      step.clear();
    } else {
      step += c;
    }
  }
  if (!step.empty())
    steps.push_back(step);
  return steps;
}

std::string FolderName(const std::string &dirName) {
  for (const SpecialFolder &s : SpecialFolders)
    if (dirName == s.Dir)
      return s.Name;
  return dirName;
}

bool IsDirectory(const std::string &path) {
  const DWORD a = GetFileAttributesA(path.c_str());
  return a != INVALID_FILE_ATTRIBUTES && (a & FILE_ATTRIBUTE_DIRECTORY);
}

bool IsFile(const std::string &path) {
  const DWORD a = GetFileAttributesA(path.c_str());
  return a != INVALID_FILE_ATTRIBUTES && !(a & FILE_ATTRIBUTE_DIRECTORY);
}

void RemoveTree(const std::string &dir) {
  std::string base = dir;
  if (!base.empty() && base.back() != '\\')
    base += '\\';
  {
    WIN32_FIND_DATAA fd;
    Search search(base + "*", fd);
    if (search.Ok()) {
      do {
        const std::string name = fd.cFileName;
        if (name == "." || name == "..")
          continue;
        const std::string full = base + name;
        SetFileAttributesA(full.c_str(), FILE_ATTRIBUTE_NORMAL);
        if ((fd.dwFileAttributes & FILE_ATTRIBUTE_DIRECTORY) && !(fd.dwFileAttributes & FILE_ATTRIBUTE_REPARSE_POINT))
          RemoveTree(full);
        else if (fd.dwFileAttributes & FILE_ATTRIBUTE_DIRECTORY)
          RemoveDirectoryA(full.c_str());
        else
          DeleteFileA(full.c_str());
      } while (search.Next(fd));
    }
  }
  RemoveDirectoryA(base.c_str());
}

std::string ReadWholeFile(const std::string &path) {
  HANDLE h = CreateFileA(path.c_str(), GENERIC_READ, FILE_SHARE_READ | FILE_SHARE_WRITE, nullptr, OPEN_EXISTING,
                         FILE_ATTRIBUTE_NORMAL, nullptr);
  if (h == INVALID_HANDLE_VALUE)
    return std::string();
  std::string out;
  char buffer[16384];
  DWORD got = 0;
  while (ReadFile(h, buffer, sizeof buffer, &got, nullptr) && got > 0)
    out.append(buffer, got);
  CloseHandle(h);
  return out;
}

bool WriteWholeFile(const std::string &path, const std::string &content) {
  HANDLE h = CreateFileA(path.c_str(), GENERIC_WRITE, 0, nullptr, CREATE_ALWAYS, FILE_ATTRIBUTE_NORMAL, nullptr);
  if (h == INVALID_HANDLE_VALUE)
    return false;
  DWORD written = 0;
  const bool ok = WriteFile(h, content.data(), static_cast<DWORD>(content.size()), &written, nullptr) &&
                  written == content.size();
  CloseHandle(h);
  return ok;
}

MailStore::MailStore(std::string dataFolder) : dataFolder_(std::move(dataFolder)) {}

bool MailStore::MakeSample(const std::string &dataFolder, bool replace, std::string &error) {
  if (IsDirectory(dataFolder)) {
    if (!IsFile(dataFolder + SampleMarker)) {
      WIN32_FIND_DATAA fd;
      Search search(dataFolder + "*", fd);
      bool empty = true;
      if (search.Ok()) {
        do {
          const std::string name = fd.cFileName;
          if (name != "." && name != "..")
            empty = false;
        } while (empty && search.Next(fd));
      }
      if (!empty) {
        error = dataFolder + " holds files that are not the demo's sample; it is left alone";
        return false;
      }
    } else if (!replace) {
      return true;
    } else {
      RemoveTree(dataFolder);
    }
  }
  // Every directory of the data folder's own path first.
  for (size_t i = 3; i <= dataFolder.size(); ++i)
    if (i == dataFolder.size() || dataFolder[i] == '\\')
      CreateDirectoryA(dataFolder.substr(0, i).c_str(), nullptr);
  for (const char *id : SampleFolders) {
    if (!CreateDirectoryA((dataFolder + id).c_str(), nullptr) && GetLastError() != ERROR_ALREADY_EXISTS) {
      error = "cannot create " + dataFolder + id + " (error " + std::to_string(GetLastError()) +
              "; Japanese names need the ja_JP.UTF-8 locale)";
      return false;
    }
  }
  SetFileAttributesA((dataFolder + HiddenSampleFolder).c_str(), FILE_ATTRIBUTE_HIDDEN);
  WriteWholeFile(dataFolder + "Private.mb\\Mailbox.ini", "[MailBox]\r\nName=プライベート\r\n");
  WriteWholeFile(dataFolder + "Work.mb\\Mailbox.ini", "[MailBox]\r\nName=仕事\r\n");
  WriteWholeFile(dataFolder + "Private.mb\\!!!!Inbox\\#Attach\\photo.jpg", "(an attachment)\r\n");
  WriteWholeFile(dataFolder + "Private.mb\\#Tml\\template.txt", "(a template)\r\n");
  int number = 0;
  for (const SampleMessage &m : SampleMessages) {
    ++number;
    char name[32];
    snprintf(name, sizeof name, "%04d.eml", number);
    if (!WriteWholeFile(dataFolder + m.Folder + name, MessageFile(number, m))) {
      error = "cannot write " + dataFolder + m.Folder + name;
      return false;
    }
  }
  WriteWholeFile(dataFolder + SampleMarker, "The Parcelon demo's sample data folder; the demo may replace it.\r\n");
  return true;
}

std::vector<FolderInfo> MailStore::MailBoxes() const {
  std::vector<FolderInfo> boxes;
  WIN32_FIND_DATAA fd;
  Search search(dataFolder_ + "*.mb", fd);
  if (!search.Ok())
    return boxes;
  do {
    if (!(fd.dwFileAttributes & FILE_ATTRIBUTE_DIRECTORY) || Hidden(fd.dwFileAttributes))
      continue;
    FolderInfo box;
    box.ID = std::string(fd.cFileName) + "\\";
    box.Name = MailBoxName(fd.cFileName);
    AddFolders(dataFolder_, box);
    boxes.push_back(std::move(box));
  } while (search.Next(fd));
  std::sort(boxes.begin(), boxes.end(), DirLess);
  return boxes;
}

std::string MailStore::MailBoxName(const std::string &mailboxDir) const {
  std::string fallback = mailboxDir;
  if (fallback.size() > 3 && lstrcmpiA(fallback.c_str() + fallback.size() - 3, ".mb") == 0)
    fallback.resize(fallback.size() - 3);
  char name[256] = "";
  GetPrivateProfileStringA("MailBox", "Name", fallback.c_str(), name, sizeof name,
                           (dataFolder_ + mailboxDir + "\\Mailbox.ini").c_str());
  return name;
}

std::string MailStore::DisplayName(const std::string &folderID) const {
  const std::vector<std::string> steps = SplitFolderID(folderID);
  if (steps.empty())
    return std::string();
  std::string text = "[" + MailBoxName(steps[0]) + "] ";
  for (size_t i = 1; i < steps.size(); ++i) {
    if (i > 1)
      text += "/";
    text += FolderName(steps[i]);
  }
  return text;
}

bool MailStore::IsFolder(const std::string &folderID) const {
  if (folderID.empty() || folderID.back() != '\\' || folderID.find_first_of(":/") != std::string::npos)
    return false;
  const std::vector<std::string> steps = SplitFolderID(folderID);
  if (steps.empty() || steps[0].size() < 4 || lstrcmpiA(steps[0].c_str() + steps[0].size() - 3, ".mb") != 0)
    return false;
  std::string path = dataFolder_;
  for (size_t i = 0; i < steps.size(); ++i) {
    if (steps[i].empty() || (i > 0 && ExcludedFolderName(steps[i])) || steps[i] == "." || steps[i] == "..")
      return false;
    path += steps[i] + "\\";
    const DWORD a = GetFileAttributesA(path.c_str());
    if (a == INVALID_FILE_ATTRIBUTES || !(a & FILE_ATTRIBUTE_DIRECTORY) || Hidden(a))
      return false;
  }
  return true;
}

std::vector<MessageInfo> MailStore::Messages(const std::string &folderID) const {
  std::vector<MessageInfo> messages;
  WIN32_FIND_DATAA fd;
  Search search(dataFolder_ + folderID + "*.eml", fd);
  if (!search.Ok())
    return messages;
  do {
    if (fd.dwFileAttributes & FILE_ATTRIBUTE_DIRECTORY)
      continue;
    const std::string text = ReadWholeFile(dataFolder_ + folderID + fd.cFileName);
    messages.push_back({fd.cFileName, Header(text, "Subject"), Header(text, "From"), Header(text, "Date")});
  } while (search.Next(fd));
  std::sort(messages.begin(), messages.end(),
            [](const MessageInfo &a, const MessageInfo &b) { return a.File < b.File; });
  return messages;
}

std::string MailStore::MessageText(const std::string &folderID, const std::string &file) const {
  return ReadWholeFile(dataFolder_ + folderID + file);
}

int MailStore::Transfer(const std::string &fromID, const std::vector<std::string> &files, const std::string &toID,
                        bool copy) const {
  if (!IsFolder(fromID) || !IsFolder(toID) || lstrcmpiA(fromID.c_str(), toID.c_str()) == 0)
    return 0;
  int done = 0;
  for (const std::string &file : files) {
    if (file.empty() || file.find_first_of("\\/:") != std::string::npos || file == "." || file == "..")
      continue;
    const std::string source = dataFolder_ + fromID + file;
    if (!IsFile(source))
      continue;
    // A free name in the destination: "0007.eml", then "0007-2.eml", ...
    const size_t dot = file.rfind('.');
    const std::string stem = dot == std::string::npos ? file : file.substr(0, dot);
    const std::string ext = dot == std::string::npos ? "" : file.substr(dot);
    std::string target = dataFolder_ + toID + file;
    for (int n = 2; GetFileAttributesA(target.c_str()) != INVALID_FILE_ATTRIBUTES; ++n)
      target = dataFolder_ + toID + stem + "-" + std::to_string(n) + ext;
    const bool ok = copy ? CopyFileA(source.c_str(), target.c_str(), TRUE) != FALSE
                         : MoveFileA(source.c_str(), target.c_str()) != FALSE;
    if (ok)
      ++done;
  }
  return done;
}

} // namespace demo
