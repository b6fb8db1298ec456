// The three meshes: the swimming fish, the push scene's enclosing shell and the spray scene's
// octopus. Each is built from closed parts whose faces wind counter-clockwise seen from
// outside, with outward face normals; the fish is turned inside out in winding only, because its
// scene culls front faces.
#include "tools/datagen/generators.h"

#include <algorithm>
#include <cmath>
#include <functional>

namespace {

Vector3 cross(const Vector3& a, const Vector3& b) { return a.crossProduct(b); }
float dot(const Vector3& a, const Vector3& b) { return a.dotProduct(b); }
Vector3 unit(Vector3 v)
{
    const float l = v.length();
    return l > 0.0f ? v / l : Vector3(0, 0, 0);
}

class MeshBuilder {
public:
    T3D mesh;

    uint32_t vertex(const Vector3& p, float u, float v)
    {
        T3DVertex out;
        out.position = p;
        out.u = u;
        out.v = v;
        mesh.vertices.push_back(out);
        return uint32_t(mesh.vertices.size() - 1);
    }

    void triangle(uint32_t a, uint32_t b, uint32_t c)
    {
        // Slivers with no area would carry no usable normal; that includes the ones a pole of a
        // grid leaves, whose points differ only by rounding.
        const Vector3 &pa = mesh.vertices[a].position, &pb = mesh.vertices[b].position, &pc = mesh.vertices[c].position;
        const Vector3 n = cross(pb - pa, pc - pa);
        const float longest = std::max({(pb - pa).length(), (pc - pb).length(), (pa - pc).length()});
        if (!(n.length() >= 1e-4f * longest * longest) || !(n.length() >= 1e-7f))
            return;
        T3DFace f;
        f.a = a;
        f.b = b;
        f.c = c;
        mesh.faces.push_back(f);
    }

    void quad(uint32_t a, uint32_t b, uint32_t c, uint32_t d)
    {
        triangle(a, b, c);
        triangle(a, c, d);
    }

    // Everything added after beginPart forms one closed part; endPart turns its faces so that
    // the enclosed volume is positive (outward winding).
    void beginPart() { partStart = mesh.faces.size(); }
    void endPart()
    {
        double volume = 0.0;
        for (size_t i = partStart; i < mesh.faces.size(); ++i) {
            const T3DFace& f = mesh.faces[i];
            const Vector3 &a = mesh.vertices[f.a].position, &b = mesh.vertices[f.b].position,
                          &c = mesh.vertices[f.c].position;
            volume += double(dot(a, cross(b, c)));
        }
        if (volume < 0.0)
            for (size_t i = partStart; i < mesh.faces.size(); ++i)
                std::swap(mesh.faces[i].b, mesh.faces[i].c);
    }

    // A grid of rows x (columns + 1) points. Returns the index of point (row, column) through
    // `at`. When `closed`, the columns wrap around: the last column repeats the first one's
    // positions (with its own texture coordinates, so they can run from 0 to 1); otherwise it is
    // an edge of its own.
    struct Grid {
        int rows, columns;
        uint32_t first;
        uint32_t at(int r, int c) const { return first + uint32_t(r * (columns + 1) + c); }
    };
    Grid grid(int rows, int columns, const std::function<Vector3(int, int)>& position,
              const std::function<std::pair<float, float>(int, int)>& uv, bool closed = true)
    {
        Grid g{rows, columns, uint32_t(mesh.vertices.size())};
        for (int r = 0; r < rows; ++r)
            for (int c = 0; c <= columns; ++c) {
                const auto [u, v] = uv(r, c);
                vertex(position(r, closed && c == columns ? 0 : c), u, v);
            }
        for (int r = 0; r + 1 < rows; ++r)
            for (int c = 0; c < columns; ++c)
                quad(g.at(r, c), g.at(r, c + 1), g.at(r + 1, c + 1), g.at(r + 1, c));
        return g;
    }

    // Closes a ring of the grid (row r, an end row) with a fan around a point, turned to face
    // away from the rest of the grid.
    void cap(const Grid& g, int r, const Vector3& centre, float u, float v)
    {
        const uint32_t mid = vertex(centre, u, v);
        const int inner = r == 0 ? 1 : r - 1;
        Vector3 ringCentre, innerCentre;
        for (int c = 0; c < g.columns; ++c) {
            ringCentre += mesh.vertices[g.at(r, c)].position;
            innerCentre += mesh.vertices[g.at(inner, c)].position;
        }
        const Vector3 away = (ringCentre - innerCentre) / float(g.columns);
        const Vector3 p0 = mesh.vertices[g.at(r, 0)].position, p1 = mesh.vertices[g.at(r, 1)].position;
        const bool forward = dot(cross(p1 - centre, p0 - centre), away) > 0.0f;
        for (int c = 0; c < g.columns; ++c) {
            if (forward)
                triangle(mid, g.at(r, c + 1), g.at(r, c));
            else
                triangle(mid, g.at(r, c), g.at(r, c + 1));
        }
    }

    // Finishes the mesh: drops the points no face uses (a grid's poles leave some), then unit
    // face normals from the winding, vertex normals averaged.
    T3D finish(bool reverseWinding)
    {
        std::vector<uint32_t> renumbered(mesh.vertices.size(), ~0u);
        std::vector<T3DVertex> used;
        for (T3DFace& f : mesh.faces)
            for (uint32_t* index : {&f.a, &f.b, &f.c}) {
                if (renumbered[*index] == ~0u) {
                    renumbered[*index] = uint32_t(used.size());
                    used.push_back(mesh.vertices[*index]);
                }
                *index = renumbered[*index];
            }
        mesh.vertices = std::move(used);
        std::vector<Vector3> sums(mesh.vertices.size());
        for (T3DFace& f : mesh.faces) {
            const Vector3 &a = mesh.vertices[f.a].position, &b = mesh.vertices[f.b].position,
                          &c = mesh.vertices[f.c].position;
            const Vector3 n = cross(b - a, c - a);
            f.normal = unit(n);
            sums[f.a] += n;
            sums[f.b] += n;
            sums[f.c] += n;
            if (reverseWinding)
                std::swap(f.b, f.c);
        }
        for (size_t i = 0; i < sums.size(); ++i)
            mesh.vertices[i].normal = unit(sums[i]);
        return mesh;
    }

private:
    size_t partStart = 0;
};

// A thin closed plate: `position(i, j)` gives the mid-surface on an (rows x columns) grid and
// `thickness(i, j)` the half thickness along `side`. Top, bottom and the four rims are all built,
// so the plate is solid from every side.
void addPlate(MeshBuilder& b, int rows, int columns, const std::function<Vector3(int, int)>& position,
              const std::function<float(int, int)>& thickness, const Vector3& side,
              const std::function<std::pair<float, float>(int, int)>& uv)
{
    b.beginPart();
    std::vector<uint32_t> top, bottom;
    for (int i = 0; i < rows; ++i)
        for (int j = 0; j < columns; ++j) {
            const Vector3 p = position(i, j);
            const Vector3 off = side * thickness(i, j);
            const auto [u, v] = uv(i, j);
            top.push_back(b.vertex(p + off, u, v));
            bottom.push_back(b.vertex(p - off, u, v));
        }
    const auto at = [&](const std::vector<uint32_t>& s, int i, int j) { return s[size_t(i * columns + j)]; };
    for (int i = 0; i + 1 < rows; ++i)
        for (int j = 0; j + 1 < columns; ++j) {
            b.quad(at(top, i, j), at(top, i + 1, j), at(top, i + 1, j + 1), at(top, i, j + 1));
            b.quad(at(bottom, i, j), at(bottom, i, j + 1), at(bottom, i + 1, j + 1), at(bottom, i + 1, j));
        }
    for (int i = 0; i + 1 < rows; ++i) {
        b.quad(at(top, i, 0), at(bottom, i, 0), at(bottom, i + 1, 0), at(top, i + 1, 0));
        b.quad(at(top, i, columns - 1), at(top, i + 1, columns - 1), at(bottom, i + 1, columns - 1),
               at(bottom, i, columns - 1));
    }
    for (int j = 0; j + 1 < columns; ++j) {
        b.quad(at(top, 0, j), at(top, 0, j + 1), at(bottom, 0, j + 1), at(bottom, 0, j));
        b.quad(at(top, rows - 1, j), at(bottom, rows - 1, j), at(bottom, rows - 1, j + 1), at(top, rows - 1, j + 1));
    }
    b.endPart();
}

// ---- The fish -------------------------------------------------------------------------------
//
// The fish scene draws the mesh flat-shaded, one normal per face, with its front faces culled,
// and bends it by x. Its surface is dense enough (64 facets around, 100 stations along) that the
// facets read as a smooth body. The texture coordinates say what each point is, for the fish's
// program: u runs along the fish (0 at the snout, 1 at the tail's tip); v is 0 .. 1 on the body
// from the belly's midline to the back's, 2 + d on a fin (d from 0 where it leaves the body to 1
// at its edge) and 4 + a on an eye (a from 0 at the pupil's centre to 1 behind the eye).
// Every fin starts a few units under the skin, and thins towards its ends while still under it,
// so it grows out of the body with no gap and no sliver of its edge showing.

constexpr float snoutX = -46.0f;
constexpr float peduncleX = 262.0f;

struct BodySection {
    float centreY, halfHeight, halfWidth;
};

// The body's outline along its length: a rounded snout, deepest a third of the way back, then
// tapering to a slim tail stalk.
BodySection bodyAt(float x)
{
    const float s = std::clamp((x - snoutX) / (peduncleX - snoutX), 0.0f, 1.0f);
    const float deepest = 0.3f, maxHalf = 30.0f, stalk = 5.5f / maxHalf;
    float g;
    if (s < deepest)
        g = std::pow(std::sin(s / deepest * pi * 0.5f), 0.75f);
    else
        g = stalk + (1.0f - stalk) * std::pow(std::max(0.0f, std::cos((s - deepest) / (1.0f - deepest) * pi * 0.5f)), 1.35f);
    const float half = maxHalf * g;
    const float centre = 1.8f * std::sin(pi * s) - 2.0f * (1.0f - s) * (1.0f - s);
    const float width = half * (0.5f - 0.14f * s);
    return {centre, half, width};
}

// The body's surface at angle phi around the length axis (pi / 2 on the back's midline).
Vector3 bodyPoint(float x, float phi)
{
    const BodySection sec = bodyAt(x);
    const float sy = std::sin(phi), cz = std::cos(phi);
    // Laterally flattened, with a keel along the back and a fuller belly.
    const float y = sec.centreY + sec.halfHeight * sy * (sy > 0 ? 1.0f : 0.92f);
    const float z = sec.halfWidth * cz * (1.0f - 0.22f * sy * sy);
    // The gill cover's edge: a slight step behind the head.
    const float gill = 0.9f * std::exp(-std::pow((x - 6.0f + 0.15f * y) / 2.2f, 2.0f)) * (1.0f - sy * sy);
    return Vector3(x, y, z - (z >= 0 ? 1.0f : -1.0f) * gill);
}

// The point of the body's surface at height y on the side `side` (+1 or -1 in z).
Vector3 flankPoint(float x, float y, float side)
{
    float lo = -pi * 0.5f, hi = pi * 0.5f; // y grows with the angle on the +z side
    for (int i = 0; i < 40; ++i) {
        const float mid = 0.5f * (lo + hi);
        (bodyPoint(x, mid).y < y ? lo : hi) = mid;
    }
    const Vector3 p = bodyPoint(x, 0.5f * (lo + hi));
    return Vector3(p.x, p.y, side * p.z);
}

constexpr float fishLength = 376.0f;
float fishU(float x) { return std::clamp((x - snoutX) / fishLength, 0.0f, 1.0f); }

void addFishBody(MeshBuilder& b)
{
    const int stations = 100, around = 64;
    const float startX = snoutX + 0.6f;
    b.beginPart();
    const auto stationX = [&](int r) {
        // Stations crowd towards the snout, where the shape turns fastest.
        const float t = float(r) / float(stations - 1);
        return startX + (peduncleX - startX) * (t * t * 0.35f + t * 0.65f);
    };
    const auto angle = [&](int c) { return float(c) / float(around) * twoPi; };
    const MeshBuilder::Grid g = b.grid(
        stations, around, [&](int r, int c) { return bodyPoint(stationX(r), angle(c)); },
        [&](int r, int c) { return std::pair<float, float>(fishU(stationX(r)), 0.5f + 0.5f * std::sin(angle(c))); });
    b.cap(g, 0, Vector3(snoutX, bodyAt(startX).centreY, 0.0f), 0.0f, 0.5f);
    const BodySection end = bodyAt(peduncleX);
    b.cap(g, stations - 1, Vector3(peduncleX + 1.0f, end.centreY, 0.0f), fishU(peduncleX), 0.5f);
    b.endPart();
}

// Half the thickness of a fin at distance d out of the body (negative under the skin): a fillet
// where it leaves the body, thin further out.
float finHalfThickness(float d, float root, float edge)
{
    return edge + (root - edge) * std::exp(-std::max(d, 0.0f) / 2.5f);
}

void addCaudalFin(MeshBuilder& b)
{
    // A forked tail fanning out from the tail stalk, its root inside the stalk: polar rows from
    // the root outwards.
    const Vector3 root(peduncleX - 5.0f, bodyAt(peduncleX).centreY, 0.0f);
    const int rows = 12, columns = 33;
    const float spread = 0.8f;
    const auto radius = [](float a) {
        // a = 0 at the fork, 1 at the lobe edges; the lobes reach furthest near 0.85.
        if (a < 0.85f)
            return 34.0f + 52.0f * std::pow(std::sin(a / 0.85f * pi * 0.5f), 1.6f);
        const float k = (a - 0.85f) / 0.15f;
        return 86.0f - 50.0f * k * k;
    };
    const auto reach = [&](int i) { return 0.06f + 0.94f * std::pow(float(i) / float(rows - 1), 1.3f); };
    const auto angle = [&](int j) { return (float(j) / float(columns - 1) * 2.0f - 1.0f) * spread; };
    const auto position = [&](int i, int j) {
        const float theta = angle(j);
        const float r = radius(std::fabs(theta) / spread) * reach(i);
        return root + Vector3(std::cos(theta) * r, std::sin(theta) * r, 0.0f);
    };
    // Out of the stalk from about 6 units on.
    const auto out = [&](int i, int j) { return radius(std::fabs(angle(j)) / spread) * reach(i) - 6.0f; };
    const auto thickness = [&](int i, int j) { return finHalfThickness(out(i, j), 1.5f, 0.45f); };
    const auto uv = [&](int i, int j) {
        const float full = radius(std::fabs(angle(j)) / spread) - 6.0f;
        return std::pair<float, float>(fishU(position(i, j).x), 2.0f + std::clamp(out(i, j) / full, 0.0f, 1.0f));
    };
    addPlate(b, rows, columns, position, thickness, Vector3(0, 0, 1), uv);
}

// A fin standing on the body's outline between x0 and x1: `up` is +1 on the back, -1 on the belly.
void addMedianFin(MeshBuilder& b, float x0, float x1, float height, float sweep, float up)
{
    const int rows = 10, columns = 18;
    const float under = 5.0f; // how deep the root lies under the skin
    const auto along = [&](int j) { return float(j) / float(columns - 1); };
    // Tallest at the front, sloping back; at both ends the edge stays under the skin.
    const auto shape = [&](float s) {
        return std::pow(std::max(0.0f, std::sin(pi * std::min(1.0f, s * 1.25f + 0.02f))), 0.7f) * (1.0f - 0.45f * s);
    };
    const auto top = [&](int j) { return std::max(height * shape(along(j)) - 3.0f, -2.8f); };
    const auto out = [&](int i, int j) {
        const float q = float(i) / float(rows - 1);
        return -under + (top(j) + under) * q * q; // rows crowd at the root, where the fillet is
    };
    const auto position = [&](int i, int j) {
        const float x = mix(x0, x1, along(j));
        const Vector3 skin = bodyPoint(x, up * pi * 0.5f);
        const float d = out(i, j);
        return Vector3(x + sweep * std::max(d, 0.0f), skin.y + up * d, 0.0f);
    };
    const auto thickness = [&](int i, int j) {
        return finHalfThickness(out(i, j), 1.9f, 0.5f) * (0.45f + 0.55f * std::min(1.0f, shape(along(j)) * 3.0f));
    };
    const auto uv = [&](int i, int j) {
        return std::pair<float, float>(fishU(mix(x0, x1, along(j))),
                                       2.0f + std::clamp(out(i, j) / std::max(top(j), 1.0f), 0.0f, 1.0f));
    };
    addPlate(b, rows, columns, position, thickness, Vector3(0, 0, 1), uv);
}

// A paired fin on one side (`side` = +1 or -1 in z), rooted at (x, y) on the flank, swept back
// and out. `lift` tips it up or down.
void addPairedFin(MeshBuilder& b, float x, float yOffset, float length, float width, float lift, float side)
{
    const Vector3 skin = flankPoint(x, bodyAt(x).centreY + yOffset, side);
    const Vector3 along = unit(Vector3(0.85f, lift, side * 0.45f));
    const Vector3 across = unit(Vector3(1.0f, 0.0f, 0.0f) - along * dot(Vector3(1, 0, 0), along));
    const Vector3 normal = unit(cross(along, across));
    const int rows = 10, columns = 7;
    const float under = 5.0f;
    const auto out = [&](int i) {
        const float q = float(i) / float(rows - 1);
        return -under + (length + under) * q * q;
    };
    const auto position = [&](int i, int j) {
        const float d = out(i), t = std::max(d, 0.0f) / length;
        const float s = float(j) / float(columns - 1) - 0.5f;
        // A rounded paddle, widest two thirds out, with a broad root.
        const float w = width * (0.55f + 0.45f * std::sin(pi * (0.15f + 0.8f * t))) * (1.0f - 0.55f * t * t * t);
        return skin + along * d + across * (w * s) + Vector3(length * 0.25f * t * t, 0, 0);
    };
    const auto thickness = [&](int i, int) { return finHalfThickness(out(i), 1.6f, 0.45f); };
    const auto uv = [&](int i, int j) {
        return std::pair<float, float>(fishU(position(i, j).x), 2.0f + std::clamp(out(i) / length, 0.0f, 1.0f));
    };
    addPlate(b, rows, columns, position, thickness, normal, uv);
}

// An eye on one side: a ball set into the head so that a low dome shows.
void addEye(MeshBuilder& b, float side)
{
    const float x = -27.0f, radius = 4.2f;
    const Vector3 centre = flankPoint(x, bodyAt(x).centreY + 5.0f, side) - Vector3(0.0f, 0.0f, side * 2.2f);
    const int rows = 10, around = 16;
    b.beginPart();
    const auto angle = [&](int r) { return pi * float(r) / float(rows - 1); };
    const auto position = [&](int r, int c) {
        const float a = angle(r), phi = twoPi * float(c) / float(around);
        return centre + Vector3(std::sin(a) * std::cos(phi), std::sin(a) * std::sin(phi), side * std::cos(a)) * radius;
    };
    b.grid(rows, around, position, [&](int r, int) { return std::pair<float, float>(fishU(x), 4.0f + angle(r) / pi); });
    b.endPart();
}

// ---- The enclosing shell --------------------------------------------------------------------

// ---- The octopus -----------------------------------------------------------------------------
//
// The spray scene turns the mesh as a black silhouette at a tenth of its size, about a point above
// and right of the view's centre, and its picture then goes through the zoom trail, which streaks
// everything outwards from the centre. Far out, the streaks of the spray inside it fill a black
// shape and smear its outline; near the centre they barely move. So the octopus sits well off the
// point it turns about, on the side that keeps it circling close to the centre of the view, over
// the densest spray, through the whole turn. Its turn keeps the mesh's -z axis pointing up on the
// screen for most of the scene while the view swings from the +y side round to the +x side, then
// tumbles to look up at it from below: an octopus, mantle up along -z and eight thick curling arms
// spread around, shows its outline from all of those sides.

// Frames along an open curve, the normal carried along by parallel transport.
struct Frame {
    Vector3 point, tangent, normal, binormal;
};

std::vector<Frame> openFrames(const std::vector<Vector3>& points)
{
    std::vector<Frame> frames(points.size());
    const size_t last = points.size() - 1;
    for (size_t i = 0; i <= last; ++i) {
        frames[i].point = points[i];
        frames[i].tangent = unit(points[std::min(i + 1, last)] - points[i > 0 ? i - 1 : 0]);
    }
    const Vector3& t0 = frames[0].tangent;
    Vector3 n = unit(cross(t0, std::fabs(t0.z) < 0.9f ? Vector3(0, 0, 1) : Vector3(1, 0, 0)));
    for (Frame& f : frames) {
        n = unit(n - f.tangent * dot(n, f.tangent));
        f.normal = n;
        f.binormal = cross(f.tangent, n);
    }
    return frames;
}

// A closed tube around the points, `radius(s)` thick at s = 0 .. 1 along it, capped at both ends.
void addTube(MeshBuilder& b, const std::vector<Vector3>& points, const std::function<float(float)>& radius)
{
    const std::vector<Frame> frames = openFrames(points);
    const int rows = int(points.size()), around = 10;
    b.beginPart();
    const auto position = [&](int r, int c) {
        const Frame& f = frames[size_t(r)];
        const float a = twoPi * float(c) / float(around);
        return f.point + (f.normal * std::cos(a) + f.binormal * std::sin(a)) * radius(float(r) / float(rows - 1));
    };
    const auto uv = [&](int r, int c) { return std::pair<float, float>(float(c) / float(around), float(r) / float(rows - 1)); };
    const MeshBuilder::Grid g = b.grid(rows, around, position, uv);
    b.cap(g, 0, points.front() - frames.front().tangent * radius(0.0f) * 0.5f, 0.5f, 0.0f);
    b.cap(g, rows - 1, points.back() + frames.back().tangent * radius(1.0f), 0.5f, 1.0f);
    b.endPart();
}

// A closed ellipsoid part.
void addEllipsoid(MeshBuilder& b, const Vector3& centre, const Vector3& radii, int rows, int around)
{
    b.beginPart();
    const auto position = [&](int r, int c) {
        const float a = pi * float(r) / float(rows - 1), phi = twoPi * float(c) / float(around);
        return centre + Vector3(std::sin(a) * std::cos(phi) * radii.x, std::sin(a) * std::sin(phi) * radii.y, -std::cos(a) * radii.z);
    };
    const auto uv = [&](int r, int c) { return std::pair<float, float>(float(c) / float(around), float(r) / float(rows - 1)); };
    b.grid(rows, around, position, uv);
    b.endPart();
}

// One arm: out from the base of the head at angle `heading` around z, first down and out, then
// bending by `curl` radians over its length (positive curls the tip up and back over itself),
// drifting sideways by `sway` radians.
struct ArmPose {
    float heading, length, droop, curl, sway;
};

std::vector<Vector3> armSpine(const ArmPose& pose)
{
    const int samples = 44;
    std::vector<Vector3> points;
    const float step = pose.length / float(samples - 1);
    Vector3 p(std::cos(pose.heading) * 6.0f, std::sin(pose.heading) * 6.0f, 2.0f);
    for (int i = 0; i < samples; ++i) {
        points.push_back(p);
        const float s = float(i) / float(samples - 1);
        const float tilt = pose.droop + pose.curl * std::pow(s, 2.2f); // below the horizontal
        const float around = pose.heading + pose.sway * s;
        const Vector3 out(std::cos(around), std::sin(around), 0.0f);
        p += (out * std::cos(tilt) + Vector3(0, 0, std::sin(tilt))) * step;
    }
    return points;
}

constexpr ArmPose octopusArms[8] = {
    // heading, length, droop (down from horizontal), curl, sway
    {0.35f, 64.0f, 0.35f, -4.2f, 0.35f},  // reaching out, the tip curling up and back
    {1.15f, 58.0f, 0.75f, -2.8f, -0.3f},
    {1.95f, 62.0f, 0.55f, -3.8f, 0.4f},
    {2.75f, 56.0f, 0.95f, 1.6f, -0.25f},  // hanging, the tip tucked under
    {3.55f, 63.0f, 0.45f, -4.6f, 0.3f},
    {4.30f, 55.0f, 1.05f, 1.2f, 0.35f},
    {5.05f, 60.0f, 0.6f, -3.3f, -0.4f},
    {5.80f, 57.0f, 0.85f, -2.2f, 0.3f},
};

} // namespace

T3D makeFish()
{
    MeshBuilder b;
    addFishBody(b);
    addCaudalFin(b);
    addMedianFin(b, 60.0f, 150.0f, 34.0f, 0.55f, 1.0f);   // dorsal
    addMedianFin(b, 180.0f, 222.0f, 16.0f, 0.5f, 1.0f);   // second dorsal
    addMedianFin(b, 150.0f, 210.0f, 20.0f, 0.6f, -1.0f);  // anal
    for (float side : {1.0f, -1.0f}) {
        addPairedFin(b, 14.0f, -9.0f, 34.0f, 14.0f, -0.35f, side); // pectoral
        addPairedFin(b, 92.0f, -22.0f, 24.0f, 10.0f, -0.6f, side); // pelvic
        addEye(b, side);
    }
    // The scene culls front faces: the outside must wind clockwise.
    return b.finish(true);
}

T3D makeShell()
{
    // A long rounded capsule along x (-2 .. 2, radius 1), its wall gently dented like a sea cave.
    // The push scene stands it on end and looks up it from inside, along its x axis and at the
    // wall around it, but never sideways along y. So the texture is wrapped on as latitude and
    // longitude about the y axis: the two poles, where any wrapping of a closed surface must
    // pinch, lie on the sides the camera never faces. Each half of the longitude carries u from
    // 0 to 1 on a grid of its own; where the halves meet, u jumps by a whole repeat, which the
    // repeating caustics do not show. Every quad the camera sees is close to a rectangle in both
    // space and texture, so the caustics run on without seams, fans or kinks.
    MeshBuilder b;
    const int rows = 56, around = 96;
    const float exponent = 2.6f; // > 2 squares the ends off a little
    b.beginPart();
    const auto angles = [&](int r, int c, float& theta, float& phi) {
        theta = pi * float(r) / float(rows - 1);
        phi = twoPi * float(c) / float(around);
    };
    const auto positionAt = [&](int r, int c) {
        float theta, phi;
        angles(r, c, theta, phi);
        const Vector3 d(-std::sin(theta) * std::cos(phi), std::cos(theta), std::sin(theta) * std::sin(phi));
        // The superellipsoid |x / 2|^e + (y^2 + z^2)^(e / 2) = 1 along d.
        const float across = std::hypot(d.y, d.z);
        const float reach = std::pow(std::pow(std::fabs(d.x) * 0.5f, exponent) + std::pow(across, exponent), -1.0f / exponent);
        const float dent = (0.06f * periodicNoise(phi / twoPi * 6.0f, theta * 2.0f, 6, 77) +
                            0.03f * std::sin(theta * 9.0f + std::sin(phi * 3.0f))) *
                           std::sin(theta);
        const float wall = 1.0f + dent;
        return Vector3(d.x * reach, d.y * reach * wall, d.z * reach * wall);
    };
    // A longitude repeat then covers about the same length as a latitude one.
    const int half = around / 2;
    for (int h = 0; h < 2; ++h)
        b.grid(
            rows, half, [&](int r, int c) { return positionAt(r, h * half + c); },
            [&](int r, int c) { return std::pair<float, float>(float(c) / float(half), float(r) / float(rows - 1)); }, false);
    b.endPart();
    return b.finish(false);
}

T3D makeCoral()
{
    MeshBuilder b;
    // The mantle, leaning a little back, over a broader head with an eye on either side.
    addEllipsoid(b, Vector3(-4.0f, 0.0f, -30.0f), Vector3(16.0f, 15.0f, 24.0f), 16, 24);
    addEllipsoid(b, Vector3(0.0f, 0.0f, -5.0f), Vector3(13.0f, 12.0f, 10.0f), 12, 24);
    for (float side : {1.0f, -1.0f})
        addEllipsoid(b, Vector3(3.0f, side * 11.0f, -9.0f), Vector3(4.5f, 4.5f, 4.5f), 8, 12);
    for (const ArmPose& pose : octopusArms)
        addTube(b, armSpine(pose), [](float s) { return 5.5f - 4.1f * s; }); // thick enough to stay dark in the trail
    // Large (about 300 pixels of 720 across) and set off the point it turns about towards +y and
    // +z, so that as it turns its centre stays within about a third of the half height of the view's
    // centre, and all of it inside a 4:3 view.
    for (T3DVertex& v : b.mesh.vertices)
        v.position = v.position * 1.5f + Vector3(-65.5f, 160.0f, 70.0f);
    return b.finish(false);
}
