#include "png_test_writer.h"

#include <algorithm>
#include <cstdlib>

#include "graphics/bitmap/png_structure.h"

namespace {

void PutBigEndian32(std::vector<uint8_t>& out, uint32_t v) {
  for (int shift = 24; shift >= 0; shift -= 8) out.push_back(static_cast<uint8_t>(v >> shift));
}

// The image's scanlines as packed bytes, before filtering.
std::vector<std::vector<uint8_t>> PackRows(const PngTestImage& image) {
  int channels = image.Channels();
  std::vector<std::vector<uint8_t>> rows;
  for (int y = 0; y < image.height; ++y) {
    std::vector<uint8_t> row;
    int bitPos = 0;
    uint8_t partial = 0;
    for (int i = 0; i < image.width * channels; ++i) {
      uint16_t s = image.samples[static_cast<size_t>(y) * image.width * channels + i];
      if (image.bitDepth == 16) {
        row.push_back(static_cast<uint8_t>(s >> 8));
        row.push_back(static_cast<uint8_t>(s));
      } else if (image.bitDepth == 8) {
        row.push_back(static_cast<uint8_t>(s));
      } else {
        partial |= static_cast<uint8_t>(s << (8 - image.bitDepth - bitPos));
        bitPos += image.bitDepth;
        if (bitPos == 8) {
          row.push_back(partial);
          partial = 0;
          bitPos = 0;
        }
      }
    }
    if (bitPos) row.push_back(partial);
    rows.push_back(row);
  }
  return rows;
}

int Paeth(int a, int b, int c) {
  int p = a + b - c, pa = std::abs(p - a), pb = std::abs(p - b), pc = std::abs(p - c);
  if (pa <= pb && pa <= pc) return a;
  return pb <= pc ? b : c;
}

std::vector<uint8_t> FilterRows(const PngTestImage& image) {
  auto rows = PackRows(image);
  int bytesPerPixel = std::max(1, image.Channels() * image.bitDepth / 8);
  std::vector<uint8_t> out;
  std::vector<uint8_t> previous;
  unsigned seed = static_cast<unsigned>(image.filterSeed);
  for (auto& row : rows) {
    if (previous.empty()) previous.assign(row.size(), 0);
    int filter = static_cast<int>((seed = seed * 1103515245u + 12345u) >> 16) % 5;
    out.push_back(static_cast<uint8_t>(filter));
    for (size_t i = 0; i < row.size(); ++i) {
      int a = i >= size_t(bytesPerPixel) ? row[i - bytesPerPixel] : 0;
      int b = previous[i];
      int c = i >= size_t(bytesPerPixel) ? previous[i - bytesPerPixel] : 0;
      int predictor = filter == 1 ? a : filter == 2 ? b : filter == 3 ? (a + b) / 2 : filter == 4 ? Paeth(a, b, c) : 0;
      out.push_back(static_cast<uint8_t>(row[i] - predictor));
    }
    previous = row;
  }
  return out;
}

// A zlib stream of stored blocks.
std::vector<uint8_t> StoreInZlib(const std::vector<uint8_t>& raw) {
  std::vector<uint8_t> out = {0x78, 0x01};
  size_t pos = 0;
  do {
    size_t n = std::min<size_t>(65535, raw.size() - pos);
    bool last = pos + n == raw.size();
    out.push_back(last ? 1 : 0);
    out.push_back(static_cast<uint8_t>(n));
    out.push_back(static_cast<uint8_t>(n >> 8));
    out.push_back(static_cast<uint8_t>(~n));
    out.push_back(static_cast<uint8_t>(~n >> 8));
    out.insert(out.end(), raw.begin() + pos, raw.begin() + pos + n);
    pos += n;
  } while (pos < raw.size());
  uint32_t a = 1, b = 0;
  for (uint8_t byte : raw) {
    a = (a + byte) % 65521;
    b = (b + a) % 65521;
  }
  PutBigEndian32(out, (b << 16) | a);
  return out;
}

}  // namespace

int PngTestImage::Channels() const {
  switch (colourType) {
    case 2: return 3;
    case 4: return 2;
    case 6: return 4;
    default: return 1;
  }
}

void AppendPngChunk(std::vector<uint8_t>& out, const char* type, const std::vector<uint8_t>& data) {
  PutBigEndian32(out, static_cast<uint32_t>(data.size()));
  size_t start = out.size();
  out.insert(out.end(), type, type + 4);
  out.insert(out.end(), data.begin(), data.end());
  PutBigEndian32(out, PngCrc32(0, out.data() + start, out.size() - start));
}

std::vector<uint8_t> WritePngForTest(const PngTestImage& image) {
  std::vector<uint8_t> out = {0x89, 'P', 'N', 'G', 0x0D, 0x0A, 0x1A, 0x0A};
  std::vector<uint8_t> header;
  PutBigEndian32(header, static_cast<uint32_t>(image.width));
  PutBigEndian32(header, static_cast<uint32_t>(image.height));
  header.insert(header.end(), {static_cast<uint8_t>(image.bitDepth), static_cast<uint8_t>(image.colourType), 0, 0, 0});
  AppendPngChunk(out, "IHDR", header);
  if (image.colourType == 3) AppendPngChunk(out, "PLTE", image.palette);
  if (image.hasTransparency) {
    std::vector<uint8_t> chunk;
    for (uint16_t v : image.transparency) {
      if (image.colourType == 3) {
        chunk.push_back(static_cast<uint8_t>(v));
      } else {
        chunk.push_back(static_cast<uint8_t>(v >> 8));
        chunk.push_back(static_cast<uint8_t>(v));
      }
    }
    AppendPngChunk(out, "tRNS", chunk);
  }
  std::vector<uint8_t> data = StoreInZlib(FilterRows(image));
  for (size_t pos = 0; pos < data.size(); pos += image.dataChunkSize) {
    size_t n = std::min<size_t>(image.dataChunkSize, data.size() - pos);
    AppendPngChunk(out, "IDAT", std::vector<uint8_t>(data.begin() + pos, data.begin() + pos + n));
  }
  AppendPngChunk(out, "IEND", {});
  return out;
}
