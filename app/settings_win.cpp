#include "app/settings_win.h"

#include <cstdio>
#include <cstring>

#include "support/bounded_string.h"
#include "support/log_manager.h"
#include "support/scoped_win.h"
#include "support/sjis.h"

SettingsPaths g_paths;

namespace {

// The program's entries name its source as "Parallux", as the library's name "icg".
constexpr char kSourceFile[] = ".\\Parallux";
constexpr char kSection[] = "SETTINGS";
constexpr char kDefaultBackground[] = "背景.bmp";
constexpr char kDefaultText[] = "テキストを入力してください。";
constexpr char kInvalidParameter[] = "_invalid_parameter";
// Room for any value a hand-edited file may hold; what is kept is cut afterwards.
constexpr DWORD kReadCapacity = 4096;

DWORD PlatformModulePath(char* buffer, DWORD size) {
  return GetModuleFileNameA(nullptr, buffer, size);
}

void LogInvalidParameter(const char* message_format) {
  char text[80];
  std::snprintf(text, sizeof text, "%s", kInvalidParameter);
  if (message_format == nullptr) {
    TheLog().Print(4, "%s", text);
  } else {
    TheLog().Print(4, message_format, text);
  }
}

// A string key, read whole and then cut on a character boundary to fit `capacity`.
void ReadString(const char* key, char* field, std::size_t capacity) {
  char value[kReadCapacity];
  GetPrivateProfileStringA(kSection, key, field, value, sizeof value, g_paths.settings_path);
  board::CutText(value, capacity - 1);
  std::memcpy(field, value, std::strlen(value) + 1);
}

}  // namespace

void SetTextDefaults(BoardState& board) {
  try {
    BoundedCopy(board.background_file, kDefaultBackground);
    board.SetText(kDefaultText);
  } catch (const CInvPrmException&) {
    LogInvalidParameter("初期設定　%s");
  }
}

bool MakeSettingsPath(ModulePathGetter get_module_path) {
  if (get_module_path == nullptr) get_module_path = &PlatformModulePath;
  SettingsPaths& p = g_paths;
  p.module_path[0] = p.program_folder[0] = p.settings_path[0] = '\0';

  const DWORD length = get_module_path(p.module_path, sizeof p.module_path);
  if (length == 0 || length >= sizeof p.module_path) {
    // A path that filled the whole buffer was cut: it names some other file, and the
    // settings must never be read from or written to that.
    const DWORD code = length == 0 ? GetLastError() : ERROR_INSUFFICIENT_BUFFER;
    TheLog().LogSystemError(4, kSourceFile, __LINE__, code);
    p.module_path[0] = '\0';
    return false;
  }
  try {
    char drive[kDriveCapacity];
    char folder[kFolderCapacity];
    char name[kNameCapacity];
    char extension[kExtensionCapacity];
    SplitPath(p.module_path, drive, sizeof drive, folder, sizeof folder, name, sizeof name,
              extension, sizeof extension);
    JoinPath(p.program_folder, sizeof p.program_folder, drive, folder, nullptr, nullptr);
    JoinPath(p.settings_path, sizeof p.settings_path, drive, folder, name, "ini");
  } catch (const CInvPrmException&) {
    p.program_folder[0] = p.settings_path[0] = '\0';
    LogInvalidParameter(nullptr);
    return false;
  }
  return true;
}

void LoadSettings(BoardState& board) {
  const char* path = g_paths.settings_path;
  // The profile functions read a file they cannot open as an empty one: the settings
  // then stay at their defaults, and the log says why.
  const ScopedHandle file(CreateFileA(path, GENERIC_READ, FILE_SHARE_READ | FILE_SHARE_WRITE,
                                      nullptr, OPEN_EXISTING, 0, nullptr));
  if (const DWORD code = file.valid() ? ERROR_SUCCESS : GetLastError();
      code != ERROR_SUCCESS && code != ERROR_FILE_NOT_FOUND && code != ERROR_PATH_NOT_FOUND) {
    TheLog().LogSystemError(4, kSourceFile, __LINE__, code);
  }
  ReadString("BGI", board.background_file, sizeof board.background_file);
  board.reverse = GetPrivateProfileIntA(kSection, "REV", board.reverse ? 1 : 0, path) != 0;
  board.parallax_width =
      static_cast<std::int32_t>(GetPrivateProfileIntA(kSection, "PWD", board.parallax_width, path));
  board.text_depth = GetPrivateProfileIntA(kSection, "TDS", board.text_depth, path);
  board.dot_mode = GetPrivateProfileIntA(kSection, "VDT", board.dot_mode, path);
  char text[kReadCapacity];
  char current[kTextCapacity];
  board.GetText(current);
  GetPrivateProfileStringA(kSection, "TEXT", current, text, sizeof text, path);
  board.SetText(text);
  // A value out of range (hand-edited, or from another program) is held to what the
  // options dialog accepts, so the dialog shows what is in force.
  board.FitSettings();
}

void FormBackgroundPath(BoardState& board) {
  try {
    BoundedFormat(board.background_path, sizeof board.background_path, "%s%s",
                  g_paths.program_folder, board.background_file);
  } catch (const CInvPrmException&) {
    board.background_path[0] = '\0';
    LogInvalidParameter("背景画像パス作成　%s");
  }
}

void StartSettings(BoardState& board, ModulePathGetter get_module_path) {
  SetTextDefaults(board);
  if (!MakeSettingsPath(get_module_path)) return;
  LoadSettings(board);
  FormBackgroundPath(board);
}

namespace {

// Starts `temporary` as a copy of the settings file, or as nothing when there is no
// file yet; false when the file may not or cannot be replaced.
bool StartCopy(const char* temporary) {
  // A read-only file is the user's word that it stays as it is (Windows refuses to
  // replace one; Wine does not).
  const DWORD attributes = GetFileAttributesA(g_paths.settings_path);
  if (attributes != INVALID_FILE_ATTRIBUTES && (attributes & FILE_ATTRIBUTE_READONLY) != 0) {
    TheLog().LogSystemError(4, kSourceFile, __LINE__, ERROR_ACCESS_DENIED);
    return false;
  }
  DeleteFileA(temporary);
  // A file that is there but cannot be read is not replaced: the keys of other programs
  // in it would be lost.
  if (!CopyFileA(g_paths.settings_path, temporary, FALSE)) {
    const DWORD code = GetLastError();
    if (code != ERROR_FILE_NOT_FOUND && code != ERROR_PATH_NOT_FOUND) {
      TheLog().LogSystemError(4, kSourceFile, __LINE__, code);
      return false;
    }
  }
  return true;
}

// The board's keys into `temporary`; true when at least one was written.
bool WriteKeys(const BoardState& board, const char* temporary) {
  char text[kTextCapacity];
  board.GetText(text);
  char value[4096];
  bool written = false;
  const auto write = [&](const char* key) {
    if (WritePrivateProfileStringA(kSection, key, value, temporary)) {
      written = true;
    } else {
      TheLog().LogSystemError(4, kSourceFile, __LINE__, GetLastError());
    }
  };
  try {
    BoundedFormat(value, sizeof value, "'%s'", board.background_file);
    write("BGI");
    BoundedFormat(value, sizeof value, "%u", board.reverse ? 1u : 0u);
    write("REV");
    BoundedFormat(value, sizeof value, "%u", static_cast<unsigned>(board.parallax_width.load()));
    write("PWD");
    BoundedFormat(value, sizeof value, "%u", static_cast<unsigned>(board.text_depth.load()));
    write("TDS");
    BoundedFormat(value, sizeof value, "%u", static_cast<unsigned>(board.dot_mode.load()));
    write("VDT");
    BoundedFormat(value, sizeof value, "'%s'", text);
    write("TEXT");
  } catch (const CInvPrmException&) {
    LogInvalidParameter(nullptr);
  }
  // Out of the profile cache and onto the disk before the copy takes the file's place.
  WritePrivateProfileStringA(nullptr, nullptr, nullptr, temporary);
  return written;
}

}  // namespace

void SaveSettings(const BoardState& board) {
  if (g_paths.settings_path[0] == '\0') return;
  // The profile functions rewrite a file in place on every key, so they write a copy
  // beside the file, which then replaces it whole. Keys and sections of other programs
  // in the file are kept.
  char temporary[MAX_PATH];
  try {
    BoundedFormat(temporary, sizeof temporary, "%s.new", g_paths.settings_path);
  } catch (const CInvPrmException&) {
    LogInvalidParameter(nullptr);
    return;
  }
  if (!StartCopy(temporary)) return;
  if (WriteKeys(board, temporary) &&
      !MoveFileExA(temporary, g_paths.settings_path,
                   MOVEFILE_REPLACE_EXISTING | MOVEFILE_WRITE_THROUGH)) {
    TheLog().LogSystemError(4, kSourceFile, __LINE__, GetLastError());
  }
  DeleteFileA(temporary);
}
