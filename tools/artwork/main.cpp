// moravelle-artwork: draws the editor's images.
//
//   moravelle-artwork FOLDER                 writes every pa_*.png into FOLDER
//   moravelle-artwork --preview FILE [--lit] [--crop X,Y,W,H,SCALE]
//                                            composes them as the editor shows them
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
               "       moravelle-artwork --preview FILE [--lit] [--crop X,Y,W,H,SCALE]\n"
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

// An enlarged part of a surface, over mid grey so that shadows and highlights both show.
Canvas Magnify(cairo_surface_t* source, int x, int y, int w, int h, int scale) {
  Canvas out(w * scale, h * scale);
  cairo_t* cr = out.Cr();
  cairo_set_source_rgb(cr, 0.45, 0.46, 0.48);
  cairo_paint(cr);
  cairo_scale(cr, scale, scale);
  cairo_set_source_surface(cr, source, -x, -y);
  cairo_pattern_set_filter(cairo_get_source(cr), CAIRO_FILTER_NEAREST);
  cairo_paint(cr);
  return out;
}

int WriteZoom(std::vector<ArtImage>& images, int id, int frame, const std::string& path) {
  ArtImage* image = FindImage(images, id);
  if (!image || frame < 0 || frame >= image->frames) {
    std::fprintf(stderr, "moravelle-artwork: no image %d with a frame %d\n", id, frame + 1);
    return 1;
  }
  const int frameHeight = image->height / image->frames;
  Canvas zoom = Magnify(image->canvas.Surface(), 0, frame * frameHeight, image->width, frameHeight, 8);
  return WritePng(zoom, path) ? 0 : 1;
}

int WritePreview(const FontBook& fonts, std::vector<ArtImage>& images, const std::vector<std::string>& options,
                 const std::string& path) {
  bool lit = false;
  int crop[5] = {0, 0, 1000, 530, 1};
  for (size_t i = 0; i < options.size(); ++i) {
    if (options[i] == "--lit") lit = true;
    else if (options[i] == "--crop" && i + 1 < options.size() &&
             std::sscanf(options[++i].c_str(), "%d,%d,%d,%d,%d", &crop[0], &crop[1], &crop[2], &crop[3], &crop[4]) == 5)
      continue;
    else return Usage();
  }
  Canvas preview = ComposePreview(fonts, images, lit);
  if (crop[4] == 1 && crop[2] == 1000 && crop[3] == 530) return WritePng(preview, path) ? 0 : 1;
  Canvas part = Magnify(preview.Surface(), crop[0], crop[1], crop[2], crop[3], crop[4]);
  return WritePng(part, path) ? 0 : 1;
}

int Run(int argc, char** argv) {
  std::vector<std::string> args(argv + 1, argv + argc);
  if (args.empty()) return Usage();
  FontBook fonts;  // outlives every canvas below: they may hold its faces
  int result = 0;
  {
    std::vector<ArtImage> images = DrawAllImages(fonts);
    if (args[0] == "--preview" && args.size() >= 2) {
      result = WritePreview(fonts, images, std::vector<std::string>(args.begin() + 2, args.end()), args[1]);
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
