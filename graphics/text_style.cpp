#include "graphics/text_style.h"

#include <cstring>


TextStyle MakeTextStyle(const char* face, int size, Colour colour, int style, int alignment) {
  TextStyle result;
  std::strncpy(result.face, face != nullptr ? face : "", kFontFaceSize - 1);
  result.face[kFontFaceSize - 1] = '\0';
  result.size = size;
  result.colour = colour;
  result.style = style;
  result.alignment = alignment;
  return result;
}
