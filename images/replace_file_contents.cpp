#include "images/replace_file.h"

bool ReplaceFileContents(const std::string& path, const uint8_t* data, size_t size,
                         std::string* error) {
  ReplacementFile file(path);
  return file.Open(error) && file.Write(data, size, error) && file.Commit(error);
}
