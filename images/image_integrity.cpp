#include "images/image_integrity.h"

#include <array>
#include <climits>
#include <cstring>
#include <vector>

#include "images/image_file.h"
#include "images/pnm_reader.h"

namespace {

constexpr uint8_t kPngSignature[8] = {0x89, 'P', 'N', 'G', '\r', '\n', 0x1A, '\n'};

uint32_t BigEndian32(const uint8_t* p) {
  return uint32_t{p[0]} << 24 | uint32_t{p[1]} << 16 | uint32_t{p[2]} << 8 | p[3];
}
uint32_t LittleEndian32(const uint8_t* p) {
  return uint32_t{p[3]} << 24 | uint32_t{p[2]} << 16 | uint32_t{p[1]} << 8 | p[0];
}
uint32_t LittleEndian16(const uint8_t* p) { return uint32_t{p[1]} << 8 | p[0]; }

// Eight bytes a step through eight tables: a 4K picture's chunks are checked in a few
// milliseconds rather than the eight or so a byte-wise table takes, and the cross build
// has no zlib to lend its own.
uint32_t CrcUpdate(uint32_t crc, const uint8_t* bytes, size_t size) {
  using Tables = std::array<std::array<uint32_t, 256>, 8>;
  static const Tables tables = [] {
    Tables t{};
    for (uint32_t n = 0; n < 256; ++n) {
      uint32_t c = n;
      for (int k = 0; k < 8; ++k) c = (c & 1) != 0 ? 0xEDB88320u ^ (c >> 1) : c >> 1;
      t[0][n] = c;
    }
    for (size_t k = 1; k < 8; ++k) {
      for (size_t n = 0; n < 256; ++n) t[k][n] = t[0][t[k - 1][n] & 0xFF] ^ (t[k - 1][n] >> 8);
    }
    return t;
  }();
  for (; size >= 8; size -= 8, bytes += 8) {
    const uint32_t low = crc ^ LittleEndian32(bytes);
    const uint32_t high = LittleEndian32(bytes + 4);
    crc = tables[7][low & 0xFF] ^ tables[6][(low >> 8) & 0xFF] ^ tables[5][(low >> 16) & 0xFF] ^
          tables[4][low >> 24] ^ tables[3][high & 0xFF] ^ tables[2][(high >> 8) & 0xFF] ^
          tables[1][(high >> 16) & 0xFF] ^ tables[0][high >> 24];
  }
  for (; size > 0; --size, ++bytes) crc = tables[0][(crc ^ *bytes) & 0xFF] ^ (crc >> 8);
  return crc;
}

// A chunk type as the message shows it; damaged bytes must not reach the terminal.
std::string ChunkName(const uint8_t* type) {
  std::string name;
  for (int i = 0; i < 4; ++i) {
    const bool letter = (type[i] >= 'A' && type[i] <= 'Z') || (type[i] >= 'a' && type[i] <= 'z');
    name += letter ? static_cast<char>(type[i]) : '?';
  }
  return name;
}

std::string FindPngDamage(std::FILE* file) {
  constexpr const char* cut = "is cut short";
  uint8_t buffer[1 << 16];
  if (std::fread(buffer, 1, sizeof kPngSignature, file) != sizeof kPngSignature) return cut;
  for (;;) {
    uint8_t head[8];
    if (std::fread(head, 1, sizeof head, file) != sizeof head) return cut;
    const uint32_t length = BigEndian32(head);
    if (length > 0x7FFFFFFFu) return "has a " + ChunkName(head + 4) + " chunk of impossible length";
    uint32_t crc = CrcUpdate(0xFFFFFFFFu, head + 4, 4);
    for (uint32_t left = length; left > 0;) {
      const size_t want = left < sizeof buffer ? left : sizeof buffer;
      if (std::fread(buffer, 1, want, file) != want) return cut;
      crc = CrcUpdate(crc, buffer, want);
      left -= static_cast<uint32_t>(want);
    }
    uint8_t stored[4];
    if (std::fread(stored, 1, sizeof stored, file) != sizeof stored) return cut;
    if ((crc ^ 0xFFFFFFFFu) != BigEndian32(stored)) {
      return "has a damaged " + ChunkName(head + 4) + " chunk (its checksum is wrong)";
    }
    if (std::memcmp(head + 4, "IEND", 4) == 0) return "";
  }
}

// The header fields are where stb_image reads them; a header it would refuse is left to
// it. The pixel rows start at the header's offset, each padded to 4 bytes.
std::string FindBmpDamage(std::FILE* file) {
  uint8_t head[30];
  if (std::fread(head, 1, sizeof head, file) != sizeof head) return "is cut short";
  const uint64_t offset = LittleEndian32(head + 10);
  const bool core = LittleEndian32(head + 14) == 12;  // the 12-byte header of 16-bit sizes
  const uint64_t width = core ? LittleEndian16(head + 18) : LittleEndian32(head + 18);
  const uint32_t height_bits = core ? LittleEndian16(head + 20) : LittleEndian32(head + 22);
  const uint32_t bits = LittleEndian16(head + (core ? 24 : 28));
  if (width == 0 || bits == 0 || bits > 32) return "";
  // Negative heights store the rows top-down; the count is the same.
  const uint64_t rows =
      core || (height_bits & 0x80000000u) == 0 ? height_bits : uint64_t{0x100000000u} - height_bits;
  const uint64_t row_bytes = (width * bits + 31) / 32 * 4;
  const uint64_t needed = offset + rows * row_bytes;
  if (needed == 0) return "";
  if (needed > LONG_MAX || std::fseek(file, static_cast<long>(needed - 1), SEEK_SET) != 0 ||
      std::fgetc(file) == EOF) {
    return "is cut short: its header promises " + std::to_string(needed) + " bytes";
  }
  return "";
}

// JPEG markers of a frame header, which holds the picture's size.
bool IsFrameMarker(int marker) {
  return marker >= 0xC0 && marker <= 0xCF && marker != 0xC4 && marker != 0xC8 && marker != 0xCC;
}

constexpr int kNoMarker = -2;

// The marker at the file position: 0xFF (and any fill bytes of 0xFF), then its code.
int NextMarker(std::FILE* file) {
  const int first = std::fgetc(file);
  if (first == EOF) return EOF;
  if (first != 0xFF) return kNoMarker;
  int marker = std::fgetc(file);
  while (marker == 0xFF) marker = std::fgetc(file);
  return marker;
}

// The marker that ends a scan's coded data: the first 0xFF followed by neither a stuffed
// zero nor a restart marker.
int SkipCodedData(std::FILE* file) {
  for (int c = std::fgetc(file); c != EOF;) {
    if (c != 0xFF) {
      c = std::fgetc(file);
      continue;
    }
    int marker = std::fgetc(file);
    while (marker == 0xFF) marker = std::fgetc(file);
    if (marker == EOF || (marker != 0 && (marker < 0xD0 || marker > 0xD7))) return marker;
    c = std::fgetc(file);
  }
  return EOF;
}

// Whether a table's symbols are ones an 8-bit JPEG can code: a DC difference of at
// most 11 bits, an AC coefficient of at most 10. stb reads the bits a symbol asks for
// without checking that the scan still holds them, and a larger count than the format
// allows took its bit counter below zero in the fuzzer.
bool SymbolsFit(const uint8_t* symbols, size_t count, bool dc) {
  for (size_t i = 0; i < count; ++i) {
    if (dc ? symbols[i] > 11 : (symbols[i] & 15) > 10) return false;
  }
  return true;
}

// stb_image builds each Huffman table in arrays of 256 codes and 17 lengths without
// checking the counts a table declares: more than 256 would write past them.
std::string CheckHuffmanTables(const std::vector<uint8_t>& segment) {
  for (size_t at = 0; at < segment.size();) {
    if (segment.size() - at < 17) return "has a malformed Huffman table";
    size_t codes = 0;
    for (size_t i = 1; i <= 16; ++i) codes += segment[at + i];
    if (codes > 256) {
      return "has a Huffman table of " + std::to_string(codes) + " codes (at most 256 can be)";
    }
    if (segment.size() - at - 17 < codes) return "has a malformed Huffman table";
    if (!SymbolsFit(&segment[at + 17], codes, segment[at] >> 4 == 0)) {
      return "has a Huffman table with symbols no 8-bit JPEG holds";
    }
    at += 17 + codes;
  }
  return "";
}

std::string CheckJpegSegment(int marker, const std::vector<uint8_t>& segment) {
  if (marker == 0xC4) return CheckHuffmanTables(segment);
  if (!IsFrameMarker(marker)) return "";
  if (segment.size() < 6) return "has a malformed frame header";
  const uint32_t height = uint32_t{segment[1]} << 8 | segment[2];
  const uint32_t width = uint32_t{segment[3]} << 8 | segment[4];
  if (width < 1 || height < 1 || width > kMaxImageSide || height > kMaxImageSide) {
    return "has a frame of " + std::to_string(width) + " x " + std::to_string(height) +
           " pixels; 1 to " + std::to_string(kMaxImageSide) + " a side are accepted";
  }
  return "";
}

// Segment by segment up to the end marker, skipping each scan's coded data: stb_image
// reads past the end of a file as zeros, and trusts some of the counts it reads.
std::string FindJpegDamage(std::FILE* file) {
  constexpr const char* cut = "is cut short (it has no end marker)";
  uint8_t start[2];
  if (std::fread(start, 1, sizeof start, file) != sizeof start || start[0] != 0xFF ||
      start[1] != 0xD8) {
    return cut;
  }
  std::vector<uint8_t> segment;
  for (int marker = NextMarker(file);;) {
    if (marker == EOF) return cut;
    if (marker == 0xD9) return "";
    if (marker == kNoMarker || marker == 0 || marker == 0xD8) return "has a malformed segment";
    if ((marker >= 0xD0 && marker <= 0xD7) || marker == 0x01) {  // markers without a segment
      marker = NextMarker(file);
      continue;
    }
    uint8_t length[2];
    if (std::fread(length, 1, sizeof length, file) != sizeof length) return cut;
    const size_t size = size_t{length[0]} << 8 | length[1];
    if (size < 2) return "has a segment of impossible length";
    segment.resize(size - 2);
    if (std::fread(segment.data(), 1, segment.size(), file) != segment.size()) return cut;
    if (std::string problem = CheckJpegSegment(marker, segment); !problem.empty()) return problem;
    marker = marker == 0xDA ? SkipCodedData(file) : NextMarker(file);
  }
}

}  // namespace

uint32_t PngCrc(const uint8_t* bytes, size_t size) {
  return CrcUpdate(0xFFFFFFFFu, bytes, size) ^ 0xFFFFFFFFu;
}

std::string FindImageDamage(std::FILE* file) {
  uint8_t magic[sizeof kPngSignature] = {};
  const size_t got = std::fread(magic, 1, sizeof magic, file);
  std::string damage;
  if (std::fseek(file, 0, SEEK_SET) != 0) return "cannot be read again from its start";
  if (got == sizeof magic && std::memcmp(magic, kPngSignature, sizeof magic) == 0) {
    damage = FindPngDamage(file);
  } else if (got >= 2 && magic[0] == 'B' && magic[1] == 'M') {
    damage = FindBmpDamage(file);
  } else if (got >= 2 && magic[0] == 0xFF && magic[1] == 0xD8) {
    damage = FindJpegDamage(file);
  } else if (got >= 2 && magic[0] == 'P' && magic[1] == '5') {
    damage = FindPgmDamage(file);
  }
  if (std::fseek(file, 0, SEEK_SET) != 0) return "cannot be read again from its start";
  return damage;
}
