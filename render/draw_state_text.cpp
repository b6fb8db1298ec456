#include "render/draw_state_text.h"

#include <algorithm>
#include <cstdlib>
#include <sstream>
#include <utility>
#include <vector>

namespace {

// Every number of a state with its name in the text form, in a fixed order.
std::vector<std::pair<std::string, int*>> numbers(GlDrawState& s)
{
    std::vector<std::pair<std::string, int*>> n = {
        {"mode", &s.mode},
        {"fb", &s.framebuffer},
        {"blend", &s.blend},
        {"src", &s.blendSource},
        {"dst", &s.blendDestination},
        {"depth", &s.depthTest},
        {"depthFunc", &s.depthFunc},
        {"depthMask", &s.depthMask},
        {"alpha", &s.alphaTest},
        {"alphaFunc", &s.alphaFunc},
        {"colorMask", &s.colorMask},
        {"cull", &s.cullFace},
        {"cullMode", &s.cullFaceMode},
        {"offset", &s.polygonOffsetFill},
        {"offsetFactor10", &s.offsetFactor10},
        {"offsetUnits10", &s.offsetUnits10},
        {"clip0", &s.clipPlane0},
        {"lineSmooth", &s.lineSmooth},
        {"pointSmooth", &s.pointSmooth},
        {"lineWidth10", &s.lineWidth10},
        {"pointSize10", &s.pointSize10},
        {"fog", &s.fog},
        {"fogMode", &s.fogMode},
        {"shade", &s.shadeModel},
    };
    for (int u = 0; u < drawStateUnits; ++u) {
        TextureUnitState& t = s.units[u];
        const char prefix[4] = {'u', static_cast<char>('0' + u), '.', '\0'};
        for (auto [name, value] : std::initializer_list<std::pair<const char*, int*>>{
                 {"format", &t.internalFormat},
                 {"pot", &t.powerOfTwo},
                 {"mip", &t.mipmapped},
                 {"min", &t.minFilter},
                 {"mag", &t.magFilter},
                 {"wrapS", &t.wrapS},
                 {"wrapT", &t.wrapT},
                 {"compare", &t.compareMode},
                 {"on", &t.enabled},
                 {"env", &t.envMode},
                 {"texMatrix", &t.textureMatrix}})
            n.emplace_back(std::string(prefix).append(name), value);
    }
    return n;
}

} // namespace

std::string formatDrawState(const GlDrawState& state)
{
    GlDrawState s = state, defaults;
    std::string line = "program=" + (s.program.empty() ? std::string("-") : s.program);
    line += " layout=" + std::to_string(s.layout);
    if (!s.samplers.empty())
        line += " samplers=" + s.samplers;
    const auto defaultNumbers = numbers(defaults);
    const auto stateNumbers = numbers(s);
    for (std::size_t i = 0; i < stateNumbers.size(); ++i)
        if (*stateNumbers[i].second != *defaultNumbers[i].second)
            line += " " + stateNumbers[i].first + "=" + std::to_string(*stateNumbers[i].second);
    return line;
}

bool parseDrawState(const std::string& line, GlDrawState& state)
{
    GlDrawState s;
    auto fields = numbers(s);
    std::istringstream words(line);
    std::string word;
    bool programSeen = false, layoutSeen = false;
    while (words >> word) {
        const std::size_t eq = word.find('=');
        if (eq == std::string::npos || eq == 0 || eq + 1 == word.size())
            return false;
        const std::string name = word.substr(0, eq), value = word.substr(eq + 1);
        if (name == "program") {
            s.program = value == "-" ? "" : value;
            programSeen = true;
            continue;
        }
        if (name == "samplers") {
            s.samplers = value;
            continue;
        }
        char* end = nullptr;
        const long number = std::strtol(value.c_str(), &end, 10);
        if (*end != '\0' || number < -(1L << 30) || number > (1L << 30))
            return false;
        if (name == "layout") {
            s.layout = static_cast<unsigned>(number);
            layoutSeen = true;
            continue;
        }
        auto field = std::find_if(fields.begin(), fields.end(), [&](const auto& f) { return f.first == name; });
        if (field == fields.end())
            return false;
        *field->second = static_cast<int>(number);
    }
    if (!programSeen || !layoutSeen)
        return false;
    state = std::move(s);
    return true;
}
