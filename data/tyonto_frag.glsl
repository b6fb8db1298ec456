uniform sampler2D tex;
uniform float zMod;
varying vec2 uv;
varying float eyeDepth;

void main()
{
    vec4 texel = texture2D(tex, uv);
    // The specks are drawn with depth on: only the round middle may cover the specks behind it,
    // or a near speck's clear corners cut dark squares into their glow.
    if (texel.r < 0.1)
        discard;
    float glow = clamp(zMod / (1.0 + 0.08 * eyeDepth * eyeDepth), 0.0, 1.0);
    gl_FragColor = texel * gl_Color * glow;
}
