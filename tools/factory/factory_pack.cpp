// factory_pack LIBRARY OUT.cpp: the factory library folder (its index
// maps.json and the maps it lists) as a C++ source for maps/factory_blob.h:
// the index and the map texts compressed, the texts in chunks of about
// 256 KB (zlib's window is 32 KB, so a chunk loses little to the next one
// starting afresh, and a map costs the inflating of one chunk). A host
// program in every build (cmake/factory_library.cmake).
#include <zlib.h>

#include <cstdio>
#include <fstream>
#include <iterator>
#include <map>
#include <nlohmann/json.hpp>
#include <sstream>
#include <string>
#include <vector>

namespace {

constexpr size_t kChunkText = 256 * 1024;

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

bool Compress(const std::string& text, std::vector<Bytef>& out) {
  uLongf size = compressBound(static_cast<uLong>(text.size()));
  std::vector<Bytef> packed(size);
  if (compress2(packed.data(), &size, reinterpret_cast<const Bytef*>(text.data()),
                static_cast<uLong>(text.size()), Z_BEST_COMPRESSION) != Z_OK)
    return false;
  out.insert(out.end(), packed.begin(), packed.begin() + static_cast<ptrdiff_t>(size));
  return true;
}

// A field of the index: the text and its terminating NUL.
void Field(std::string& index, const std::string& text) {
  index += text;
  index += '\0';
}

// Distinct strings numbered in order of first appearance.
class Numbered {
 public:
  size_t Of(const std::string& text) {
    const auto [it, fresh] = numbers_.emplace(text, list_.size());
    if (fresh) list_.push_back(text);
    return it->second;
  }
  const std::vector<std::string>& list() const { return list_; }

 private:
  std::map<std::string, size_t> numbers_;
  std::vector<std::string> list_;
};

struct Chunk {
  size_t at = 0, size = 0, textSize = 0, firstMap = 0;
};

}  // namespace

int main(int argc, char** argv) {
  if (argc != 3) return Fail("usage: factory_pack LIBRARY_FOLDER OUT.cpp");
  const std::string folder = argv[1];
  std::string indexText;
  if (!ReadFile(folder + "/maps.json", indexText))
    return Fail("cannot read " + folder + "/maps.json");
  const nlohmann::json index = nlohmann::json::parse(indexText, nullptr, false);
  if (!index.is_array()) return Fail(folder + "/maps.json is not a JSON array");

  Numbered makers, products, sources;
  std::string maps;  // the index's fields of each map
  std::vector<Chunk> chunks;
  std::vector<Bytef> chunkStreams;
  std::string texts;  // of the chunk being filled
  size_t allText = 0, community = 0;
  const auto closeChunk = [&](size_t nextMap) {
    if (texts.empty()) return true;
    Chunk& chunk = chunks.back();
    chunk.at = chunkStreams.size();
    chunk.textSize = texts.size();
    if (!Compress(texts, chunkStreams)) return false;
    chunk.size = chunkStreams.size() - chunk.at;
    texts.clear();
    chunks.push_back({0, 0, 0, nextMap});
    return true;
  };
  chunks.push_back({});
  for (size_t i = 0; i < index.size(); ++i) {
    const auto& entry = index[i];
    std::string text;
    const std::string file = entry.value("file", "");
    if (!ReadFile(folder + "/" + file, text)) return Fail("cannot read the map " + file);
    // The title is the end of the name: it is kept as where it starts there.
    const std::string name = entry.value("name", ""), title = entry.value("title", "");
    if (title.size() > name.size() ||
        name.compare(name.size() - title.size(), title.size(), title) != 0)
      return Fail("the title of " + name + " is not the end of its name");
    const bool isCommunity = entry.value("community", false);
    community += isCommunity ? 1 : 0;
    Field(maps, std::to_string(makers.Of(entry.value("maker", ""))));
    Field(maps, std::to_string(products.Of(entry.value("product", ""))));
    Field(maps, std::to_string(sources.Of(entry.value("source", ""))));
    Field(maps, isCommunity ? "1" : "0");
    Field(maps, std::to_string(text.size()));
    Field(maps, std::to_string(name.size() - title.size()));
    Field(maps, name);
    texts += text;
    allText += text.size();
    if (texts.size() >= kChunkText && !closeChunk(i + 1)) return Fail("zlib could not compress");
  }
  if (!closeChunk(index.size())) return Fail("zlib could not compress");
  chunks.pop_back();  // the one opened after the last

  std::string whole;
  for (const Numbered* list : {&makers, &products, &sources})
    Field(whole, std::to_string(list->list().size()));
  for (const Numbered* list : {&makers, &products, &sources})
    for (const std::string& text : list->list()) Field(whole, text);
  whole += maps;
  std::vector<Bytef> blob;
  if (!Compress(whole, blob)) return Fail("zlib could not compress the index");
  const size_t indexSize = blob.size();
  blob.insert(blob.end(), chunkStreams.begin(), chunkStreams.end());

  std::ostringstream out;
  out << "// Made by factory_pack from the factory library folder; not to be edited.\n"
      << "#include \"maps/factory_blob.h\"\n\n"
      << "const size_t kFactoryEntryCount = " << index.size() << ";\n"
      << "const uint32_t kFactoryIndexSize = " << indexSize << "u;\n"
      << "const uint32_t kFactoryIndexTextSize = " << whole.size() << "u;\n"
      << "const FactoryChunk kFactoryChunks[] = {\n";
  for (const Chunk& c : chunks)
    out << "    {" << indexSize + c.at << "u, " << c.size << "u, " << c.textSize << "u, "
        << c.firstMap << "u},\n";
  // A last entry past the chunks, so the array is never empty.
  out << "    {" << indexSize + chunkStreams.size() << "u, 0u, 0u, " << index.size() << "u},\n"
      << "};\nconst size_t kFactoryChunkCount = " << chunks.size() << ";\n"
      << "const unsigned char kFactoryBlob[] = {";
  for (size_t i = 0; i < blob.size(); ++i) out << (i % 24 == 0 ? "\n" : "") << int(blob[i]) << ",";
  out << "\n};\nconst size_t kFactoryBlobSize = sizeof kFactoryBlob;\n";

  const std::string tmp = std::string(argv[2]) + ".tmp";
  std::ofstream file(tmp, std::ios::binary);
  file << out.str();
  file.close();
  if (!file || std::rename(tmp.c_str(), argv[2]) != 0)
    return Fail(std::string("cannot write ") + argv[2]);
  std::printf(
      "factory_pack: %zu maps (%zu community), %zu bytes of text in %zu chunks, %zu compressed; "
      "the index %zu bytes in %zu\n",
      index.size(), community, allText, chunks.size(), chunkStreams.size(), whole.size(),
      indexSize);
  return 0;
}
