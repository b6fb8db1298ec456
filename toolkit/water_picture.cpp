#include "toolkit/water_picture.h"

#include "maths/ramps.h"
#include "render/driver_flags.h"
#include "render/post_process.h"
#include "toolkit/scene_kit.h"

float waterPictureFade(float t) { return sceneFade(t, 0.25f, 4.0f, 0.85f, 6.666668f); }

ShaderProgram* bindWaterPictureProgram()
{
    ShaderProgram* program = nullptr;
    if (!oldNvidia && shaderManager)
        program = shaderManager->getShader("greetwater");
    if (program) {
        program->bind();
        program->setUniform1i("water", 0);
        program->setUniform1i("tex", 1);
    }
    return program;
}

void runWaterPicture(Base& effect)
{
    const float t = sceneTime(effect);
    const float alpha = waterPictureFade(t);
    PostProcess::beginCapture(true);
    effect.draw(t, alpha); // each draws its own pictures here
    PostProcess::glowPass(4, 0.005f, 0.005f, 0.8648f, -1.0f, 1.0f, 0);
}
