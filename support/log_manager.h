// The log manager: time-stamped lines in a numbered, rotating set of files.
//
// File 0 is the current one; the first line after construction, Setup, SetLimits or
// Close renames file n to n + 1 (dropping the last) and starts a new file 0. Every
// writing form reaches the file through the virtual Write, and Write through the virtual
// Open and Purge, so a derived class can redirect all output by overriding Write.
//
// Any thread may log at any time: Write holds the lock from the test for an open file to
// the end of the file write, so lines never mix and a rotation happens once. Setup,
// SetLimits, Open and Close hold it too, so another thread may start a new file 0
// between two lines and lose none. When file 0 cannot be opened the line is dropped, and
// later lines try to open file 0 again without rotating the set again. Every operation
// leaves the calling thread's last error as it found it.
#pragma once

#include <windows.h>

#include <cstdint>

#include "support/printf_format.h"
#include "support/scoped_win.h"

class CILogManager {
 public:
  // Names the files after the executable, beside it; opens nothing.
  CILogManager() noexcept;
  CILogManager(const CILogManager&) = delete;
  CILogManager& operator=(const CILogManager&) = delete;

  // The order of these declarations is the order of the virtual slots; keep it.
  virtual ~CILogManager();
  virtual void Purge(std::int32_t keep);
  virtual void SetupByName(const char* folder, const char* base, std::int32_t count,
                           const char* level_name);
  virtual void Setup(const char* folder, const char* base, std::int32_t count, std::int32_t level);
  virtual void SetLimitsByName(std::int32_t count, const char* level_name);
  virtual void SetLimits(std::int32_t count, std::int32_t level);
  // 0, or the system error code when file 0 cannot be opened.
  virtual DWORD Open();
  virtual void Close();
  virtual void Log(std::int32_t level, const char* file, std::int32_t line, const char* text);
  virtual void Write(const char* format, ...) PX_PRINTF_FORMAT(2, 3);
  virtual void Print(std::int32_t level, const char* format, ...) PX_PRINTF_FORMAT(3, 4);
  virtual void LogFormat(std::int32_t level, const char* file, std::int32_t line,
                         const char* format, ...) PX_PRINTF_FORMAT(5, 6);
  virtual void LogSystemError(std::int32_t level, const char* file, std::int32_t line,
                              std::uint32_t code);
  virtual void DumpAt(std::int32_t level, const char* text, const void* bytes, std::int32_t count);
  virtual void Dump(const char* text, const void* bytes, std::int32_t count);
  virtual void DumpAt2(std::int32_t level, const char* text, const void* bytes, std::int32_t count);
  virtual void Dump2(const char* text, const void* bytes, std::int32_t count);

 protected:
  ScopedHandle file_handle;  // INVALID_HANDLE_VALUE while no file is open
  CriticalSection log_lock;  // recursive: Write holds it across Open and Purge
  char log_folder[256];      // ends in the separator, or empty
  char log_base[256];
  char log_path[260];            // the current file 0
  std::int32_t file_count;       // numbered files kept, the current one included
  std::int32_t level_threshold;  // a level below it writes nothing

 private:
  // The set was rotated for a file 0 that could not be opened: the next try only opens.
  bool set_rotated_ = false;
  // Whether a tagged form writes at `level`: from the threshold up, and only 1 to 5.
  bool TaggedLevelPasses(std::int32_t level) const;
  // What Dump and Dump2 both do; neither calls the other, so an override of one leaves
  // the other alone.
  void WriteDump(const char* text, const void* bytes, std::int32_t count);
};

// The program's one log manager. It is constructed before main (and on first use, for
// anything that logs during static construction) and closes its file after main.
CILogManager& TheLog() noexcept;
