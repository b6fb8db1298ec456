// What the browser's GL layer last sent to WebGL, so that a call that would change nothing is not
// made: every WebGL call crosses into JavaScript and the browser's command buffer, and the show
// sets the same blend function, binding or matrix again and again. Pure bookkeeping (no GL
// calls), so that it is checked natively; gl_state.cpp, gl_draw.cpp and gl_programs.cpp ask it
// before each call they would make.
#pragma once

#include <array>
#include <cstdint>
#include <cstring>
#include <unordered_map>
#include <vector>

namespace webgl {

// One value as WebGL holds it; unknown until first sent.
template <typename T>
class Shadowed {
public:
    // True when `value` is not what WebGL already has: the caller sends it. Recorded either way.
    bool set(const T& value)
    {
        if (known_ && value_ == value)
            return false;
        value_ = value;
        known_ = true;
        return true;
    }
    void forget() { known_ = false; }
    bool known() const { return known_; }
    const T& value() const { return value_; }

private:
    T value_{};
    bool known_ = false;
};

// The uniform values each program holds, as last sent (words compared bit for bit, so that a NaN
// sent again is not sent twice and -0 differs from 0 as WebGL would store it).
class UniformCache {
public:
    // True when `location` of `program` does not already hold these bytes (recorded then); false
    // for a location of -1 (a uniform the program does not use), for which nothing is sent.
    bool changed(uint32_t program, int32_t location, const void* values, size_t bytes);
    // A program linked again (its uniforms reset) or deleted.
    void forget(uint32_t program);

private:
    std::unordered_map<uint64_t, std::vector<uint8_t>> values_;
};

// The WebGL state the layer sets, shadowed.
struct WebGlShadow {
    static constexpr int units = 8;

    // glEnable/glDisable of WebGL's own capabilities, by enum.
    bool enable(uint32_t cap, bool on) { return enables[cap].set(on); }
    bool activeTexture(int unit) { return activeUnit.set(unit); }
    // A binding on the active unit (activeTexture first).
    bool bindTexture(uint32_t texture) { return textures[activeUnit.value()].set(texture); }
    // WebGL unbinds a deleted texture from every unit it was bound to.
    void textureDeleted(uint32_t texture);
    bool useProgram(uint32_t program) { return program_.set(program); }
    // WebGL keeps using a deleted program until another is used: only a later use of the same
    // number must be sent.
    void programDeleted(uint32_t program);
    // GL_ARRAY_BUFFER (0x8892) or GL_ELEMENT_ARRAY_BUFFER (0x8893); other targets are not kept.
    bool bindBuffer(uint32_t target, uint32_t buffer);
    void bufferDeleted(uint32_t buffer);

    std::unordered_map<uint32_t, Shadowed<bool>> enables;
    Shadowed<std::array<uint32_t, 2>> blendFunc;
    Shadowed<uint32_t> depthFunc, cullFace;
    Shadowed<bool> depthMask;
    Shadowed<std::array<bool, 4>> colorMask;
    Shadowed<std::array<float, 2>> polygonOffset;
    Shadowed<std::array<int, 4>> viewport, scissor;
    Shadowed<std::array<float, 4>> clearColor;
    Shadowed<int> activeUnit;
    std::array<Shadowed<uint32_t>, units> textures;
    Shadowed<uint32_t> program_;
    Shadowed<uint32_t> arrayBuffer, elementBuffer;
    UniformCache uniforms;
};

} // namespace webgl
