uniform sampler2D tex;
uniform float zMod;
varying vec2 uv;
varying float eyeDepth;

void main()
{
    float glow = clamp(zMod / (1.0 + 0.08 * eyeDepth * eyeDepth), 0.0, 1.0);
    gl_FragColor = texture2D(tex, uv) * gl_Color * glow;
}
