// The sea floor. The grid lies flat: s runs along x, t along z and the normal map's blue is up,
// so the light goes into that frame with three dot products. The vertex colour carries the
// floor's brightness and its radial shade.
varying vec2 uv;
varying vec3 lightTangent;
varying vec3 eyePosition;

void main()
{
    uv = gl_MultiTexCoord0.xy;
    gl_FrontColor = gl_Color;
    vec3 t = normalize(gl_NormalMatrix * vec3(1.0, 0.0, 0.0));
    vec3 b = normalize(gl_NormalMatrix * vec3(0.0, 0.0, 1.0));
    vec3 n = normalize(gl_NormalMatrix * vec3(0.0, 1.0, 0.0));
    vec3 l = normalize(gl_LightSource[0].position.xyz);
    lightTangent = vec3(dot(l, t), dot(l, b), dot(l, n));
    eyePosition = (gl_ModelViewMatrix * gl_Vertex).xyz;
    gl_Position = ftransform();
}
