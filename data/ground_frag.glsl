// Floor texture lit through the normal map by light 0, fading into the water colour (minColor.rgb)
// with distance; minColor.a is the floor's brightness, so a fading floor sinks into the water.
uniform sampler2D texture0;
uniform sampler2D normal0;
uniform vec4 minColor;
varying vec2 uv;
varying vec3 lightTangent;
varying vec3 eyePosition; // a distance would not interpolate linearly

void main()
{
    vec3 n = normalize(texture2D(normal0, uv).xyz * 2.0 - 1.0);
    float diffuse = max(dot(n, normalize(lightTangent)), 0.0);
    vec3 lit = texture2D(texture0, uv).rgb * gl_Color.rgb * (0.5 + 1.6 * diffuse);
    float fog = clamp((length(eyePosition) - 3.0) / 12.0, 0.0, 1.0);
    gl_FragColor = vec4(mix(lit, minColor.rgb * minColor.a, fog), 1.0);
}
