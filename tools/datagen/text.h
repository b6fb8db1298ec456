// Text for the pictures, drawn with FreeType from the DejaVu fonts into coverage fields.
#pragma once

#include "tools/datagen/image.h"

#include <string>

struct TextStyle {
    std::string font; // file name inside the DejaVu folder, e.g. "DejaVuSerif.ttf"
    float pixelSize = 32.0f;
    float tracking = 0.0f; // extra space after every letter, in pixels
    float squeeze = 1.0f;  // horizontal scale of the letters, for pictures shown stretched wide
};

// Advance width of a line of text (UTF-8).
float textWidth(const TextStyle& style, const std::string& text);
// Adds the line's coverage to mask (keeping the larger value) with its baseline at y and its
// left end at x. A font that cannot be loaded ends the generator with a message naming it.
void drawText(Field& mask, const TextStyle& style, const std::string& text, float x, float baseline);
void drawTextCentred(Field& mask, const TextStyle& style, const std::string& text, float centreX, float baseline);
