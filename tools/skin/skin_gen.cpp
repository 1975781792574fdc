// skin_gen: draws the editor's skin and writes the bitmaps the resource
// script links into the plug-in.
//
//   skin_gen [--font Cuprum.ttf] [--preview DIR] OUTDIR
//       writes skin101.bmp, skin103.bmp, skin104.bmp, skin105.bmp and
//       skin106.bmp into OUTDIR, and PNG previews into DIR when asked
//   skin_gen --check OUTDIR       checks sizes and depths of those files
//   skin_gen --check-res FILE     checks dialog 100 and the bitmaps in a
//                                 compiled .res file
//
// Exit status 0 on success, 1 on any failure (with the reason on stderr).
#include <cstdio>
#include <cstring>
#include <filesystem>
#include <string>
#include <vector>

#include "bmp.h"
#include "preview.h"
#include "skin.h"

namespace {

using namespace skin;

struct Output {
  const char* file;
  int width, height, bits;
  const Image Sheets::*image;
};

const Output kOutputs[] = {
    {"skin101.bmp", 480, 240, 24, &Sheets::background},
    {"skin103.bmp", 34, 2176, 32, &Sheets::knob},
    {"skin104.bmp", 56, 1536, 32, &Sheets::slider},
    {"skin105.bmp", 34, 68, 32, &Sheets::toggle},
    {"skin106.bmp", 4800, 56, 24, &Sheets::icons},
};

int usage() {
  std::fprintf(stderr,
               "usage: skin_gen [--font FILE.ttf] [--preview DIR] OUTDIR\n"
               "       skin_gen --check OUTDIR\n"
               "       skin_gen --check-res FILE.res\n");
  return 1;
}

int check(const std::string& dir) {
  int failures = 0;
  for (const Output& o : kOutputs) {
    const std::string problem = checkBmp(dir + "/" + o.file, o.width, o.height, o.bits);
    if (!problem.empty()) {
      std::fprintf(stderr, "skin_gen: %s\n", problem.c_str());
      ++failures;
    }
  }
  if (failures == 0)
    std::printf("skin_gen: %zu bitmaps in %s are as expected\n", std::size(kOutputs), dir.c_str());
  return failures ? 1 : 0;
}

int checkRes(const std::string& path) {
  const std::string problem = checkResources(path);
  if (!problem.empty()) {
    std::fprintf(stderr, "skin_gen: %s\n", problem.c_str());
    return 1;
  }
  std::printf("skin_gen: dialog 100 and the five bitmaps in %s are as expected\n", path.c_str());
  return 0;
}

int generate(const std::string& dir, const std::string& font, const std::string& previewDir) {
  if (!font.empty() && !loadFace(font)) return 1;
  if (font.empty())
    std::fprintf(stderr, "skin_gen: no --font given; captions use a stand-in face\n");

  Sheets sheets;
  const std::vector<std::string> problems = buildSheets(sheets);
  for (const std::string& p : problems) std::fprintf(stderr, "skin_gen: %s\n", p.c_str());
  if (!problems.empty()) return 1;

  std::filesystem::create_directories(dir);
  for (const Output& o : kOutputs) {
    const std::string path = dir + "/" + o.file;
    if (!writeBmp(path, sheets.*o.image, o.bits)) {
      std::fprintf(stderr, "skin_gen: cannot write %s\n", path.c_str());
      return 1;
    }
  }
  if (!previewDir.empty()) {
    std::filesystem::create_directories(previewDir);
    if (!writePreviews(sheets, previewDir)) {
      std::fprintf(stderr, "skin_gen: cannot write previews to %s\n", previewDir.c_str());
      return 1;
    }
  }
  return check(dir);
}

}  // namespace

int main(int argc, char** argv) {
  std::string font, previewDir, outDir;
  for (int i = 1; i < argc; ++i) {
    const std::string arg = argv[i];
    const bool hasValue = i + 1 < argc;
    if (arg == "--check" && hasValue) return check(argv[i + 1]);
    if (arg == "--check-res" && hasValue) return checkRes(argv[i + 1]);
    if (arg == "--font" && hasValue) {
      font = argv[++i];
    } else if (arg == "--preview" && hasValue) {
      previewDir = argv[++i];
    } else if (!arg.empty() && arg[0] != '-' && outDir.empty()) {
      outDir = arg;
    } else {
      return usage();
    }
  }
  if (outDir.empty()) return usage();
  return generate(outDir, font, previewDir);
}
