// The generated meshes as the runtime reads them: valid files, unit outward normals, winding
// matched to how each scene culls, the proportions the scenes place them by, and the push
// backdrop's caustics running on across its faces.
#include "runtime/mesh.h"
#include "tools/datagen/generators.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <array>
#include <cmath>
#include <map>

namespace {

T3D roundTrip(const T3D& mesh)
{
    const std::vector<uint8_t> bytes = encodeT3D(mesh);
    T3D back;
    std::string error;
    EXPECT_TRUE(decodeT3D(bytes.data(), bytes.size(), back, error)) << error;
    return back;
}

struct Box {
    Vector3 lo{1e9f, 1e9f, 1e9f}, hi{-1e9f, -1e9f, -1e9f};
};

Box bounds(const T3D& mesh)
{
    Box b;
    for (const T3DVertex& v : mesh.vertices) {
        b.lo = Vector3(std::min(b.lo.x, v.position.x), std::min(b.lo.y, v.position.y), std::min(b.lo.z, v.position.z));
        b.hi = Vector3(std::max(b.hi.x, v.position.x), std::max(b.hi.y, v.position.y), std::max(b.hi.z, v.position.z));
    }
    return b;
}

// Checks what every mesh must satisfy. `windingSign` is +1 when the outside winds
// counter-clockwise, -1 when it winds clockwise (a scene that culls front faces).
void expectSoundMesh(const T3D& mesh, float windingSign, const char* name)
{
    ASSERT_GT(mesh.getFaceCount(), 0u) << name;
    double volume = 0.0;
    int agree = 0;
    for (const T3DFace& f : mesh.faces) {
        ASSERT_LT(f.a, mesh.getVertexCount()) << name;
        ASSERT_LT(f.b, mesh.getVertexCount()) << name;
        ASSERT_LT(f.c, mesh.getVertexCount()) << name;
        EXPECT_NEAR(f.normal.length(), 1.0f, 1e-3f) << name;
        const Vector3 &a = mesh.vertices[f.a].position, &b = mesh.vertices[f.b].position, &c = mesh.vertices[f.c].position;
        const Vector3 geometric = (b - a).crossProduct(c - a);
        const float area = geometric.length() * 0.5f;
        EXPECT_GT(area, 0.0f) << name << " has a face with no area";
        agree += geometric.dotProduct(f.normal) * windingSign > 0.0f;
        // Divergence theorem with the stored normals: positive only when they point outwards.
        const Vector3 centre = (a + b + c) / 3.0f;
        volume += double(area) * double(f.normal.dotProduct(centre)) / 3.0;
    }
    EXPECT_EQ(agree, int(mesh.getFaceCount())) << name << ": winding does not match the normals";
    EXPECT_GT(volume, 0.0) << name << ": normals point inwards";
    for (const T3DVertex& v : mesh.vertices) {
        EXPECT_TRUE(std::isfinite(v.u) && std::isfinite(v.v)) << name;
        EXPECT_NEAR(v.normal.length(), 1.0f, 1e-3f) << name;
    }
}

} // namespace

TEST(DatagenMeshes, FishIsSoundAndWoundForFrontFaceCulling)
{
    const T3D fish = roundTrip(makeFish());
    expectSoundMesh(fish, -1.0f, "fisu.t3d");
    // Dense enough that its flat facets read as a smooth body, light enough to bend every frame.
    EXPECT_GE(fish.getFaceCount(), 12000u);
    EXPECT_LE(fish.getFaceCount(), 24000u);
}

TEST(DatagenMeshes, FishLiesAlongXWithItsHeadBeforeTheBend)
{
    const T3D fish = makeFish();
    const Box b = bounds(fish);
    EXPECT_GT(b.lo.x, -90.0f);
    EXPECT_LT(b.lo.x, -20.0f);
    EXPECT_GT(b.hi.x, 300.0f);
    EXPECT_LT(b.hi.x, 360.0f);
    // The body itself is about 60 tall; fins may reach beyond it.
    float bodyTop = -1e9f, bodyBottom = 1e9f;
    for (const T3DVertex& v : fish.vertices)
        if (v.position.x > 20.0f && v.position.x < 40.0f && std::fabs(v.position.z) > 3.0f) {
            bodyTop = std::max(bodyTop, v.position.y);
            bodyBottom = std::min(bodyBottom, v.position.y);
        }
    EXPECT_NEAR(bodyTop - bodyBottom, 60.0f, 12.0f);
    // Thinner than it is tall, centred on its length axis.
    EXPECT_LT(b.hi.z - b.lo.z, b.hi.y - b.lo.y);
    EXPECT_NEAR(b.hi.z + b.lo.z, 0.0f, 1.0f);
    // A real head ahead of x = -5, the part that barely bends.
    const auto head = std::count_if(fish.vertices.begin(), fish.vertices.end(), [](const T3DVertex& v) { return v.position.x < -5.0f; });
    EXPECT_GT(head, long(fish.vertices.size() / 20));
    // Texture coordinates run once along the fish, so the caustics laid on it keep their size.
    float uLow = 1e9f, uHigh = -1e9f;
    for (const T3DVertex& v : fish.vertices) {
        uLow = std::min(uLow, v.u);
        uHigh = std::max(uHigh, v.u);
    }
    EXPECT_NEAR(uLow, 0.0f, 0.05f);
    EXPECT_NEAR(uHigh, 1.0f, 0.05f);
}

TEST(DatagenMeshes, ShellIsAClosedCapsuleMappedZeroToOne)
{
    const T3D shell = roundTrip(makeShell());
    expectSoundMesh(shell, 1.0f, "sp.t3d");
    const Box b = bounds(shell);
    EXPECT_NEAR(b.lo.x, -2.0f, 0.05f);
    EXPECT_NEAR(b.hi.x, 2.0f, 0.05f);
    for (const T3DVertex& v : shell.vertices) {
        EXPECT_LE(std::hypot(v.position.y, v.position.z), 1.15f);
        EXPECT_GE(v.u, 0.0f);
        EXPECT_LE(v.u, 1.0f);
        EXPECT_GE(v.v, 0.0f);
        EXPECT_LE(v.v, 1.0f);
    }
    // The camera flies inside: the middle of the tube is wide open.
    float narrowest = 1e9f;
    for (const T3DVertex& v : shell.vertices)
        if (std::fabs(v.position.x) < 1.0f)
            narrowest = std::min(narrowest, std::hypot(v.position.y, v.position.z));
    EXPECT_GT(narrowest, 0.85f);
    // Every face looks away from the axis: outward everywhere, not only on the whole.
    for (const T3DFace& f : shell.faces) {
        const Vector3 c = (shell.vertices[f.a].position + shell.vertices[f.b].position + shell.vertices[f.c].position) / 3.0f;
        const Vector3 fromAxis = std::fabs(c.x) > 1.9f ? c : Vector3(0.0f, c.y, c.z);
        EXPECT_GT(f.normal.dotProduct(fromAxis), 0.0f);
    }
}

// The push scene scales the shell's texture coordinates by 9 and stands it on end (mesh x up,
// y and z 41 wide, x 14.25 tall), looking up along x and at the wall around, never along y (the
// faces within 0.8 of y = 0 are those it may see). Where
// two faces meet, the caustics must run on: at both ends of the shared edge the two faces'
// scaled coordinates differ by the same whole number of repeats (or not at all). A fan around
// one point breaks this along one spoke: the streaks shift sideways across it.
TEST(DatagenMeshes, ShellCausticsRunOnAcrossEveryEdge)
{
    const T3D shell = makeShell();
    const auto key = [&](uint32_t i) {
        const Vector3& p = shell.vertices[i].position;
        return std::array<long, 3>{std::lround(p.x * 1e4f), std::lround(p.y * 1e4f), std::lround(p.z * 1e4f)};
    };
    struct Side {
        uint32_t from, to;
    };
    std::map<std::array<std::array<long, 3>, 2>, std::vector<Side>> edges;
    for (const T3DFace& f : shell.faces)
        for (const auto& [a, b] : {std::pair(f.a, f.b), std::pair(f.b, f.c), std::pair(f.c, f.a)}) {
            const bool forward = key(a) < key(b);
            edges[forward ? std::array{key(a), key(b)} : std::array{key(b), key(a)}].push_back(forward ? Side{a, b} : Side{b, a});
        }
    const auto scaled = [&](uint32_t i) { return std::pair(shell.vertices[i].u * 9.0f, shell.vertices[i].v * 9.0f); };
    const auto inView = [&](uint32_t i) { return std::fabs(shell.vertices[i].position.y) < 0.8f; };
    int shared = 0;
    for (const auto& [where, sides] : edges) {
        ASSERT_EQ(sides.size(), 2u) << "every edge of the closed shell joins two faces";
        if (!inView(sides[0].from) || !inView(sides[0].to))
            continue;
        const auto [u0, v0] = scaled(sides[0].from);
        const auto [u1, v1] = scaled(sides[1].from);
        const auto [u2, v2] = scaled(sides[0].to);
        const auto [u3, v3] = scaled(sides[1].to);
        const float du = u1 - u0, dv = v1 - v0;
        EXPECT_NEAR(du, std::round(du), 1e-3f);
        EXPECT_NEAR(dv, std::round(dv), 1e-3f);
        ASSERT_NEAR(u3 - u2, du, 1e-3f) << "the texture jumps across an edge";
        ASSERT_NEAR(v3 - v2, dv, 1e-3f) << "the texture jumps across an edge";
        ++shared;
    }
    EXPECT_GT(shared, 5000);

    // As placed in the scene, away from the sides it never looks at, the caustics keep about one
    // size: no face squeezes many repeats into a small spot as a fan's hub does.
    std::vector<float> density;
    for (const T3DFace& f : shell.faces) {
        if (!inView(f.a) || !inView(f.b) || !inView(f.c))
            continue;
        const auto placed = [&](uint32_t i) {
            const Vector3& p = shell.vertices[i].position;
            return Vector3(-41.0f * p.y, 14.25f * p.x, 41.0f * p.z);
        };
        const Vector3 e1 = placed(f.b) - placed(f.a), e2 = placed(f.c) - placed(f.a);
        const float du1 = (shell.vertices[f.b].u - shell.vertices[f.a].u) * 9.0f, du2 = (shell.vertices[f.c].u - shell.vertices[f.a].u) * 9.0f;
        const float dv1 = (shell.vertices[f.b].v - shell.vertices[f.a].v) * 9.0f, dv2 = (shell.vertices[f.c].v - shell.vertices[f.a].v) * 9.0f;
        // Repeats per unit: texture-space area over world area, as a length scale.
        density.push_back(std::sqrt(std::fabs(du1 * dv2 - du2 * dv1) / e1.crossProduct(e2).length()));
    }
    ASSERT_GT(density.size(), 1000u);
    std::sort(density.begin(), density.end());
    const float median = density[density.size() / 2];
    EXPECT_GT(density.front(), median / 3.0f);
    EXPECT_LT(density.back(), median * 3.0f);
}

TEST(DatagenMeshes, OctopusIsSoundAndAboutAHundredAndSixtyAcross)
{
    const T3D octopus = roundTrip(makeCoral());
    expectSoundMesh(octopus, 1.0f, "3djytky.t3d");
    const Box b = bounds(octopus);
    const float across = std::max({b.hi.x - b.lo.x, b.hi.y - b.lo.y, b.hi.z - b.lo.z});
    EXPECT_GT(across, 140.0f);
    EXPECT_LT(across, 190.0f);
}

TEST(DatagenMeshes, SameCodeGivesSameMeshBytes)
{
    EXPECT_EQ(encodeT3D(makeFish()), encodeT3D(makeFish()));
    EXPECT_EQ(encodeT3D(makeCoral()), encodeT3D(makeCoral()));
}
