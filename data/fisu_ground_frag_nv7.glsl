// For older drivers: the scene turns the depth texture's own comparison on, so the shadow comes
// from one projected shadow lookup, and the program keeps to straight-line code.
uniform sampler2DShadow shadowMap;
uniform sampler2D texture0;
uniform sampler2D normal0;
uniform sampler2D caus0;
uniform sampler2D caus1;
uniform float causinterp;
varying vec2 uv;
varying vec3 lightTangent;
varying vec4 shadowCoord;

void main()
{
    vec3 n = normalize(texture2D(normal0, uv).xyz * 2.0 - 1.0);
    float diffuse = max(dot(n, normalize(lightTangent)), 0.0);
    float visible = shadow2DProj(shadowMap, shadowCoord - vec4(0.0, 0.0, 0.0008 * shadowCoord.w, 0.0)).r;
    float caustic = mix(texture2D(caus0, uv * 0.7).r, texture2D(caus1, uv * 0.7).r, causinterp);
    vec3 light = vec3(0.35 + 0.9 * diffuse * (0.35 + 0.65 * visible))
               + vec3(0.75, 0.9, 1.0) * caustic * 1.6 * visible;
    gl_FragColor = vec4(texture2D(texture0, uv).rgb * gl_Color.rgb * light, 1.0);
}
