// moravelle-pixels: looks at what the pixel layer draws.
//   moravelle-pixels sheet OUT.png        render the test sheet
//   moravelle-pixels shapes OUT.png       the test sheet without its text
//   moravelle-pixels decode IN.png OUT.png  decode a PNG as the plug-in does and write it back
//   moravelle-pixels compare A.png B.png  count differing pixels (exit 0 when identical)
//   moravelle-pixels zoom IN.png OUT.png L T R B FACTOR  enlarge a part, opaque, to look at it
#include <algorithm>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <memory>
#include <vector>

#include "graphics/bitmap/png_decode.h"
#include "png_file_writer.h"
#include "test_sheet.h"

namespace {

std::unique_ptr<MemBitmap> ReadPng(const char* path) {
  std::FILE* file = std::fopen(path, "rb");
  if (!file) return nullptr;
  std::vector<unsigned char> bytes;
  unsigned char buffer[65536];
  size_t n = 0;
  while ((n = std::fread(buffer, 1, sizeof buffer, file)) > 0) bytes.insert(bytes.end(), buffer, buffer + n);
  std::fclose(file);
  return std::unique_ptr<MemBitmap>(DecodePngMemory(bytes.data(), bytes.size()));
}

int Usage();

int Compare(const char* first, const char* second) {
  auto a = ReadPng(first), b = ReadPng(second);
  if (!a || !b) {
    std::fprintf(stderr, "moravelle-pixels: cannot decode %s\n", !a ? first : second);
    return 2;
  }
  if (a->Width() != b->Width() || a->Height() != b->Height()) {
    std::printf("sizes differ: %dx%d and %dx%d\n", a->Width(), a->Height(), b->Width(), b->Height());
    return 1;
  }
  long differing = 0;
  int largest = 0, top = a->Height(), bottom = -1;
  for (int y = 0; y < a->Height(); ++y)
    for (int x = 0; x < a->Width(); ++x) {
      Pixel p = a->Row(y)[x], q = b->Row(y)[x];
      if (p == q) continue;
      ++differing;
      if (y < top) top = y;
      bottom = y;
      for (int i = 0; i < 4; ++i) largest = std::max(largest, std::abs(PixelChannel(p, i) - PixelChannel(q, i)));
    }
  std::printf("%ld of %d pixels differ (largest channel difference %d", differing, a->Width() * a->Height(), largest);
  if (differing) std::printf(", rows %d..%d", top, bottom);
  std::printf(")\n");
  return differing ? 1 : 0;
}

int Zoom(char** argv) {
  auto image = ReadPng(argv[2]);
  if (!image) return 1;
  int l = std::atoi(argv[4]), t = std::atoi(argv[5]), r = std::atoi(argv[6]), b = std::atoi(argv[7]);
  int factor = std::atoi(argv[8]);
  if (l < 0 || t < 0 || r > image->Width() || b > image->Height() || l >= r || t >= b || factor < 1 || factor > 32)
    return Usage();
  MemBitmap zoomed((r - l) * factor, (b - t) * factor);
  for (int y = 0; y < zoomed.Height(); ++y)
    for (int x = 0; x < zoomed.Width(); ++x) zoomed.Row(y)[x] = image->Row(t + y / factor)[l + x / factor] | 0xFF000000u;
  return WritePngFile(zoomed, argv[3]) ? 0 : 1;
}

int Usage() {
  std::fprintf(stderr, "usage: moravelle-pixels sheet OUT.png | shapes OUT.png | decode IN.png OUT.png | compare A.png B.png |\n"
               "       zoom IN.png OUT.png L T R B FACTOR\n");
  return 2;
}

}  // namespace

int main(int argc, char** argv) {
  if (argc == 3 && (std::strcmp(argv[1], "sheet") == 0 || std::strcmp(argv[1], "shapes") == 0)) {
    auto sheet = RenderTestSheet(std::strcmp(argv[1], "sheet") == 0);
    if (!sheet || !WritePngFile(*sheet, argv[2])) {
      std::fprintf(stderr, "moravelle-pixels: cannot write %s\n", argv[2]);
      return 1;
    }
    return 0;
  }
  if (argc == 4 && std::strcmp(argv[1], "decode") == 0) {
    auto image = ReadPng(argv[2]);
    if (!image) {
      std::fprintf(stderr, "moravelle-pixels: %s does not decode\n", argv[2]);
      return 1;
    }
    return WritePngFile(*image, argv[3]) ? 0 : 1;
  }
  if (argc == 4 && std::strcmp(argv[1], "compare") == 0) return Compare(argv[2], argv[3]);
  if (argc == 9 && std::strcmp(argv[1], "zoom") == 0) return Zoom(argv);
  return Usage();
}
