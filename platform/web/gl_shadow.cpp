#include "platform/web/gl_shadow.h"

#include <iterator>

namespace webgl {

namespace {

uint64_t key(uint32_t program, int32_t location)
{
    return uint64_t{program} << 32 | static_cast<uint32_t>(location);
}

constexpr uint32_t arrayBufferTarget = 0x8892, elementBufferTarget = 0x8893;

} // namespace

bool UniformCache::changed(uint32_t program, int32_t location, const void* values, size_t bytes)
{
    if (location < 0)
        return false;
    std::vector<uint8_t>& held = values_[key(program, location)];
    if (held.size() == bytes && std::memcmp(held.data(), values, bytes) == 0)
        return false;
    const auto* begin = static_cast<const uint8_t*>(values);
    held.assign(begin, begin + bytes);
    return true;
}

void UniformCache::forget(uint32_t program)
{
    for (auto it = values_.begin(); it != values_.end();)
        it = static_cast<uint32_t>(it->first >> 32) == program ? values_.erase(it) : std::next(it);
}

void WebGlShadow::textureDeleted(uint32_t texture)
{
    for (Shadowed<uint32_t>& bound : textures)
        if (bound.known() && bound.value() == texture)
            bound.set(0);
}

void WebGlShadow::programDeleted(uint32_t program)
{
    if (program_.known() && program_.value() == program)
        program_.forget();
    uniforms.forget(program);
}

bool WebGlShadow::bindBuffer(uint32_t target, uint32_t buffer)
{
    if (target == arrayBufferTarget)
        return arrayBuffer.set(buffer);
    if (target == elementBufferTarget)
        return elementBuffer.set(buffer);
    return true;
}

void WebGlShadow::bufferDeleted(uint32_t buffer)
{
    for (Shadowed<uint32_t>* bound : {&arrayBuffer, &elementBuffer})
        if (bound->known() && bound->value() == buffer)
            bound->set(0);
}

} // namespace webgl
