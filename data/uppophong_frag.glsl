uniform sampler2D tex;
varying vec3 normal;
varying vec3 eyePosition;
varying vec2 uv;

void main()
{
    vec3 n = normalize(normal);
    vec3 l = normalize(gl_LightSource[0].position.xyz - eyePosition * gl_LightSource[0].position.w);
    vec3 v = normalize(-eyePosition);
    float diffuse = abs(dot(n, l));
    float specular = pow(max(dot(reflect(-l, n), v), 0.0), 24.0);
    vec4 texel = texture2D(tex, uv) * gl_Color;
    gl_FragColor = vec4(texel.rgb * (0.3 + 0.7 * diffuse) + vec3(0.4 * specular) * texel.a, texel.a);
}
