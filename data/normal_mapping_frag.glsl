uniform sampler2D texture0;
uniform sampler2D normal0;
varying vec2 uv;
varying vec3 lightTangent;
varying vec3 viewTangent;

void main()
{
    vec3 n = normalize(texture2D(normal0, uv).xyz * 2.0 - 1.0);
    vec3 l = normalize(lightTangent);
    vec3 v = normalize(viewTangent);
    float diffuse = max(dot(n, l), 0.0);
    float specular = pow(max(dot(reflect(-l, n), v), 0.0), 32.0);
    vec4 base = texture2D(texture0, uv) * gl_Color;
    gl_FragColor = vec4(base.rgb * (0.25 + 0.75 * diffuse) + vec3(0.3 * specular), base.a);
}
