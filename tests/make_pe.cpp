// Writes a small Windows executable (a PE file with one resource section)
// from bytes, for whole-program cases that read version resources, so that
// no case depends on a binary of unknown origin. The case runner passes its
// path to run.sh as $BRINDLE_MAKE_PE.
//
// usage: make_pe <output> [--pe32plus] [--version A.B.C.D]
//                [--string NAME=VALUE]... [--table LLLLCCCC]
//                [--translation LLLL:CCCC] [--damage KIND]
//
// The image is PE32 (PE32+ with --pe32plus) and holds one version resource:
// file version A.B.C.D (default 1.0.0.0), product version 9.8.7.6, the
// strings in the string table named --table (default 040904b0) and one
// translation (default 0409:04b0). --damage spoils it in one way:
//   no-pe-signature     "MZ" but no "PE" signature: not a PE file
//   no-resources        a PE file without a resource section
//   no-version          resources, but none of the version type
//   no-translation      a version resource without a translation table
//   empty-translation   a version resource whose translation table is empty
//   bad-signature       the fixed record lacks its signature
//   truncated-header    the file ends inside the optional header
//   truncated-resource  the file ends inside the version resource
//   outside             the resource's address lies outside every section
//   loop                the resource directory points back at its root
//   bad-length          the block claims to be longer than the resource
#include <algorithm>
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <fstream>
#include <iterator>
#include <string>
#include <string_view>

#include "platform/test_pe_image.h"

namespace {

using test_pe::Encode;
using test_pe::Image;
using test_pe::Le16;
using test_pe::Node;
using test_pe::Put16;
using test_pe::Put32;
using test_pe::Strings;
using test_pe::VersionRoot;

constexpr uint32_t kRtVersion = 16;
constexpr uint32_t kRtManifest = 24;

constexpr std::string_view kDamages[] = {
    "no-pe-signature",   "no-resources",  "no-version",       "no-translation",
    "empty-translation", "bad-signature", "truncated-header", "truncated-resource",
    "outside",           "loop",          "bad-length",
};

struct Options {
  std::string output;
  bool pe32_plus = false;
  uint32_t version[4] = {1, 0, 0, 0};
  Strings strings;
  std::string table = "040904b0";
  uint32_t language = 0x0409;
  uint32_t code_page = 0x04B0;
  std::string damage;
};

[[noreturn]] void Usage(const char* problem) {
  std::fprintf(stderr,
               "make_pe: %s\n"
               "usage: make_pe <output> [--pe32plus] [--version A.B.C.D] [--string NAME=VALUE]...\n"
               "               [--table LLLLCCCC] [--translation LLLL:CCCC] [--damage KIND]\n",
               problem);
  std::exit(2);
}

// Reads count numbers of at most max separated by separator, the whole text.
bool ParseNumbers(std::string_view text, char separator, int base, uint32_t max, uint32_t* numbers,
                  size_t count) {
  for (size_t i = 0; i < count; ++i) {
    const size_t end = i + 1 < count ? text.find(separator) : text.size();
    if (end == 0 || end == std::string_view::npos) return false;
    const std::string part(text.substr(0, end));
    char* stop = nullptr;
    const unsigned long value = std::strtoul(part.c_str(), &stop, base);
    if (*stop != '\0' || part[0] == '-' || value > max) return false;
    numbers[i] = static_cast<uint32_t>(value);
    text.remove_prefix(i + 1 < count ? end + 1 : end);
  }
  return true;
}

Options ParseOptions(int argc, char** argv) {
  if (argc < 2) Usage("no output file");
  Options options;
  options.output = argv[1];
  for (int i = 2; i < argc; ++i) {
    const std::string_view option = argv[i];
    if (option == "--pe32plus") {
      options.pe32_plus = true;
      continue;
    }
    if (i + 1 == argc) Usage("an option lacks its value");
    const std::string_view value = argv[++i];
    if (option == "--version") {
      if (!ParseNumbers(value, '.', 10, 0xFFFF, options.version, 4)) Usage("bad --version");
    } else if (option == "--string") {
      const size_t equals = value.find('=');
      if (equals == std::string_view::npos) Usage("--string needs NAME=VALUE");
      options.strings.emplace_back(value.substr(0, equals), value.substr(equals + 1));
    } else if (option == "--table") {
      options.table = value;
    } else if (option == "--translation") {
      uint32_t pair[2];
      if (!ParseNumbers(value, ':', 16, 0xFFFF, pair, 2)) Usage("bad --translation");
      options.language = pair[0];
      options.code_page = pair[1];
    } else if (option == "--damage") {
      if (std::find(std::begin(kDamages), std::end(kDamages), value) == std::end(kDamages)) {
        Usage("unknown --damage kind");
      }
      options.damage = value;
    } else {
      Usage("unknown option");
    }
  }
  return options;
}

std::string MakeImage(const Options& o) {
  const std::string_view damage = o.damage;
  const std::string translations =
      damage == "empty-translation" ? "" : Le16(o.language) + Le16(o.code_page);
  Node root = VersionRoot(o.version[0] << 16 | o.version[1], o.version[2] << 16 | o.version[3],
                          o.strings, o.table, translations);
  if (damage == "no-translation") root.children.pop_back();  // VarFileInfo
  std::string block = Encode(root);
  // The fixed record follows the 6-byte header and the key
  // "VS_VERSION_INFO" with its terminator, aligned to 4 bytes.
  constexpr size_t kFixedRecord = 40;
  if (damage == "bad-signature") Put32(&block, kFixedRecord, 0x12345678);
  if (damage == "bad-length") Put16(&block, 0, 0xFFF0);

  const uint32_t type = damage == "no-version" ? kRtManifest : kRtVersion;
  std::string image = Image(o.pe32_plus, block, type, damage != "no-resources");
  // Offsets into the resource section, where Image puts its directory.
  const size_t resources = test_pe::kResourceSection;
  if (damage == "no-pe-signature") image.replace(test_pe::kPeHeader, 2, "XX");
  if (damage == "truncated-header") image.resize(test_pe::kOptionalHeader + 16);
  if (damage == "truncated-resource") image.resize(resources + test_pe::kBlock + block.size() / 2);
  // Far beyond the one section, which starts at test_pe::kResourceRva.
  if (damage == "outside") Put32(&image, resources + test_pe::kDataEntry, 0x7FFF0000);
  // The name level leads back to the type level at offset 0.
  if (damage == "loop") Put32(&image, resources + test_pe::kNameTarget, test_pe::kSubdirectory);
  return image;
}

}  // namespace

int main(int argc, char** argv) {
  const Options options = ParseOptions(argc, argv);
  const std::string image = MakeImage(options);
  std::ofstream out(options.output, std::ios::binary | std::ios::trunc);
  out.write(image.data(), static_cast<std::streamsize>(image.size()));
  out.close();
  if (!out) {
    std::perror(options.output.c_str());
    return 1;
  }
  return 0;
}
