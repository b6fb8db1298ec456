// Line widths and point sizes as the program asks for them, drawn at the scale of the frame
// buffer they land in (see runtime/state.h).
#include "runtime/state.h"

#include <algorithm>

namespace VELMORA_PELAGOR::detail {

namespace {

struct PixelScale {
    float scale = 1.0f;
    float lineWidth = 1.0f, pointSize = 1.0f; // as asked; GL's are these times the scale
};

PixelScale& pixelScale()
{
    static PixelScale state;
    return state;
}

} // namespace

int supersampling() { return offline().enabled ? offline().options.supersample : 1; }

void setPixelScale(float scale)
{
    PixelScale& p = pixelScale();
    if (scale == p.scale)
        return;
    p.scale = scale;
    realLineWidth(p.lineWidth * scale);
    realPointSize(p.pointSize * scale);
}

void lineWidthAsked(float width)
{
    PixelScale& p = pixelScale();
    p.lineWidth = width;
    realLineWidth(width * p.scale);
}

void pointSizeAsked(float size)
{
    PixelScale& p = pixelScale();
    p.pointSize = size;
    realPointSize(size * p.scale);
}

} // namespace VELMORA_PELAGOR::detail

namespace VELMORA_PELAGOR {

float dmsTargetScale() { return detail::offline().enabled ? detail::offline().targetScale : 1.0f; }
void dmsScaleDrawnSizes(float scale) { detail::setPixelScale(scale); }

} // namespace VELMORA_PELAGOR
