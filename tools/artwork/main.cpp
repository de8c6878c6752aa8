// moravelle-artwork: draws the editor's images.
//
//   moravelle-artwork FOLDER                 writes every pa_*.png into FOLDER
//   moravelle-artwork --preview FILE [--lit] composes them as the editor shows them
//   moravelle-artwork --zoom ID FRAME FILE   one frame of an image, eight times enlarged
//
// The images depend on nothing but this program, its fonts and cairo, so the
// build can draw them again and compare them with the committed files.

#include <cstdio>
#include <cstdlib>
#include <exception>
#include <string>
#include <vector>

#include "font_book.h"
#include "image_set.h"
#include "png_writer.h"
#include "preview.h"

namespace {

int Usage() {
  std::fprintf(stderr,
               "usage: moravelle-artwork FOLDER\n"
               "       moravelle-artwork --preview FILE [--lit]\n"
               "       moravelle-artwork --zoom ID FRAME FILE\n");
  return 2;
}

int WriteAll(std::vector<ArtImage>& images, const std::string& folder) {
  for (ArtImage& image : images) {
    const std::string path = folder + "/" + image.fileName;
    if (!WritePng(image.canvas, path)) {
      std::fprintf(stderr, "moravelle-artwork: cannot write %s\n", path.c_str());
      return 1;
    }
  }
  std::printf("moravelle-artwork: %zu images written to %s\n", images.size(), folder.c_str());
  return 0;
}

int WriteZoom(std::vector<ArtImage>& images, int id, int frame, const std::string& path) {
  constexpr int kScale = 8;
  ArtImage* image = FindImage(images, id);
  if (!image || frame < 0 || frame >= image->frames) {
    std::fprintf(stderr, "moravelle-artwork: no image %d with a frame %d\n", id, frame);
    return 1;
  }
  const int frameHeight = image->height / image->frames;
  Canvas zoom(image->width * kScale, frameHeight * kScale);
  cairo_t* cr = zoom.Cr();
  cairo_set_source_rgb(cr, 0.45, 0.46, 0.48);  // mid grey, so shadows and highlights both show
  cairo_paint(cr);
  cairo_scale(cr, kScale, kScale);
  cairo_set_source_surface(cr, image->canvas.Surface(), 0, -frame * frameHeight);
  cairo_pattern_set_filter(cairo_get_source(cr), CAIRO_FILTER_NEAREST);
  cairo_paint(cr);
  return WritePng(zoom, path) ? 0 : 1;
}

int Run(int argc, char** argv) {
  std::vector<std::string> args(argv + 1, argv + argc);
  if (args.empty()) return Usage();
  FontBook fonts;  // outlives every canvas below: they may hold its faces
  int result = 0;
  {
    std::vector<ArtImage> images = DrawAllImages(fonts);
    if (args[0] == "--preview" && (args.size() == 2 || (args.size() == 3 && args[2] == "--lit"))) {
      Canvas preview = ComposePreview(fonts, images, args.size() == 3);
      result = WritePng(preview, args[1]) ? 0 : 1;
    } else if (args[0] == "--zoom" && args.size() == 4) {
      result = WriteZoom(images, std::atoi(args[1].c_str()), std::atoi(args[2].c_str()) - 1, args[3]);
    } else if (args.size() == 1 && args[0][0] != '-') {
      result = WriteAll(images, args[0]);
    } else {
      result = Usage();
    }
  }
  return result;
}

}  // namespace

int main(int argc, char** argv) {
  try {
    return Run(argc, argv);
  } catch (const std::exception& e) {
    std::fprintf(stderr, "moravelle-artwork: %s\n", e.what());
    return 1;
  }
}
