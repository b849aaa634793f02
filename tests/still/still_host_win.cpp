#include <windows.h>

#include <algorithm>
#include <fstream>
#include <sstream>

#include "support/scoped_win.h"
#include "tests/still/still_host.h"

namespace {

std::string ReadWhole(const std::string& path) {
  std::ifstream in(path, std::ios::binary);
  std::ostringstream s;
  s << in.rdbuf();
  return s.str();
}

// One argument as the C run-time's command-line parser reads it back: quoted when
// it holds blanks or quotes or is empty; backslashes doubled only before a quote.
std::string Quote(const std::string& arg) {
  if (!arg.empty() && arg.find_first_of(" \t\n\v\"") == std::string::npos) return arg;
  std::string q = "\"";
  size_t backslashes = 0;
  for (const char c : arg) {
    if (c == '\\') {
      ++backslashes;
      continue;
    }
    q.append(c == '"' ? backslashes * 2 + 1 : backslashes, '\\');
    backslashes = 0;
    q.push_back(c);
  }
  q.append(backslashes * 2, '\\');
  q.push_back('"');
  return q;
}

HANDLE InheritableFile(const std::string& path, DWORD access, DWORD disposition) {
  SECURITY_ATTRIBUTES sa{sizeof(sa), nullptr, TRUE};
  return CreateFileA(path.c_str(), access, FILE_SHARE_READ | FILE_SHARE_WRITE, &sa, disposition,
                     FILE_ATTRIBUTE_NORMAL, nullptr);
}

}  // namespace

ProgramRun RunProgram(const std::string& program, const std::vector<std::string>& args,
                      const std::string& capture_prefix) {
  ProgramRun run;
  std::string exe = program;
  std::replace(exe.begin(), exe.end(), '/', '\\');
  std::string line = Quote(exe);
  for (const std::string& a : args) line.append(1, ' ').append(Quote(a));

  const std::string out_path = capture_prefix + ".out";
  const std::string err_path = capture_prefix + ".err";
  {
    const ScopedHandle in(InheritableFile("NUL", GENERIC_READ, OPEN_EXISTING));
    const ScopedHandle out(InheritableFile(out_path, GENERIC_WRITE, CREATE_ALWAYS));
    const ScopedHandle err(InheritableFile(err_path, GENERIC_WRITE, CREATE_ALWAYS));
    if (!in.valid() || !out.valid() || !err.valid()) {
      run.failure = "cannot open the capture files " + capture_prefix + ".*";
      return run;
    }
    STARTUPINFOA si{};
    si.cb = sizeof(si);
    si.dwFlags = STARTF_USESTDHANDLES;
    si.hStdInput = in.get();
    si.hStdOutput = out.get();
    si.hStdError = err.get();
    PROCESS_INFORMATION pi{};
    if (!CreateProcessA(exe.c_str(), line.data(), nullptr, nullptr, TRUE, 0, nullptr, nullptr, &si,
                        &pi)) {
      run.failure =
          "cannot start " + exe + " (Windows error " + std::to_string(GetLastError()) + ")";
      return run;
    }
    const ScopedHandle process(pi.hProcess);
    const ScopedHandle thread(pi.hThread);
    WaitForSingleObject(pi.hProcess, INFINITE);
    DWORD code = 0;
    GetExitCodeProcess(pi.hProcess, &code);
    run.exit_code = static_cast<int>(code);
  }  // the capture files are closed before they are read
  run.out = ReadWhole(out_path);
  run.err = ReadWhole(err_path);
  return run;
}

std::vector<std::string> FolderEntries(const std::string& path) {
  std::vector<std::string> names;
  WIN32_FIND_DATAA data;
  const ScopedFind find((path + "\\*").c_str(), &data);
  if (find.valid()) {
    do {
      const std::string name = data.cFileName;
      if (name != "." && name != "..") names.push_back(name);
    } while (find.Next(&data));
  }
  std::sort(names.begin(), names.end());
  return names;
}

bool IsFolder(const std::string& path) {
  const DWORD attributes = GetFileAttributesA(path.c_str());
  return attributes != INVALID_FILE_ATTRIBUTES && (attributes & FILE_ATTRIBUTE_DIRECTORY) != 0;
}

void MakeFolder(const std::string& path) { CreateDirectoryA(path.c_str(), nullptr); }

void MakeEmptyFolder(const std::string& path) {
  MakeFolder(path);
  for (const std::string& name : FolderEntries(path)) {
    const std::string full = path + "\\" + name;
    if (IsFolder(full)) {
      RemoveDirectoryA(full.c_str());
    } else {
      DeleteFileA(full.c_str());
    }
  }
}
