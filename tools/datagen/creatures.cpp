// Microscopic life, drawn as translucent light-grey sprites (alpha carries the shape), and two
// plankton shells drawn as light on black. The descent shows the sprites only a dozen or two
// pixels across, so each organism is first a filled, softly glowing body with a brighter rim and
// wide limbs, which holds up when its mip-maps average it down; the fine anatomy is drawn over
// that as light for the scenes and moments that show it larger.
#include "tools/datagen/generators.h"

#include <algorithm>
#include <cmath>
#include <functional>

namespace {

struct Point {
    float x, y;
};

float length(float x, float y) { return std::sqrt(x * x + y * y); }

// Distance from p to the segment a-b.
float segmentDistance(Point p, Point a, Point b)
{
    const float px = p.x - a.x, py = p.y - a.y, bx = b.x - a.x, by = b.y - a.y;
    const float h = std::clamp((px * bx + py * by) / std::max(bx * bx + by * by, 1e-6f), 0.0f, 1.0f);
    return length(px - bx * h, py - by * h);
}

// Distance to a capsule whose radius changes from r0 at a to r1 at b (negative inside).
float taperedDistance(Point p, Point a, Point b, float r0, float r1)
{
    const float px = p.x - a.x, py = p.y - a.y, bx = b.x - a.x, by = b.y - a.y;
    const float h = std::clamp((px * bx + py * by) / std::max(bx * bx + by * by, 1e-6f), 0.0f, 1.0f);
    return length(px - bx * h, py - by * h) - mix(r0, r1, h);
}

// Union of two shapes with a rounded fillet of size k where they meet.
float smoothUnion(float a, float b, float k)
{
    const float h = std::clamp(0.5f + 0.5f * (b - a) / k, 0.0f, 1.0f);
    return mix(b, a, h) - k * h * (1.0f - h);
}

// Approximate signed distance to an ellipse (negative inside).
float ellipseDistance(Point p, Point c, float rx, float ry, float angle = 0.0f)
{
    const float cs = std::cos(angle), sn = std::sin(angle);
    const float dx = p.x - c.x, dy = p.y - c.y;
    const float x = dx * cs + dy * sn, y = -dx * sn + dy * cs;
    const float k = length(x / rx, y / ry);
    return (k - 1.0f) * std::min(rx, ry);
}

// Layers of a translucent sprite: how opaque it is and how bright, painted over each other.
class Canvas {
public:
    Field alpha, light;

    Canvas(int w, int h) : alpha(w, h), light(w, h) {}
    int width() const { return alpha.width; }
    int height() const { return alpha.height; }

    // Paints `opacity` at brightness `bright` wherever the signed distance is inside, with an
    // edge softened over about a pixel.
    void fill(const std::function<float(Point)>& distance, float opacity, float bright, Point lo, Point hi)
    {
        each(lo, hi, [&](int x, int y, Point p) { paint(x, y, opacity * coverage(distance(p)), bright); });
    }
    // A line of the given width along the zero of the distance.
    void stroke(const std::function<float(Point)>& distance, float width, float opacity, float bright, Point lo, Point hi)
    {
        each(lo, hi, [&](int x, int y, Point p) {
            paint(x, y, opacity * coverage(std::fabs(distance(p)) - width * 0.5f), bright);
        });
    }
    void line(Point a, Point b, float width, float opacity, float bright)
    {
        const float r = width * 0.5f + 2.0f;
        const Point lo{std::min(a.x, b.x) - r, std::min(a.y, b.y) - r}, hi{std::max(a.x, b.x) + r, std::max(a.y, b.y) + r};
        fill([&](Point p) { return segmentDistance(p, a, b) - width * 0.5f; }, opacity, bright, lo, hi);
    }
    void disc(Point c, float radius, float opacity, float bright)
    {
        const float r = radius + 2.0f;
        fill([&](Point p) { return length(p.x - c.x, p.y - c.y) - radius; }, opacity, bright, {c.x - r, c.y - r},
             {c.x + r, c.y + r});
    }
    void ring(Point c, float radius, float width, float opacity, float bright)
    {
        const float r = radius + width + 2.0f;
        stroke([&](Point p) { return length(p.x - c.x, p.y - c.y) - radius; }, width, opacity, bright,
               {c.x - r, c.y - r}, {c.x + r, c.y + r});
    }
    // A smooth polyline through the points, its width changing from w0 to w1. One shape, so a
    // translucent curve does not darken into beads where its pieces overlap.
    void curve(const std::vector<Point>& points, float w0, float w1, float opacity, float bright)
    {
        if (points.size() < 2)
            return;
        const size_t pieces = points.size() - 1;
        const auto width = [&](size_t i) { return mix(w0, w1, float(i) / float(pieces)); };
        Point lo = points[0], hi = points[0];
        for (const Point& p : points) {
            lo = {std::min(lo.x, p.x), std::min(lo.y, p.y)};
            hi = {std::max(hi.x, p.x), std::max(hi.y, p.y)};
        }
        const float r = std::max(w0, w1) * 0.5f + 2.0f;
        fill(
            [&](Point p) {
                float d = 1e9f;
                for (size_t i = 0; i < pieces; ++i)
                    d = std::min(d, taperedDistance(p, points[i], points[i + 1], width(i) * 0.5f, width(i + 1) * 0.5f));
                return d;
            },
            opacity, bright, {lo.x - r, lo.y - r}, {hi.x + r, hi.y + r});
    }
    // A glowing body: filled at `core` opacity and dimmer inside, rising to a fully opaque, bright
    // rim `rim` pixels wide at the outline.
    void glowBody(const std::function<float(Point)>& distance, float core, float rim, Point lo, Point hi)
    {
        each(lo, hi, [&](int x, int y, Point p) {
            const float d = distance(p);
            const float depth = smoothstep(0.0f, rim, -d);
            paint(x, y, coverage(d) * mix(1.0f, core, depth), mix(1.0f, 0.35f, depth));
        });
    }
    Point all() const { return {float(width()), float(height())}; }

    // Light grey everywhere (so filtering never pulls in a dark fringe), the shape in alpha,
    // wrapped in a soft halo of `haloOpacity` that also widens every thin line.
    Image finish(float baseGrey = 0.62f, float haloOpacity = 0.55f) const
    {
        Field halo = alpha;
        blurClamped(halo, 3.5f);
        Image image(width(), height());
        for (size_t i = 0; i < alpha.values.size(); ++i) {
            const float a = clamp01(alpha.values[i]);
            const float glow = haloOpacity * clamp01(halo.values[i] * 1.6f);
            const float out = std::max(a, glow);
            // Where the halo adds opacity it adds light: the glow is the brightest part.
            const float lit = out > 0.0f ? mix(clamp01(light.values[i]), 1.0f, (out - a) / out) : 0.0f;
            const float v = baseGrey + (1.0f - baseGrey) * lit;
            image.pixels[i] = {v * 0.97f, v, v, out};
        }
        return image;
    }

private:
    static float coverage(float d) { return clamp01(0.5f - d); }

    void paint(int x, int y, float a, float bright)
    {
        if (a <= 0.0f)
            return;
        float& da = alpha.at(x, y);
        float& dl = light.at(x, y);
        const float out = a + da * (1.0f - a);
        dl = out > 0.0f ? (bright * a + dl * da * (1.0f - a)) / out : 0.0f;
        da = out;
    }

    template <typename Visit>
    void each(Point lo, Point hi, Visit visit)
    {
        const int x0 = std::max(0, int(std::floor(lo.x))), x1 = std::min(width() - 1, int(std::ceil(hi.x)));
        const int y0 = std::max(0, int(std::floor(lo.y))), y1 = std::min(height() - 1, int(std::ceil(hi.y)));
        for (int y = y0; y <= y1; ++y)
            for (int x = x0; x <= x1; ++x)
                visit(x, y, Point{float(x) + 0.5f, float(y) + 0.5f});
    }
};

// Granular cytoplasm: faint mottling inside a shape.
void granules(Canvas& c, const std::function<float(Point)>& inside, uint32_t seed, float opacity)
{
    Rng rng(seed);
    const int count = c.width() * c.height() / 90;
    for (int i = 0; i < count; ++i) {
        const Point p{rng.range(0.0f, float(c.width())), rng.range(0.0f, float(c.height()))};
        if (inside(p) < -2.0f)
            c.disc(p, rng.range(0.5f, 1.3f), opacity * rng.range(0.4f, 1.0f), rng.range(0.3f, 0.9f));
    }
}

// Short hairs standing out of an outline, following its normal.
void cilia(Canvas& c, const std::function<float(Point)>& outline, const std::vector<Point>& roots, float reach,
           float bend, float opacity)
{
    for (size_t i = 0; i < roots.size(); ++i) {
        const Point r = roots[i];
        const float e = 0.7f;
        const float gx = outline({r.x + e, r.y}) - outline({r.x - e, r.y});
        const float gy = outline({r.x, r.y + e}) - outline({r.x, r.y - e});
        const float gl = std::max(length(gx, gy), 1e-5f);
        const float nx = gx / gl, ny = gy / gl;
        const float sway = bend * std::sin(float(i) * 0.7f);
        const Point mid{r.x + nx * reach * 0.5f - ny * sway, r.y + ny * reach * 0.5f + nx * sway};
        const Point tip{r.x + nx * reach - ny * sway * 2.2f, r.y + ny * reach + nx * sway * 2.2f};
        c.curve({r, mid, tip}, 2.4f, 1.4f, opacity, 0.9f);
    }
}

// Points spaced along the zero line of a closed outline around a centre.
std::vector<Point> outlinePoints(const std::function<float(Point)>& outline, Point centre, int count, float reach)
{
    std::vector<Point> points;
    for (int i = 0; i < count; ++i) {
        const float a = twoPi * float(i) / float(count);
        const float dx = std::cos(a), dy = std::sin(a);
        // March out from the centre to where the outline is crossed.
        float lo = 0.0f, hi = reach;
        for (int k = 0; k < 30; ++k) {
            const float m = 0.5f * (lo + hi);
            (outline({centre.x + dx * m, centre.y + dy * m}) < 0.0f ? lo : hi) = m;
        }
        points.push_back({centre.x + dx * lo, centre.y + dy * lo});
    }
    return points;
}

// A contractile vacuole: a bright ring with canals radiating from it.
void vacuoleStar(Canvas& c, Point p, float radius, int canals, float opacity)
{
    c.disc(p, radius, opacity * 0.25f, 1.0f);
    c.ring(p, radius, 1.2f, opacity, 1.0f);
    for (int k = 0; k < canals; ++k) {
        const float a = twoPi * float(k) / float(canals) + 0.3f;
        c.curve({{p.x + std::cos(a) * radius, p.y + std::sin(a) * radius},
                 {p.x + std::cos(a + 0.15f) * radius * 2.0f, p.y + std::sin(a + 0.15f) * radius * 2.0f},
                 {p.x + std::cos(a + 0.3f) * radius * 3.0f, p.y + std::sin(a + 0.3f) * radius * 3.0f}},
                1.3f, 0.6f, opacity * 0.6f, 0.9f);
    }
}

} // namespace

Image makeCiliate()
{
    // A slipper-shaped ciliate seen from the side: a fringe of cilia, an oral groove, a large
    // nucleus, food vacuoles and two star-shaped contractile vacuoles.
    Canvas c(256, 128);
    const Point centre{128.0f, 64.0f};
    const auto body = [&](Point p) {
        const float u = (p.x - centre.x) / 104.0f;
        // Blunter at the front (left), tapering gently to the back, with the oral groove.
        const float halfHeight = 42.0f * std::sqrt(std::max(0.0f, 1.0f - u * u)) * (1.0f - 0.12f * u);
        const float groove = 7.0f * std::exp(-std::pow((u + 0.05f) / 0.22f, 2.0f));
        const float top = centre.y - halfHeight + groove * 0.3f, bottom = centre.y + halfHeight - groove;
        const float dy = std::max(top - p.y, p.y - bottom);
        const float dx = std::fabs(p.x - centre.x) - 104.0f;
        return std::max(dy, dx);
    };
    const Point lo{0, 0}, hi = c.all();
    c.glowBody(body, 0.62f, 7.0f, lo, hi);
    granules(c, body, 71, 0.22f);
    c.fill([&](Point p) { return ellipseDistance(p, {122, 60}, 24, 15, 0.1f); }, 0.32f, 0.7f, lo, hi);
    c.stroke([&](Point p) { return ellipseDistance(p, {122, 60}, 24, 15, 0.1f); }, 1.2f, 0.45f, 0.9f, lo, hi);
    c.disc({146, 66}, 4.0f, 0.5f, 0.9f);
    Rng rng(72);
    for (int i = 0; i < 9; ++i) {
        const Point p{rng.range(60.0f, 200.0f), rng.range(48.0f, 82.0f)};
        if (body(p) > -9.0f || ellipseDistance(p, {122, 60}, 30, 20) < 0.0f)
            continue;
        const float r = rng.range(3.0f, 7.5f);
        c.disc(p, r, 0.22f, 0.9f);
        c.ring(p, r, 1.0f, 0.5f, 1.0f);
    }
    vacuoleStar(c, {62, 56}, 5.0f, 7, 0.6f);
    vacuoleStar(c, {194, 58}, 4.5f, 7, 0.6f);
    // The oral groove's funnel.
    c.curve({{112, 96}, {120, 86}, {126, 78}, {130, 74}}, 2.2f, 1.0f, 0.5f, 0.8f);
    c.stroke(body, 1.8f, 0.85f, 1.0f, lo, hi);
    cilia(c, body, outlinePoints(body, centre, 150, 126.0f), 9.0f, 0.9f, 0.7f);
    return c.finish();
}

Image makeStentor()
{
    // A bell-shaped, stalked ciliate (tall picture): a ring of cilia around the mouth, a curled
    // nucleus in the bell and a long coiled stalk.
    Canvas c(128, 256);
    const Point lo{0, 0}, hi = c.all();
    const float rimY = 28.0f, baseY = 128.0f;
    const auto bell = [&](Point p) {
        const float t = std::clamp((p.y - rimY) / (baseY - rimY), 0.0f, 1.0f);
        const float half = 52.0f * (1.0f - std::pow(t, 1.6f) * 0.88f) * (0.92f + 0.08f * std::sin(t * pi));
        const float dx = std::fabs(p.x - 64.0f) - half;
        const float dy = std::max(rimY - p.y, p.y - baseY);
        return std::max(dx, dy);
    };
    c.glowBody(bell, 0.62f, 7.0f, lo, hi);
    granules(c, bell, 81, 0.22f);
    // The horseshoe nucleus.
    std::vector<Point> horseshoe;
    for (int i = 0; i <= 16; ++i) {
        const float a = pi * (0.15f + 0.7f * float(i) / 16.0f);
        horseshoe.push_back({64.0f + std::cos(a) * 25.0f, 54.0f + std::sin(a) * 36.0f});
    }
    c.curve(horseshoe, 7.0f, 5.0f, 0.4f, 0.8f);
    vacuoleStar(c, {82, 48}, 4.0f, 6, 0.55f);
    c.disc({48, 84}, 5.0f, 0.2f, 0.9f);
    c.ring({48, 84}, 5.0f, 1.0f, 0.45f, 1.0f);
    c.disc({74, 102}, 3.5f, 0.2f, 0.9f);
    c.ring({74, 102}, 3.5f, 1.0f, 0.45f, 1.0f);
    // The rim (peristome) is a thick lip.
    c.fill([&](Point p) { return ellipseDistance(p, {64, rimY + 1.0f}, 54, 7); }, 0.6f, 0.9f, lo, hi);
    c.stroke(bell, 1.7f, 0.85f, 1.0f, lo, hi);
    // The mouth cilia curl up in a crown.
    for (int i = 0; i < 34; ++i) {
        const float s = float(i) / 33.0f * 2.0f - 1.0f;
        const Point root{64.0f + s * 50.0f, rimY - 2.0f + 2.0f * std::fabs(s)};
        const float lean = s * 7.0f;
        c.curve({root, {root.x + lean * 0.4f, root.y - 7.0f}, {root.x + lean, root.y - 12.0f - 3.0f * (1 - std::fabs(s))}},
                2.2f, 1.3f, 0.7f, 0.9f);
    }
    // The stalk: a fine coiled thread with its inner fibre.
    std::vector<Point> stalk;
    for (int i = 0; i <= 120; ++i) {
        const float t = float(i) / 120.0f;
        stalk.push_back({64.0f + 5.0f * std::sin(t * 30.0f) * (0.4f + 0.6f * t) + 6.0f * std::sin(t * 3.0f),
                         baseY - 2.0f + t * 116.0f});
    }
    c.curve(stalk, 8.0f, 5.5f, 0.85f, 0.9f);
    c.disc(stalk.back(), 5.0f, 0.85f, 0.9f);
    return c.finish();
}

Image makeDiatom()
{
    // A pennate diatom: a boat-shaped glass valve with a central line (raphe), a central
    // nodule and fine ribs across it.
    Canvas c(256, 128);
    const Point lo{0, 0}, hi = c.all();
    const Point centre{128, 64};
    const auto halfWidth = [](float u) {
        // Rostrate ends: the valve narrows into short beaks.
        const float w = std::sqrt(std::max(0.0f, 1.0f - u * u));
        return 34.0f * std::pow(w, 0.85f) * (1.0f - 0.25f * std::exp(-std::pow((std::fabs(u) - 0.88f) / 0.07f, 2.0f)));
    };
    const auto valve = [&](Point p) {
        const float u = (p.x - centre.x) / 118.0f;
        const float dy = std::fabs(p.y - centre.y) - halfWidth(std::clamp(u, -1.0f, 1.0f));
        const float dx = std::fabs(u) * 118.0f - 118.0f;
        return std::max(dy, dx);
    };
    c.glowBody(valve, 0.6f, 7.0f, lo, hi);
    // Striae: fine ribs radiating slightly from the middle.
    for (int i = -46; i <= 46; ++i) {
        if (std::abs(i) < 2)
            continue;
        const float x = centre.x + float(i) * 2.45f;
        const float u = (x - centre.x) / 118.0f;
        const float w = halfWidth(u) - 2.5f;
        if (w < 3.0f)
            continue;
        const float lean = u * 4.0f;
        for (int side : {-1, 1})
            c.line({x, centre.y + float(side) * 4.0f}, {x + lean, centre.y + float(side) * w}, 1.0f, 0.42f, 0.9f);
    }
    // Raphe, central nodule and the polar nodules.
    c.line({20, 64}, {121, 64}, 1.4f, 0.7f, 1.0f);
    c.line({135, 64}, {236, 64}, 1.4f, 0.7f, 1.0f);
    c.fill([&](Point p) { return ellipseDistance(p, centre, 7, 9); }, 0.55f, 1.0f, lo, hi);
    c.disc({16, 64}, 3.0f, 0.6f, 1.0f);
    c.disc({240, 64}, 3.0f, 0.6f, 1.0f);
    // Two chloroplast plates along the girdle, faint.
    c.fill([&](Point p) { return ellipseDistance(p, {128, 44}, 80, 6); }, 0.14f, 0.4f, lo, hi);
    c.fill([&](Point p) { return ellipseDistance(p, {128, 84}, 80, 6); }, 0.14f, 0.4f, lo, hi);
    c.stroke(valve, 2.2f, 0.9f, 1.0f, lo, hi);
    c.stroke([&](Point p) { return valve(p) + 4.0f; }, 1.0f, 0.35f, 0.9f, lo, hi);
    return c.finish();
}

Image makeCopepod()
{
    // A copepod from above: a segmented teardrop body, a slim tail with two bristled prongs, long
    // feathered antennae spread sideways, and the single eye.
    Canvas c(256, 256);
    const Point lo{0, 0}, hi = c.all();
    const float cx = 128.0f;
    const auto body = [&](Point p) { return ellipseDistance(p, {cx, 104}, 42, 72); };
    // Antennae first, so the body lies over their roots.
    for (int side : {-1, 1}) {
        std::vector<Point> antenna;
        for (int i = 0; i <= 24; ++i) {
            const float t = float(i) / 24.0f;
            antenna.push_back({cx + float(side) * (18.0f + t * 104.0f), 58.0f - 22.0f * std::sin(t * 1.4f) + t * t * 44.0f});
        }
        c.curve(antenna, 7.0f, 3.0f, 0.85f, 0.9f);
        for (size_t i = 3; i < antenna.size(); i += 2) {
            const Point a = antenna[i];
            c.line(a, {a.x + float(side) * 5.0f, a.y + 10.0f}, 1.6f, 0.6f, 0.9f);
        }
        // Feeding limbs and swimming legs along the underside.
        for (int k = 0; k < 4; ++k) {
            const float y = 104.0f + float(k) * 14.0f;
            c.curve({{cx + float(side) * 30.0f, y}, {cx + float(side) * 48.0f, y + 8.0f}, {cx + float(side) * 56.0f, y + 20.0f}},
                    4.5f, 2.0f, 0.7f, 0.85f);
        }
    }
    c.glowBody(body, 0.62f, 8.0f, lo, hi);
    granules(c, body, 91, 0.2f);
    // Gut and oil drop.
    c.curve({{cx, 62}, {cx + 4, 100}, {cx - 3, 140}, {cx, 172}}, 9.0f, 5.0f, 0.3f, 0.6f);
    c.disc({cx - 11, 112}, 8.0f, 0.4f, 1.0f);
    c.ring({cx - 11, 112}, 8.0f, 1.3f, 0.55f, 1.0f);
    // Segment lines across the body.
    for (int k = 0; k < 4; ++k) {
        const float y = 118.0f + float(k) * 13.0f;
        const float half = 42.0f * std::sqrt(std::max(0.0f, 1.0f - std::pow((y - 104.0f) / 72.0f, 2.0f)));
        c.curve({{cx - half + 1, y - 2}, {cx, y + 2}, {cx + half - 1, y - 2}}, 1.2f, 1.2f, 0.5f, 0.9f);
    }
    c.stroke(body, 1.8f, 0.85f, 1.0f, lo, hi);
    // The tail: three narrowing segments and the forked prongs with long bristles.
    float y = 170.0f, half = 14.0f;
    for (int k = 0; k < 3; ++k) {
        const auto seg = [&, y, half](Point p) { return ellipseDistance(p, {cx, y + 7.0f}, half, 9.5f); };
        c.glowBody(seg, 0.62f, 4.0f, lo, hi);
        c.stroke(seg, 1.5f, 0.8f, 1.0f, lo, hi);
        y += 15.0f;
        half *= 0.82f;
    }
    for (int side : {-1, 1}) {
        const Point base{cx + float(side) * 4.0f, y + 2.0f};
        const Point tip{cx + float(side) * 9.0f, y + 16.0f};
        c.line(base, tip, 5.0f, 0.85f, 1.0f);
        for (int k = 0; k < 3; ++k) {
            const float spread = float(side) * (4.0f + float(k) * 9.0f);
            c.curve({tip, {tip.x + spread * 0.5f, tip.y + 12.0f}, {tip.x + spread, tip.y + 26.0f - float(k) * 4.0f}}, 2.4f, 1.2f,
                    0.7f, 0.9f);
        }
    }
    // The eye.
    c.disc({cx, 42}, 6.0f, 0.9f, 1.0f);
    return c.finish();
}

Image makeMedusa()
{
    // A small hydromedusa: a clear domed bell, four radial canals with gonads, the mouth tube
    // hanging inside, and tentacles trailing from the rim.
    Canvas c(256, 256);
    const Point lo{0, 0}, hi = c.all();
    const float cx = 128.0f, rimY = 122.0f;
    const auto bell = [&](Point p) {
        const float dx = (p.x - cx) / 84.0f;
        const float top = rimY - 78.0f * std::pow(std::max(0.0f, 1.0f - dx * dx), 0.55f);
        const float dy = std::max(top - p.y, p.y - (rimY + 6.0f * (1.0f - dx * dx)));
        return std::max(dy, (std::fabs(dx) - 1.0f) * 84.0f);
    };
    // Tentacles behind the bell.
    Rng rng(31);
    for (int i = 0; i < 16; ++i) {
        const float s = float(i) / 15.0f * 2.0f - 1.0f;
        const Point root{cx + s * 80.0f, rimY + 5.0f * (1.0f - s * s)};
        const float len = rng.range(70.0f, 125.0f);
        const float phase = rng.range(0.0f, twoPi);
        std::vector<Point> t;
        for (int k = 0; k <= 20; ++k) {
            const float u = float(k) / 20.0f;
            t.push_back({root.x + s * 12.0f * u + std::sin(phase + u * 6.0f) * 7.0f * u, root.y + len * u});
        }
        c.curve(t, 5.0f, 2.0f, 0.7f, 0.9f);
    }
    c.glowBody(bell, 0.55f, 9.0f, lo, hi);
    // A brighter jelly layer along the top of the dome.
    c.stroke([&](Point p) { return bell(p) + 6.0f; }, 6.0f, 0.12f, 0.8f, lo, hi);
    // The mouth tube with its frilled lips.
    c.fill([&](Point p) { return ellipseDistance(p, {cx, 110}, 9, 30); }, 0.35f, 0.7f, lo, hi);
    for (int side : {-1, 0, 1})
        c.curve({{cx + float(side) * 4.0f, 136}, {cx + float(side) * 9.0f, 146}, {cx + float(side) * 6.0f, 154}}, 2.0f,
                1.0f, 0.5f, 0.9f);
    // Radial canals seen through the bell, each with a gonad.
    for (float s : {-0.78f, -0.28f, 0.28f, 0.78f}) {
        const Point top{cx + s * 12.0f, 52.0f};
        const Point rim{cx + s * 82.0f, rimY + 2.0f};
        const Point mid{cx + s * 58.0f, 72.0f};
        c.curve({top, mid, rim}, 1.6f, 1.6f, 0.55f, 1.0f);
        c.fill([&](Point p) { return ellipseDistance(p, mid, 8, 4, std::atan2(rim.y - top.y, rim.x - top.x)); }, 0.45f, 0.9f,
               lo, hi);
    }
    c.stroke(bell, 2.0f, 0.85f, 1.0f, lo, hi);
    // Ring canal and the velum along the rim, with small bulbs at the tentacle roots.
    c.line({cx - 82, rimY + 2}, {cx + 82, rimY + 2}, 2.2f, 0.7f, 1.0f);
    for (int i = 0; i < 16; ++i) {
        const float s = float(i) / 15.0f * 2.0f - 1.0f;
        c.disc({cx + s * 80.0f, rimY + 5.0f * (1.0f - s * s)}, 2.4f, 0.8f, 1.0f);
    }
    return c.finish();
}

Image makeSeahorse()
{
    // A seahorse in profile facing left: a crowned head with a long snout, the ringed belly and
    // the tail curling forward beneath it, with the small dorsal fin on the back.
    Canvas c(128, 256);
    const Point lo{0, 0}, hi = c.all();
    // Spine of the body from the crown down to the tail tip, with its half thickness.
    struct Knot {
        float x, y, r;
    };
    std::vector<Knot> spine;
    const Knot path[] = {{66, 30, 13}, {70, 44, 13}, {72, 58, 12.5f}, {66, 74, 15}, {62, 92, 20}, {64, 112, 22},
                         {68, 132, 20}, {70, 152, 15}, {68, 170, 11.5f}, {62, 186, 9}};
    for (const Knot& k : path)
        spine.push_back(k);
    // The tail curls forward into a spiral.
    const Point curlCentre{50, 204};
    for (int i = 0; i <= 24; ++i) {
        const float t = float(i) / 24.0f;
        const float a = -0.2f + t * 4.6f;
        const float radius = 20.0f * (1.0f - t * 0.75f);
        spine.push_back({curlCentre.x + std::cos(a) * radius, curlCentre.y - std::sin(a) * radius * -1.0f, 8.5f * (1.0f - t * 0.65f)});
    }
    const auto bodyDistance = [&](Point p) {
        float d = 1e9f;
        for (size_t i = 0; i + 1 < spine.size(); ++i) {
            const Point a{spine[i].x, spine[i].y}, b{spine[i + 1].x, spine[i + 1].y};
            const float bx = b.x - a.x, by = b.y - a.y;
            const float h = std::clamp(((p.x - a.x) * bx + (p.y - a.y) * by) / std::max(bx * bx + by * by, 1e-6f), 0.0f, 1.0f);
            const float r = mix(spine[i].r, spine[i + 1].r, h);
            d = std::min(d, length(p.x - a.x - bx * h, p.y - a.y - by * h) - r);
        }
        // The head: a deep skull tipped forward, and the long snout tapering to a small flared
        // mouth, all blended smoothly into each other.
        d = smoothUnion(d, ellipseDistance(p, {61, 34}, 16, 12.5f, 0.45f), 5.0f);
        d = smoothUnion(d, taperedDistance(p, {52, 39}, {17, 52}, 7.5f, 4.5f), 4.0f);
        d = smoothUnion(d, length(p.x - 16.0f, p.y - 52.5f) - 5.5f, 2.0f);
        // The belly's forward curve.
        d = smoothUnion(d, ellipseDistance(p, {56, 112}, 20, 30, 0.1f), 6.0f);
        // The crown.
        d = smoothUnion(d, taperedDistance(p, {65, 28}, {71, 13}, 5.0f, 2.6f), 3.0f);
        return d;
    };
    // The dorsal fin first, so the back lies over its root.
    const auto fin = [](Point p) { return ellipseDistance(p, {92, 121}, 10, 19, -0.2f); };
    c.glowBody(fin, 0.45f, 4.0f, lo, hi);
    for (int k = 0; k < 9; ++k) {
        const float y = 107.0f + float(k) * 4.5f;
        c.line({82.0f, y}, {100.0f + std::sin(float(k) * 0.4f) * 2.0f, y - 4.0f}, 1.6f, 0.6f, 1.0f);
    }
    c.glowBody(bodyDistance, 0.62f, 6.0f, lo, hi);
    granules(c, bodyDistance, 61, 0.15f);
    // Bony rings across the trunk and tail.
    for (size_t i = 1; i + 1 < spine.size(); ++i) {
        const float dx = spine[i + 1].x - spine[i - 1].x, dy = spine[i + 1].y - spine[i - 1].y;
        const float l = std::max(length(dx, dy), 1e-4f);
        const float nx = -dy / l, ny = dx / l, r = spine[i].r * 0.95f;
        c.line({spine[i].x - nx * r, spine[i].y - ny * r}, {spine[i].x + nx * r, spine[i].y + ny * r}, 1.1f, 0.45f, 0.95f);
        if (i % 2 == 0) {
            c.disc({spine[i].x + nx * r, spine[i].y + ny * r}, 1.8f, 0.7f, 1.0f);
            c.disc({spine[i].x - nx * r, spine[i].y - ny * r}, 1.8f, 0.7f, 1.0f);
        }
    }
    // Eye and the gill opening.
    c.disc({58, 36}, 4.5f, 0.85f, 1.0f);
    c.ring({58, 36}, 6.5f, 1.0f, 0.5f, 1.0f);
    c.curve({{70, 52}, {74, 58}, {72, 64}}, 1.4f, 1.0f, 0.5f, 1.0f);
    c.stroke(bodyDistance, 1.8f, 0.85f, 1.0f, lo, hi);
    return c.finish();
}

namespace {

// Shells glow on black: the canvas's opacity becomes light.
Image glowOnBlack(const Canvas& c, float gain)
{
    Image image(c.width(), c.height());
    Field halo = c.alpha;
    blurClamped(halo, 3.0f);
    for (size_t i = 0; i < image.pixels.size(); ++i) {
        const float v = clamp01(c.alpha.values[i] * (0.55f + 0.45f * c.light.values[i]) * gain + halo.values[i] * 0.25f);
        image.pixels[i] = rgb(v * 0.96f, v, v * 0.97f);
    }
    return image;
}

} // namespace

Image makeRadiolarian()
{
    // A spherical radiolarian: a latticed glass ball with round pores, a smaller inner sphere
    // and long tapering spines.
    Canvas c(256, 256);
    const Point centre{128, 128};
    const float radius = 74.0f;
    Rng rng(401);
    for (int k = 0; k < 14; ++k) {
        const float a = twoPi * float(k) / 14.0f + rng.range(-0.12f, 0.12f);
        const float reach = rng.range(108.0f, 124.0f);
        const Point from{centre.x + std::cos(a) * radius * 0.9f, centre.y + std::sin(a) * radius * 0.9f};
        const Point to{centre.x + std::cos(a) * reach, centre.y + std::sin(a) * reach};
        c.curve({from, {mix(from.x, to.x, 0.5f), mix(from.y, to.y, 0.5f)}, to}, 4.0f, 0.8f, 0.9f, 1.0f);
    }
    // The lattice: a hexagonal net of round pores wrapped over the visible hemisphere, so the
    // pores crowd and narrow towards the rim. Each pixel is mapped back onto the flat net.
    const float spacing = 13.0f;
    for (int y = 0; y < c.height(); ++y)
        for (int x = 0; x < c.width(); ++x) {
            const float dx = float(x) + 0.5f - centre.x, dy = float(y) + 0.5f - centre.y;
            const float r = length(dx, dy);
            if (r >= radius + 1.0f)
                continue;
            const float theta = std::asin(std::min(r / radius, 1.0f));
            const float flat = theta / (pi * 0.5f) * radius * 1.5f;
            const float gx = r > 0.0f ? dx / r * flat : 0.0f, gy = r > 0.0f ? dy / r * flat : 0.0f;
            // Nearest centre of the hexagonal net.
            const float row = std::round(gy / (spacing * 0.866f));
            float best = 1e9f;
            for (float jr = row - 1.0f; jr <= row + 1.0f; jr += 1.0f) {
                const float sh = std::fmod(std::fabs(jr), 2.0f) > 0.5f ? 0.5f : 0.0f;
                const float col = std::round(gx / spacing - sh);
                for (float ic = col - 1.0f; ic <= col + 1.0f; ic += 1.0f)
                    best = std::min(best, length(gx - (ic + sh) * spacing, gy - jr * spacing * 0.866f));
            }
            const float bar = smoothstep(3.6f, 5.4f, best);
            const float edge = std::pow(r / radius, 3.0f);
            const float inside = clamp01(radius + 0.5f - r);
            const float a = inside * (0.12f + bar * (0.55f + 0.4f * edge));
            c.alpha.at(x, y) = std::max(c.alpha.at(x, y), a);
            c.light.at(x, y) = std::max(c.light.at(x, y), 0.6f + 0.4f * bar);
        }
    // The rim is brighter, as a glass sphere is at its edge; the inner sphere shows through.
    c.ring(centre, radius, 3.0f, 0.9f, 1.0f);
    c.ring(centre, radius * 0.45f, 2.0f, 0.35f, 1.0f);
    c.disc(centre, radius * 0.2f, 0.3f, 1.0f);
    return glowOnBlack(c, 1.0f);
}

Image makeCentricDiatom()
{
    // A centric diatom valve: a disc of radial ribs with rows of pores between them, a rosette
    // at the centre and a beaded margin.
    Canvas c(256, 256);
    const Point lo{0, 0}, hi = c.all();
    const Point centre{128, 128};
    const float radius = 104.0f;
    c.fill([&](Point p) { return length(p.x - centre.x, p.y - centre.y) - radius; }, 0.1f, 0.2f, lo, hi);
    const int ribs = 36;
    for (int k = 0; k < ribs; ++k) {
        const float a = twoPi * float(k) / float(ribs);
        const float inner = (k % 3 == 0) ? 14.0f : 30.0f;
        c.line({centre.x + std::cos(a) * inner, centre.y + std::sin(a) * inner},
               {centre.x + std::cos(a) * (radius - 6.0f), centre.y + std::sin(a) * (radius - 6.0f)}, 1.8f, 0.8f, 1.0f);
        // Pores between this rib and the next, more of them further out.
        const float between = a + pi / float(ribs);
        for (float r = 36.0f; r < radius - 10.0f; r += 6.5f) {
            const int across = 1 + int(r / 40.0f);
            for (int m = 0; m < across; ++m) {
                const float offset = (float(m) - float(across - 1) * 0.5f) * (twoPi / float(ribs) / float(across + 1));
                const Point p{centre.x + std::cos(between + offset) * r, centre.y + std::sin(between + offset) * r};
                c.disc(p, 1.3f + r * 0.006f, 0.55f, 0.9f);
            }
        }
    }
    // Central rosette and the hyaline ring around it.
    for (int k = 0; k < 8; ++k) {
        const float a = twoPi * float(k) / 8.0f;
        c.disc({centre.x + std::cos(a) * 7.0f, centre.y + std::sin(a) * 7.0f}, 2.6f, 0.7f, 1.0f);
    }
    c.ring(centre, 14.0f, 1.4f, 0.6f, 1.0f);
    c.ring(centre, 30.0f, 1.0f, 0.35f, 1.0f);
    // The margin: a bright band with beads and tiny spines.
    c.ring(centre, radius - 3.0f, 4.0f, 0.9f, 1.0f);
    for (int k = 0; k < 72; ++k) {
        const float a = twoPi * float(k) / 72.0f;
        c.disc({centre.x + std::cos(a) * (radius - 9.0f), centre.y + std::sin(a) * (radius - 9.0f)}, 1.5f, 0.7f, 1.0f);
        if (k % 6 == 0)
            c.line({centre.x + std::cos(a) * radius, centre.y + std::sin(a) * radius},
                   {centre.x + std::cos(a) * (radius + 9.0f), centre.y + std::sin(a) * (radius + 9.0f)}, 1.6f, 0.8f, 1.0f);
    }
    return glowOnBlack(c, 1.0f);
}
