// factory_pack LIBRARY OUT.cpp: the factory library folder (its index
// maps.json and the maps it lists) as a C++ source for maps/factory_blob.h:
// the names uncompressed, the map texts one after another in one zlib
// stream, so maps that share most of their text cost little each. A host
// program in every build (cmake/factory_library.cmake).
#include <zlib.h>

#include <cstdio>
#include <fstream>
#include <iterator>
#include <nlohmann/json.hpp>
#include <sstream>
#include <string>
#include <vector>

namespace {

int Fail(const std::string& text) {
  std::fprintf(stderr, "factory_pack: %s\n", text.c_str());
  return 1;
}

bool ReadFile(const std::string& path, std::string& bytes) {
  std::ifstream in(path, std::ios::binary);
  if (!in) return false;
  bytes.assign(std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>());
  return !in.bad();
}

// A C string literal; every byte outside printable ASCII as three octal
// digits, which no following digit can extend.
std::string Literal(const std::string& text) {
  std::string out = "\"";
  for (const char c : text) {
    const auto byte = static_cast<unsigned char>(c);
    if (byte < 0x20 || byte >= 0x7F || c == '"' || c == '\\' || c == '?') {
      char code[8];
      std::snprintf(code, sizeof code, "\\%03o", byte);
      out += code;
    } else {
      out += c;
    }
  }
  return out + "\"";
}

}  // namespace

int main(int argc, char** argv) {
  if (argc != 3) return Fail("usage: factory_pack LIBRARY_FOLDER OUT.cpp");
  const std::string folder = argv[1];
  std::string indexText;
  if (!ReadFile(folder + "/maps.json", indexText))
    return Fail("cannot read " + folder + "/maps.json");
  const nlohmann::json index = nlohmann::json::parse(indexText, nullptr, false);
  if (!index.is_array()) return Fail(folder + "/maps.json is not a JSON array");

  std::ostringstream entries;
  std::string texts;
  for (const auto& entry : index) {
    std::string text;
    const std::string file = entry.value("file", "");
    if (!ReadFile(folder + "/" + file, text)) return Fail("cannot read the map " + file);
    const uLong crc =
        crc32(0, reinterpret_cast<const Bytef*>(text.data()), static_cast<uInt>(text.size()));
    // The title is the end of the name: it is kept as where it starts there.
    const std::string name = entry.value("name", ""), title = entry.value("title", "");
    if (title.size() > name.size() ||
        name.compare(name.size() - title.size(), title.size(), title) != 0)
      return Fail("the title of " + name + " is not the end of its name");
    entries << "    {" << Literal(entry.value("maker", "")) << ", "
            << Literal(entry.value("product", "")) << ",\n     " << Literal(name) << ", "
            << name.size() - title.size() << "u, " << texts.size() << "u, " << text.size()
            << "u, 0x" << std::hex << crc << std::dec << "u},\n";
    texts += text;
  }

  uLongf packedSize = compressBound(static_cast<uLong>(texts.size()));
  std::vector<Bytef> packed(packedSize);
  if (compress2(packed.data(), &packedSize, reinterpret_cast<const Bytef*>(texts.data()),
                static_cast<uLong>(texts.size()), Z_BEST_COMPRESSION) != Z_OK)
    return Fail("zlib could not compress the maps");

  std::ostringstream out;
  out << "// Made by factory_pack from the factory library folder; not to be edited.\n"
      << "#include \"maps/factory_blob.h\"\n\n"
      << "const FactoryBlobEntry kFactoryEntries[] = {\n"
      << entries.str() << "    {\"\", \"\", \"\", 0u, 0u, 0u, 0u}};\n"
      << "const size_t kFactoryEntryCount = " << index.size() << ";\n"
      << "const size_t kFactoryTextSize = " << texts.size() << ";\n"
      << "const unsigned char kFactoryBlob[] = {";
  for (uLongf i = 0; i < packedSize; ++i) out << (i % 24 == 0 ? "\n" : "") << int(packed[i]) << ",";
  out << "\n};\nconst size_t kFactoryBlobSize = sizeof kFactoryBlob;\n";

  const std::string tmp = std::string(argv[2]) + ".tmp";
  std::ofstream file(tmp, std::ios::binary);
  file << out.str();
  file.close();
  if (!file || std::rename(tmp.c_str(), argv[2]) != 0)
    return Fail(std::string("cannot write ") + argv[2]);
  std::printf("factory_pack: %zu maps, %zu bytes of text in %lu compressed\n", index.size(),
              texts.size(), static_cast<unsigned long>(packedSize));
  return 0;
}
