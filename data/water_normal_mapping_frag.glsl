uniform sampler2D normal0;
uniform vec4 waterColor;
varying vec2 uv0;
varying vec2 uv1;
varying vec3 lightTangent;
varying vec3 viewTangent;

void main()
{
    vec3 n = normalize(texture2D(normal0, uv0).xyz + texture2D(normal0, uv1).xyz - 1.0);
    vec3 l = normalize(lightTangent);
    vec3 v = normalize(viewTangent);
    float diffuse = max(dot(n, l), 0.0);
    float specular = pow(max(dot(reflect(-l, n), v), 0.0), 64.0);
    float fresnel = pow(1.0 - max(dot(n, v), 0.0), 3.0);
    vec3 colour = waterColor.rgb * (0.4 + 0.6 * diffuse) + vec3(specular + 0.3 * fresnel);
    gl_FragColor = vec4(colour, waterColor.a);
}
