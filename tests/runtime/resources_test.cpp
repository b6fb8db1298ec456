// Archive reads, texture decoding and upload, meshes and texts, and what happens to missing or
// corrupt entries.
#include "runtime/dms.h"
#include "runtime/mesh.h"
#include "tests/runtime/runtime_fixture.h"
#include "tests/support/gl_context.h"

#include <GL/gl.h>
#include <gtest/gtest.h>

#include <cstring>

namespace {

class Resources : public ::testing::Test {
protected:
    void SetUp() override { ASSERT_TRUE(openRuntimeOnTestArchive()) << "needs a display (Xvfb)"; }
};

TEST_F(Resources, TextsAreNulTerminatedAndMissingOnesAreNullWithOneLogLine)
{
    const char* text = dmsGetText("plain.glsl");
    ASSERT_NE(text, nullptr);
    EXPECT_STREQ(text, "void main() { gl_FragColor = vec4(1.0); }\n");

    LogCapture log;
    EXPECT_EQ(dmsGetText("absent_frag.glsl"), nullptr);
    EXPECT_EQ(dmsGetText("absent_frag.glsl"), nullptr);
    ASSERT_EQ(log.lines.size(), 1u);
    EXPECT_TRUE(log.contains("absent_frag.glsl"));
}

TEST_F(Resources, TexturesKeepTheirSizeAndUploadTheTopRowFirst)
{
    Texture* striped = dmsGetTexture("striped.png");
    Texture* grey = dmsGetTexture("grey.jpg");
    EXPECT_EQ(striped->getWidth(), 4u);
    EXPECT_EQ(striped->getHeight(), 2u);
    EXPECT_EQ(grey->getWidth(), 8u);
    EXPECT_EQ(grey->getHeight(), 8u);
    EXPECT_NE(striped->getID(), 0);
    EXPECT_NE(striped->getID(), grey->getID());
    EXPECT_TRUE(glIsTexture(static_cast<GLuint>(striped->getID())));
    EXPECT_EQ(dmsGetTexture("striped.png"), striped) << "a second lookup must find the same texture";

    uint8_t texels[4 * 2 * 4] = {};
    glBindTexture(GL_TEXTURE_2D, static_cast<GLuint>(striped->getID()));
    glGetTexImage(GL_TEXTURE_2D, 0, GL_RGBA, GL_UNSIGNED_BYTE, texels);
    glBindTexture(GL_TEXTURE_2D, 0);
    // GL's first row is the file's first (top) row: red, opaque.
    EXPECT_EQ(texels[0], 255);
    EXPECT_EQ(texels[2], 0);
    EXPECT_EQ(texels[3], 255);
    // The file's second row follows: blue, half transparent.
    EXPECT_EQ(texels[16 + 2], 255);
    EXPECT_EQ(texels[16 + 3], 128);
    EXPECT_EQ(glGetError(), static_cast<GLenum>(GL_NO_ERROR));
}

TEST_F(Resources, MissingAndCorruptImagesBecomeOneByOnePlaceholdersLoggedOnce)
{
    LogCapture log;
    Texture* missing = dmsGetTexture("nowhere.jpg");
    dmsGetTexture("nowhere.jpg");
    EXPECT_EQ(missing->getWidth(), 1u);
    EXPECT_EQ(missing->getHeight(), 1u);
    EXPECT_TRUE(glIsTexture(static_cast<GLuint>(missing->getID())));
    EXPECT_TRUE(log.contains("\"nowhere.jpg\" is not in the data archive; using a 1x1 placeholder")) << log.all();
    EXPECT_EQ(log.lines.size(), 1u);

    // The corrupt image is said once, when the timer started or now, whichever came first.
    const size_t before = log.lines.size();
    Texture* corrupt = dmsGetTexture("corrupt.png");
    dmsGetTexture("corrupt.png");
    EXPECT_EQ(corrupt->getWidth(), 1u);
    EXPECT_LE(log.lines.size(), before + 1);
    if (log.lines.size() > before) {
        EXPECT_TRUE(log.contains("\"corrupt.png\" is not a readable image (neither a JPEG nor a PNG)")) << log.all();
    }
}

TEST_F(Resources, StoredTextureParametersAreApplied)
{
    dmsSetMipMaps("grey.jpg", 1);
    dmsSetTextureParameter("grey.jpg", GL_TEXTURE_MIN_FILTER, static_cast<float>(GL_LINEAR_MIPMAP_LINEAR));
    Texture* grey = dmsGetTexture("grey.jpg");
    GLint filter = 0;
    glBindTexture(GL_TEXTURE_2D, static_cast<GLuint>(grey->getID()));
    glGetTexParameteriv(GL_TEXTURE_2D, GL_TEXTURE_MIN_FILTER, &filter);
    GLint smallest = 0;
    glGetTexLevelParameteriv(GL_TEXTURE_2D, 3, GL_TEXTURE_WIDTH, &smallest);
    glBindTexture(GL_TEXTURE_2D, 0);
    EXPECT_EQ(filter, GL_LINEAR_MIPMAP_LINEAR);
    EXPECT_EQ(smallest, 1) << "the 8x8 texture needs mip level 3 of 1x1";
}

TEST_F(Resources, MeshesLoadAndBrokenOnesAreEmpty)
{
    T3D* tri = dmsGetObject("tri.t3d");
    ASSERT_EQ(tri->getVertexCount(), 3u);
    ASSERT_EQ(tri->getFaceCount(), 1u);
    EXPECT_FLOAT_EQ(tri->getVertexArray()[1].position.x, 1.0f);
    EXPECT_EQ(tri->getFaceArray()[0].c, 2u);

    LogCapture log;
    T3D* broken = dmsGetObject("broken.t3d");
    T3D* missing = dmsGetObject("missing.t3d");
    EXPECT_EQ(broken->getVertexCount(), 0u);
    EXPECT_EQ(broken->getFaceArray(), nullptr);
    EXPECT_EQ(missing->getFaceCount(), 0u);
    EXPECT_TRUE(log.contains("broken.t3d"));
    EXPECT_TRUE(log.contains("missing.t3d"));
}

T3D quad()
{
    T3D mesh;
    mesh.vertices.resize(4);
    for (int i = 0; i < 4; ++i) {
        mesh.vertices[i].position = Vector3(float(i & 1), float(i >> 1), 0.25f * i);
        mesh.vertices[i].u = 0.5f * i;
        mesh.vertices[i].v = -1.0f * i;
    }
    mesh.faces.push_back({Vector3(0, 0, 1), 0, 1, 2});
    mesh.faces.push_back({Vector3(0, 0, -1), 2, 1, 3});
    return mesh;
}

TEST(MeshFormat, RoundTripKeepsEveryValue)
{
    const T3D original = quad();
    const std::vector<uint8_t> bytes = encodeT3D(original);
    EXPECT_EQ(bytes.size(), 12u + 4 * 32 + 2 * 24);
    T3D decoded;
    std::string error;
    ASSERT_TRUE(decodeT3D(bytes.data(), bytes.size(), decoded, error)) << error;
    ASSERT_EQ(decoded.getVertexCount(), 4u);
    for (int i = 0; i < 4; ++i) {
        EXPECT_EQ(decoded.vertices[i].position, original.vertices[i].position);
        EXPECT_EQ(decoded.vertices[i].u, original.vertices[i].u);
        EXPECT_EQ(decoded.vertices[i].v, original.vertices[i].v);
    }
    EXPECT_EQ(decoded.faces[1].normal, Vector3(0, 0, -1));
    EXPECT_EQ(decoded.faces[1].c, 3u);
}

TEST(MeshFormat, MalformedFilesAreRejectedWithAReason)
{
    const std::vector<uint8_t> good = encodeT3D(quad());
    T3D mesh;
    std::string error;

    std::vector<uint8_t> badMagic = good;
    badMagic[0] = 'X';
    EXPECT_FALSE(decodeT3D(badMagic.data(), badMagic.size(), mesh, error));

    std::vector<uint8_t> truncated(good.begin(), good.end() - 1);
    EXPECT_FALSE(decodeT3D(truncated.data(), truncated.size(), mesh, error));
    EXPECT_NE(error.find("size"), std::string::npos);

    std::vector<uint8_t> badIndex = good;
    badIndex[good.size() - 4] = 4; // last index of the last face: one past the vertices
    EXPECT_FALSE(decodeT3D(badIndex.data(), badIndex.size(), mesh, error));
    EXPECT_NE(error.find("index"), std::string::npos);

    // Counts so large that a careless size computation would wrap around.
    std::vector<uint8_t> huge = good;
    huge[4] = huge[5] = huge[6] = huge[7] = 0xFF;
    EXPECT_FALSE(decodeT3D(huge.data(), huge.size(), mesh, error));

    EXPECT_FALSE(decodeT3D(good.data(), 3, mesh, error));
    EXPECT_EQ(mesh.getVertexCount(), 0u) << "a rejected file leaves the mesh empty";
}

} // namespace
