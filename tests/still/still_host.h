// What the end-to-end tests of parallux-still need from the system: starting the
// program with its output captured, and a folder of their own to look into.
#pragma once

#include <string>
#include <vector>

struct ProgramRun {
  int exit_code = -1;  // 128 + the signal for a program that was killed
  std::string out;
  std::string err;
  std::string failure;  // set when the program could not be started at all
};

// Runs `program` with `args` and waits for it; its standard output and error go
// through files named `capture_prefix` + ".out" and ".err", its input is empty.
ProgramRun RunProgram(const std::string& program, const std::vector<std::string>& args,
                      const std::string& capture_prefix);

// Makes `path` an empty folder: creates it, or empties it of files and of empty
// folders if it exists.
void MakeEmptyFolder(const std::string& path);
void MakeFolder(const std::string& path);
bool IsFolder(const std::string& path);

// The names in `path`, without "." and "..", sorted.
std::vector<std::string> FolderEntries(const std::string& path);
