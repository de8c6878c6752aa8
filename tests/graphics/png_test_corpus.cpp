#include "png_test_corpus.h"

#include <random>

namespace {

int ToEightBits(int sample, int bitDepth) {
  if (bitDepth == 16) return sample >> 8;
  return sample * 255 / ((1 << bitDepth) - 1);
}

PngCorpusCase ValidCase(const std::string& name, const PngTestImage& image) {
  PngCorpusCase c;
  c.name = name;
  c.bytes = WritePngForTest(image);
  c.valid = true;
  c.width = image.width;
  c.height = image.height;
  c.expected = ExpectedPixels(image);
  return c;
}

PngCorpusCase BrokenCase(const std::string& name, std::vector<uint8_t> bytes) {
  PngCorpusCase c;
  c.name = name;
  c.bytes = std::move(bytes);
  return c;
}

// Rewrites the IHDR size (and its CRC) of a written file.
std::vector<uint8_t> WithHeaderSize(std::vector<uint8_t> bytes, uint32_t width, uint32_t height) {
  std::vector<uint8_t> header(bytes.begin() + 16, bytes.begin() + 29);
  for (int i = 0; i < 4; ++i) {
    header[i] = static_cast<uint8_t>(width >> (24 - 8 * i));
    header[4 + i] = static_cast<uint8_t>(height >> (24 - 8 * i));
  }
  std::vector<uint8_t> out(bytes.begin(), bytes.begin() + 8);
  AppendPngChunk(out, "IHDR", header);
  out.insert(out.end(), bytes.begin() + 33, bytes.end());
  return out;
}

}  // namespace

std::vector<Pixel> ExpectedPixels(const PngTestImage& image) {
  std::vector<Pixel> pixels;
  int channels = image.Channels();
  for (int i = 0; i < image.width * image.height; ++i) {
    const uint16_t* s = &image.samples[static_cast<size_t>(i) * channels];
    int depth = image.bitDepth;
    switch (image.colourType) {
      case 0: {
        int grey = ToEightBits(s[0], depth);
        bool keyed = image.hasTransparency && s[0] == image.transparency[0];
        pixels.push_back(MakePixel(keyed ? 0 : 255, grey, grey, grey));
        break;
      }
      case 2: {
        bool keyed = image.hasTransparency && s[0] == image.transparency[0] && s[1] == image.transparency[1] &&
                     s[2] == image.transparency[2];
        pixels.push_back(MakePixel(keyed ? 0 : 255, ToEightBits(s[0], depth), ToEightBits(s[1], depth),
                                   ToEightBits(s[2], depth)));
        break;
      }
      case 3: {
        int index = s[0];
        int alpha = image.hasTransparency && size_t(index) < image.transparency.size() ? image.transparency[index] : 255;
        pixels.push_back(MakePixel(alpha, image.palette[3 * index], image.palette[3 * index + 1], image.palette[3 * index + 2]));
        break;
      }
      case 4: {
        int grey = ToEightBits(s[0], depth);
        pixels.push_back(MakePixel(ToEightBits(s[1], depth), grey, grey, grey));
        break;
      }
      default:
        pixels.push_back(MakePixel(ToEightBits(s[3], depth), ToEightBits(s[0], depth), ToEightBits(s[1], depth),
                                   ToEightBits(s[2], depth)));
        break;
    }
  }
  return pixels;
}

PngTestImage RandomPngImage(int colourType, int bitDepth, bool transparency, int width, int height, unsigned seed) {
  std::mt19937 random(seed);
  PngTestImage image;
  image.width = width;
  image.height = height;
  image.colourType = colourType;
  image.bitDepth = bitDepth;
  image.filterSeed = static_cast<int>(seed);
  int maxSample = (1 << bitDepth) - 1;
  int paletteSize = 0;
  if (colourType == 3) {
    paletteSize = std::min(1 << bitDepth, 1 + static_cast<int>(random() % 40));
    for (int i = 0; i < paletteSize * 3; ++i) image.palette.push_back(static_cast<uint8_t>(random()));
    maxSample = paletteSize - 1;
  }
  for (int i = 0; i < width * height * image.Channels(); ++i)
    image.samples.push_back(static_cast<uint16_t>(random() % (maxSample + 1)));
  if (transparency) {
    image.hasTransparency = true;
    if (colourType == 3) {
      // Fewer alphas than palette entries: the rest stay opaque.
      int count = std::max(1, paletteSize - 1);
      for (int i = 0; i < count; ++i) image.transparency.push_back(static_cast<uint16_t>(random() % 256));
    } else {
      // Key on the first pixel's colour so that some pixels match it.
      for (int c = 0; c < image.Channels(); ++c) image.transparency.push_back(image.samples[c]);
    }
  }
  return image;
}

std::vector<PngCorpusCase> BuildPngCorpus() {
  struct Form {
    int colourType, bitDepth;
    bool transparency;
  };
  const Form forms[] = {{0, 1, false}, {0, 2, false}, {0, 4, false}, {0, 8, false}, {0, 16, false}, {0, 1, true},
                        {0, 4, true},  {0, 8, true},  {0, 16, true}, {2, 8, false}, {2, 16, false}, {2, 8, true},
                        {2, 16, true}, {3, 1, false}, {3, 2, false}, {3, 4, false}, {3, 8, false},  {3, 1, true},
                        {3, 4, true},  {3, 8, true},  {4, 8, false}, {4, 16, false}, {6, 8, false}, {6, 16, false}};
  const int sizes[][2] = {{1, 1}, {7, 3}, {33, 5}, {5, 40}};
  std::vector<PngCorpusCase> corpus;
  unsigned seed = 1;
  for (const Form& form : forms) {
    for (const auto& size : sizes) {
      PngTestImage image = RandomPngImage(form.colourType, form.bitDepth, form.transparency, size[0], size[1], seed++);
      if (size[0] == 33) image.dataChunkSize = 17;  // the data spread over many chunks
      std::string name = "type" + std::to_string(form.colourType) + "_depth" + std::to_string(form.bitDepth) +
                         (form.transparency ? "_trns_" : "_") + std::to_string(size[0]) + "x" + std::to_string(size[1]);
      corpus.push_back(ValidCase(name, image));
    }
  }

  PngTestImage sample = RandomPngImage(6, 8, false, 9, 6, 777);
  std::vector<uint8_t> good = WritePngForTest(sample);
  for (size_t length : {size_t{0}, size_t{7}, size_t{8}, size_t{20}, size_t{33}, good.size() / 2, good.size() - 13,
                        good.size() - 1})
    corpus.push_back(BrokenCase("truncated_to_" + std::to_string(length),
                                std::vector<uint8_t>(good.begin(), good.begin() + length)));
  for (size_t at : {size_t{0}, size_t{1}, size_t{7}}) {
    auto bad = good;
    bad[at] ^= 0x20;
    corpus.push_back(BrokenCase("bad_signature_byte_" + std::to_string(at), bad));
  }
  {
    auto bad = good;
    bad[20] ^= 1;  // inside IHDR's data
    corpus.push_back(BrokenCase("bad_crc_header", bad));
    bad = good;
    bad[good.size() - 20] ^= 0x10;  // inside the image data
    corpus.push_back(BrokenCase("bad_crc_data", bad));
    bad = good;
    bad[good.size() - 1] ^= 0xFF;  // IEND's CRC
    corpus.push_back(BrokenCase("bad_crc_end", bad));
  }
  corpus.push_back(BrokenCase("absurd_size_2G", WithHeaderSize(good, 0x7FFFFFFFu, 0x7FFFFFFFu)));
  corpus.push_back(BrokenCase("absurd_size_wide", WithHeaderSize(good, 100000, 1)));
  corpus.push_back(BrokenCase("absurd_size_square", WithHeaderSize(good, 16384, 16384)));
  corpus.push_back(BrokenCase("zero_width", WithHeaderSize(good, 0, 6)));
  corpus.push_back(BrokenCase("size_larger_than_data", WithHeaderSize(good, 9, 600)));
  {
    PngTestImage bad = RandomPngImage(3, 8, false, 4, 4, 5);
    bad.bitDepth = 16;  // no such palette depth
    bad.samples.assign(bad.samples.size(), 0);
    corpus.push_back(BrokenCase("palette_depth_16", WritePngForTest(bad)));
  }
  {
    std::vector<uint8_t> noData(good.begin(), good.begin() + 33);
    AppendPngChunk(noData, "IEND", {});
    corpus.push_back(BrokenCase("no_image_data", noData));
    std::vector<uint8_t> garbage(good.begin(), good.begin() + 33);
    AppendPngChunk(garbage, "IDAT", {0x12, 0x34, 0x56, 0x78, 0x9A, 0xBC, 0xDE, 0xF0});
    AppendPngChunk(garbage, "IEND", {});
    corpus.push_back(BrokenCase("garbage_image_data", garbage));
  }
  return corpus;
}
