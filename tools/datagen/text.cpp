#include "tools/datagen/text.h"

#include <ft2build.h>
#include FT_FREETYPE_H

#include <algorithm>
#include <cmath>
#include <cstdio>
#include <cstdlib>
#include <map>

namespace {

const char* const fontFolder = "/usr/share/fonts/truetype/dejavu/";

[[noreturn]] void fail(const std::string& what)
{
    std::fprintf(stderr, "orvalune-datagen: %s (install fonts-dejavu-core)\n", what.c_str());
    std::exit(1);
}

FT_Face faceFor(const TextStyle& style)
{
    static FT_Library library = nullptr;
    static std::map<std::string, FT_Face> faces;
    if (!library && FT_Init_FreeType(&library))
        fail("cannot start FreeType");
    auto found = faces.find(style.font);
    FT_Face face = nullptr;
    if (found != faces.end())
        face = found->second;
    else {
        const std::string path = fontFolder + style.font;
        if (FT_New_Face(library, path.c_str(), 0, &face))
            fail("cannot load the font " + path);
        faces[style.font] = face;
    }
    FT_Set_Char_Size(face, 0, FT_F26Dot6(std::lround(style.pixelSize * 64.0f)), 72, 72);
    return face;
}

std::vector<uint32_t> decodeUtf8(const std::string& text)
{
    std::vector<uint32_t> codes;
    for (size_t i = 0; i < text.size();) {
        const auto c = static_cast<unsigned char>(text[i]);
        int extra = c >= 0xF0 ? 3 : c >= 0xE0 ? 2 : c >= 0xC0 ? 1 : 0;
        uint32_t code = extra ? c & (0x3F >> extra) : c;
        ++i;
        for (; extra > 0 && i < text.size(); --extra, ++i)
            code = (code << 6) | (static_cast<unsigned char>(text[i]) & 0x3F);
        codes.push_back(code);
    }
    return codes;
}

// Walks the line, calling visit(glyph index, pen x in pixels) for each letter.
template <typename Visit>
float layout(FT_Face face, const TextStyle& style, const std::string& text, Visit visit)
{
    float pen = 0.0f;
    FT_UInt previous = 0;
    for (uint32_t code : decodeUtf8(text)) {
        const FT_UInt glyph = FT_Get_Char_Index(face, code);
        if (previous && glyph && FT_HAS_KERNING(face)) {
            FT_Vector kern;
            if (!FT_Get_Kerning(face, previous, glyph, FT_KERNING_UNFITTED, &kern))
                pen += float(kern.x) / 64.0f * style.squeeze;
        }
        visit(glyph, pen);
        if (!FT_Load_Glyph(face, glyph, FT_LOAD_NO_HINTING))
            pen += float(face->glyph->advance.x) / 64.0f * style.squeeze + style.tracking;
        previous = glyph;
    }
    return pen - (text.empty() ? 0.0f : style.tracking);
}

} // namespace

float textWidth(const TextStyle& style, const std::string& text)
{
    FT_Face face = faceFor(style);
    return layout(face, style, text, [](FT_UInt, float) {});
}

void drawText(Field& mask, const TextStyle& style, const std::string& text, float x, float baseline)
{
    FT_Face face = faceFor(style);
    layout(face, style, text, [&](FT_UInt glyph, float pen) {
        // Sub-pixel placement: shift the outline by the fraction before rendering.
        const float gx = x + pen;
        const float whole = std::floor(gx), fraction = gx - whole;
        FT_Vector delta{FT_Pos(std::lround(fraction * 64.0f)), 0};
        FT_Matrix squeeze{FT_Fixed(std::lround(style.squeeze * 65536.0f)), 0, 0, 0x10000};
        FT_Set_Transform(face, &squeeze, &delta);
        if (FT_Load_Glyph(face, glyph, FT_LOAD_NO_HINTING | FT_LOAD_RENDER)) {
            FT_Set_Transform(face, nullptr, nullptr);
            return;
        }
        FT_Set_Transform(face, nullptr, nullptr);
        const FT_GlyphSlot slot = face->glyph;
        const FT_Bitmap& bitmap = slot->bitmap;
        const int left = int(whole) + slot->bitmap_left;
        const int top = int(std::lround(baseline)) - slot->bitmap_top;
        for (unsigned row = 0; row < bitmap.rows; ++row)
            for (unsigned col = 0; col < bitmap.width; ++col) {
                const int px = left + int(col), py = top + int(row);
                if (px < 0 || py < 0 || px >= mask.width || py >= mask.height)
                    continue;
                const float v = float(bitmap.buffer[row * unsigned(bitmap.pitch) + col]) / 255.0f;
                mask.at(px, py) = std::max(mask.at(px, py), v);
            }
    });
}

void drawTextCentred(Field& mask, const TextStyle& style, const std::string& text, float centreX, float baseline)
{
    drawText(mask, style, text, centreX - textWidth(style, text) * 0.5f, baseline);
}
