// The depth map is read as plain depth and compared here: without the "Old NVidia" option the
// scene leaves the texture's own comparison off.
uniform sampler2D shadowMap;
uniform sampler2D texture0;
uniform sampler2D normal0;
uniform sampler2D caus0;
uniform sampler2D caus1;
uniform float causinterp;
varying vec2 uv;
varying vec3 lightTangent;
varying vec4 shadowCoord;

float lightVisible()
{
    if (shadowCoord.w <= 0.0)
        return 1.0;
    vec3 p = shadowCoord.xyz / shadowCoord.w;
    if (p.x <= 0.0 || p.x >= 1.0 || p.y <= 0.0 || p.y >= 1.0)
        return 1.0;
    const float texel = 1.0 / 1024.0;
    float reference = p.z - 0.0008;
    float sum = 0.0;
    sum += reference <= texture2D(shadowMap, p.xy + vec2(-texel, -texel)).r ? 1.0 : 0.0;
    sum += reference <= texture2D(shadowMap, p.xy + vec2(texel, -texel)).r ? 1.0 : 0.0;
    sum += reference <= texture2D(shadowMap, p.xy + vec2(-texel, texel)).r ? 1.0 : 0.0;
    sum += reference <= texture2D(shadowMap, p.xy + vec2(texel, texel)).r ? 1.0 : 0.0;
    return sum * 0.25;
}

void main()
{
    vec3 n = normalize(texture2D(normal0, uv).xyz * 2.0 - 1.0);
    float diffuse = max(dot(n, normalize(lightTangent)), 0.0);
    float visible = lightVisible();
    float caustic = mix(texture2D(caus0, uv * 0.7).r, texture2D(caus1, uv * 0.7).r, causinterp);
    vec3 light = vec3(0.35 + 0.9 * diffuse * (0.35 + 0.65 * visible))
               + vec3(0.75, 0.9, 1.0) * caustic * 1.6 * visible;
    gl_FragColor = vec4(texture2D(texture0, uv).rgb * gl_Color.rgb * light, 1.0);
}
