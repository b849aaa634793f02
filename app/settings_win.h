// The settings file: section "SETTINGS" of an initialisation file named after the
// executable and beside it, read at start and written at exit.
#pragma once

#include <windows.h>

#include "app/board_state_win.h"

// The paths the settings code forms at start, beside the Board state.
struct SettingsPaths {
  char module_path[MAX_PATH];     // the executable's full path
  char program_folder[MAX_PATH];  // its drive and folder, ending in the separator
  char settings_path[MAX_PATH];   // the settings file
};
extern SettingsPaths g_paths;

// GetModuleFileNameA for this process; replaceable so that a path too long for its
// buffer can be tried without a folder that deep.
using ModulePathGetter = DWORD (*)(char* buffer, DWORD size);

// The start of the program, settings part: text defaults, paths, the file, and the
// background image's path, in that order. The file is read only when the paths could
// be formed.
void StartSettings(BoardState& board, ModulePathGetter get_module_path = nullptr);

void SetTextDefaults(BoardState& board);
bool MakeSettingsPath(ModulePathGetter get_module_path = nullptr);
void LoadSettings(BoardState& board);
void FormBackgroundPath(BoardState& board);
// Writes all six keys. The file is replaced in one step by a complete new one, so that
// a program that dies while saving leaves the old file, never half of a new one.
// Nothing is written when the paths could not be formed.
void SaveSettings(const BoardState& board);
