// Writes the benchmark's inputs, the same bytes on every machine and every
// run: catalogue documents, description files and the file to hash.
//
//   generate document <bytes> <path>
//       A catalogue of records (attributes, text, entity references, two
//       spaces of indentation per level) of about <bytes> bytes: records are
//       added while they fit, and there is always one. Prints the number of
//       records; record ids are r1 .. rN.
//   generate edits <statements> <records> <description> <edit-list>
//       <statements> set/add statements on records spread over r1 .. rN, in
//       groups of four after one "select node": as a description file, and
//       as a tab-separated edit list for the peers (select, set-attribute,
//       add-attribute, set-child, add-child-node; one per line).
//   generate counter <statements> <description>
//       <statements> var/increment statements on integer variables.
//   generate blob <bytes> <path>
//       Pseudo-random bytes, so that no file system can compress them.
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <memory>
#include <string>
#include <string_view>
#include <vector>

#include "platform/xorshift_random.h"

namespace {

struct FileClose {
  void operator()(std::FILE* file) const { std::fclose(file); }
};
using UniqueFile = std::unique_ptr<std::FILE, FileClose>;

// A fixed seed, so every run writes the same bytes.
class Random : public XorshiftRandom {
 public:
  Random() : XorshiftRandom(0x9E3779B97F4A7C15ull) {}
};

constexpr std::string_view kWords[] = {
    "amber",  "basalt",  "cedar",   "delta",  "ember",  "fjord",  "granite", "harbour",
    "indigo", "juniper", "kestrel", "lumen",  "meadow", "nectar", "onyx",    "pewter",
    "quartz", "russet",  "saffron", "tundra", "umber",  "velvet", "willow",  "zephyr",
};
constexpr std::string_view kKinds[] = {"book", "map", "print", "score"};

std::string Words(Random& random, size_t count) {
  std::string text;
  for (size_t i = 0; i < count; ++i) {
    if (i != 0) text += ' ';
    text += kWords[random.Below(std::size(kWords))];
  }
  return text;
}

constexpr std::string_view kHeader =
    "<?xml version=\"1.0\" encoding=\"UTF-8\"?>\n"
    "<!DOCTYPE catalog [<!ENTITY v \"Acme &amp; Co\">]>\n"
    "<catalog>\n";
constexpr std::string_view kFooter = "</catalog>\n";

// Record 1 is the smallest, so that the 200-byte document holds one; the
// others carry more text, escapes and nesting, as real catalogues do.
std::string Record(Random& random, size_t index) {
  const std::string id = std::to_string(index);
  if (index == 1) {
    return "  <record id=\"r1\" price=\"1.50\">\n"
           "    <title>T1</title>\n"
           "    <vendor>&v;</vendor>\n"
           "  </record>\n";
  }
  std::string record = "  <record id=\"r" + id + "\" kind=\"" +
                       std::string(kKinds[random.Below(std::size(kKinds))]) + "\" price=\"" +
                       std::to_string(1 + random.Below(99)) + "." +
                       std::to_string(10 + random.Below(90)) + "\">\n";
  record += "    <title>" + Words(random, 2 + random.Below(4)) + "</title>\n";
  record += "    <vendor>&v;</vendor>\n";
  record += "    <summary lang=\"en\">" + Words(random, 4 + random.Below(12)) + " &amp; " +
            Words(random, 2) + " &lt;" + std::to_string(random.Below(1000)) + "&gt;</summary>\n";
  record += "    <tags>\n";
  for (size_t tag = 0, count = 1 + random.Below(3); tag < count; ++tag) {
    record += "      <tag>" + Words(random, 1) + "</tag>\n";
  }
  record += "    </tags>\n  </record>\n";
  return record;
}

bool Put(std::FILE* file, std::string_view text) {
  return std::fwrite(text.data(), 1, text.size(), file) == text.size();
}

UniqueFile Create(const char* path) {
  UniqueFile file(std::fopen(path, "wb"));
  if (!file) std::perror(path);
  return file;
}

bool Close(UniqueFile file, const char* path) {
  if (std::fclose(file.release()) == 0) return true;
  std::perror(path);
  return false;
}

int WriteDocument(size_t target, const char* path) {
  UniqueFile file = Create(path);
  if (!file) return 1;
  Random random;
  size_t size = kHeader.size() + kFooter.size();
  size_t records = 0;
  bool ok = Put(file.get(), kHeader);
  for (;;) {
    const std::string record = Record(random, records + 1);
    if (records != 0 && size + record.size() > target) break;
    ok = ok && Put(file.get(), record);
    size += record.size();
    ++records;
  }
  ok = ok && Put(file.get(), kFooter);
  if (!Close(std::move(file), path) || !ok) return 1;
  std::printf("%zu\n", records);
  return 0;
}

int WriteEdits(size_t statements, size_t records, const char* description_path,
               const char* list_path) {
  UniqueFile description = Create(description_path);
  UniqueFile list = Create(list_path);
  if (!description || !list) return 1;
  const size_t groups = (statements + 3) / 4;
  bool ok = true;
  size_t written = 0;
  for (size_t group = 0; group < groups; ++group) {
    // Spread over the whole document, each record at most once.
    const size_t record = 1 + group * records / groups;
    const std::string id = std::to_string(record);
    const std::string price = std::to_string(group % 100) + ".99";
    const std::string title = "Revised title " + id;
    const std::string note = "Checked in group " + std::to_string(group);
    const std::string lines[][2] = {
        {"select node \"/catalog/record[@id='r" + id + "']\";\n",
         "select\t/catalog/record[@id='r" + id + "']\n"},
        {"set attribute price \"" + price + "\";\n", "set-attribute\tprice\t" + price + "\n"},
        {"add attribute checked \"yes\";\n", "add-attribute\tchecked\tyes\n"},
        {"set child title \"" + title + "\";\n", "set-child\ttitle\t" + title + "\n"},
        {"add child node note \"" + note + "\";\n", "add-child-node\tnote\t" + note + "\n"},
    };
    for (size_t i = 0; i < std::size(lines) && (i == 0 || written < statements); ++i) {
      ok = ok && Put(description.get(), lines[i][0]) && Put(list.get(), lines[i][1]);
      if (i != 0) ++written;
    }
  }
  const bool closed = Close(std::move(description), description_path);
  return Close(std::move(list), list_path) && closed && ok ? 0 : 1;
}

int WriteCounter(size_t statements, const char* path) {
  UniqueFile file = Create(path);
  if (!file) return 1;
  bool ok = Put(file.get(), "var count = 0;\nvar total = 0;\n");
  // Each group of four: two increments, an assignment with arithmetic and
  // a string assignment, so that the engine binds every kind of value.
  constexpr std::string_view kGroup[] = {
      "increment count;\n",
      "var total = total + count * 2;\n",
      "increment total;\n",
      "var label = \"item \" + \"ready\";\n",
  };
  for (size_t written = 2; written < statements; ++written) {
    ok = ok && Put(file.get(), kGroup[written % std::size(kGroup)]);
  }
  return Close(std::move(file), path) && ok ? 0 : 1;
}

int WriteBlob(size_t bytes, const char* path) {
  UniqueFile file = Create(path);
  if (!file) return 1;
  Random random;
  std::vector<uint64_t> block(1 << 17);  // 1 MiB
  bool ok = true;
  for (size_t left = bytes; ok && left > 0;) {
    for (uint64_t& word : block) word = random.Next();
    const size_t count = std::min(left, block.size() * sizeof(uint64_t));
    ok = std::fwrite(block.data(), 1, count, file.get()) == count;
    left -= count;
  }
  return Close(std::move(file), path) && ok ? 0 : 1;
}

bool ParseCount(const char* text, size_t* value) {
  char* end = nullptr;
  const unsigned long long parsed = std::strtoull(text, &end, 10);
  if (end == text || *end != 0) return false;
  *value = static_cast<size_t>(parsed);
  return true;
}

int Usage() {
  std::fputs(
      "usage: generate document <bytes> <path>\n"
      "       generate edits <statements> <records> <description> <edit-list>\n"
      "       generate counter <statements> <description>\n"
      "       generate blob <bytes> <path>\n",
      stderr);
  return 2;
}

}  // namespace

int main(int argc, char** argv) {
  if (argc < 4) return Usage();
  const std::string_view kind = argv[1];
  size_t count = 0;
  if (!ParseCount(argv[2], &count)) return Usage();
  if (kind == "document" && argc == 4) return WriteDocument(count, argv[3]);
  if (kind == "counter" && argc == 4) return WriteCounter(count, argv[3]);
  if (kind == "blob" && argc == 4) return WriteBlob(count, argv[3]);
  size_t records = 0;
  if (kind == "edits" && argc == 6 && ParseCount(argv[3], &records) && records > 0) {
    return WriteEdits(count, records, argv[4], argv[5]);
  }
  return Usage();
}
