// A review sheet: every image of the archive as a thumbnail with its name, alpha shown over a
// checkerboard.
#include "tools/datagen/contact_sheet.h"
#include "tools/datagen/image.h"
#include "tools/datagen/text.h"

#include <algorithm>

namespace {

constexpr int cell = 168;      // thumbnail box
constexpr int labelHeight = 18;
constexpr int margin = 8;
constexpr int columns = 8;

bool isImageName(const std::string& name)
{
    const auto ends = [&](const char* suffix) {
        const std::string s = suffix;
        return name.size() >= s.size() && name.compare(name.size() - s.size(), s.size(), s) == 0;
    };
    return ends(".png") || ends(".jpg");
}

Image imageFromBytes(int width, int height, const std::vector<uint8_t>& rgba)
{
    Image image(width, height);
    for (size_t i = 0; i < image.pixels.size(); ++i)
        image.pixels[i] = {rgba[i * 4] / 255.0f, rgba[i * 4 + 1] / 255.0f, rgba[i * 4 + 2] / 255.0f,
                           rgba[i * 4 + 3] / 255.0f};
    return image;
}

} // namespace

bool writeContactSheet(const std::vector<PakFile>& files, const std::string& path, std::string& error)
{
    std::vector<const PakFile*> images;
    for (const PakFile& file : files)
        if (isImageName(file.name))
            images.push_back(&file);
    const int rows = std::max(1, int(images.size() + columns - 1) / columns);
    const int pitchX = cell + margin, pitchY = cell + labelHeight + margin;
    Image sheet(margin + columns * pitchX, margin + rows * pitchY, rgb(0.13f, 0.13f, 0.15f));
    Field labels(sheet.width, sheet.height);
    const TextStyle labelStyle{"DejaVuSans.ttf", 12.0f, 0.0f};

    for (size_t n = 0; n < images.size(); ++n) {
        const PakFile& file = *images[n];
        int width = 0, height = 0;
        std::vector<uint8_t> rgba;
        if (!decodeImage(file.bytes, width, height, rgba)) {
            error = file.name + " does not decode";
            return false;
        }
        const float scale = std::min(float(cell) / float(width), float(cell) / float(height));
        const int tw = std::max(1, int(float(width) * scale)), th = std::max(1, int(float(height) * scale));
        const Image thumb = resizeBox(imageFromBytes(width, height, rgba), tw, th);
        const int left = margin + int(n % columns) * pitchX + (cell - tw) / 2;
        const int top = margin + int(n / columns) * pitchY + (cell - th) / 2;
        for (int y = 0; y < th; ++y)
            for (int x = 0; x < tw; ++x) {
                const bool light = ((x / 8) + (y / 8)) % 2 == 0;
                const Color checker = grey(light ? 0.42f : 0.30f);
                const Color& c = thumb.at(x, y);
                Color out = mix(checker, c, c.a);
                out.a = 1.0f;
                sheet.at(left + x, top + y) = out;
            }
        const float centreX = float(margin + int(n % columns) * pitchX) + float(cell) * 0.5f;
        const float baseline = float(margin + int(n / columns) * pitchY + cell + 13);
        drawTextCentred(labels, labelStyle, file.name, centreX, baseline);
    }
    for (size_t i = 0; i < sheet.pixels.size(); ++i)
        sheet.pixels[i] = mix(sheet.pixels[i], rgb(0.9f, 0.9f, 0.85f), labels.values[i]);
    return writeFileAtomically(path, encodePng(sheet, false), error);
}
