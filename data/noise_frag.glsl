uniform float time;
uniform float scale;
varying vec2 uv;

float hash(vec2 p)
{
    return fract(sin(dot(p, vec2(12.9898, 78.233))) * 43758.5453);
}

float valueNoise(vec2 p)
{
    vec2 i = floor(p);
    vec2 f = fract(p);
    vec2 w = f * f * (3.0 - 2.0 * f);
    float a = hash(i);
    float b = hash(i + vec2(1.0, 0.0));
    float c = hash(i + vec2(0.0, 1.0));
    float d = hash(i + vec2(1.0, 1.0));
    return mix(mix(a, b, w.x), mix(c, d, w.x), w.y);
}

void main()
{
    vec2 p = uv * max(scale, 1.0) + vec2(time * 0.7, time * 0.3);
    float v = 0.5 * valueNoise(p) + 0.25 * valueNoise(p * 2.03) + 0.125 * valueNoise(p * 4.01)
            + 0.0625 * valueNoise(p * 7.97);
    gl_FragColor = vec4(vec3(v / 0.9375), 1.0) * gl_Color;
}
