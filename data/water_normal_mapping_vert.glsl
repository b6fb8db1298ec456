// A water surface in the y = 0 plane lit by light 0 through two normal maps scrolling against
// each other.
uniform float time;
varying vec2 uv0;
varying vec2 uv1;
varying vec3 lightTangent;
varying vec3 viewTangent;

void main()
{
    vec3 t = normalize(gl_NormalMatrix * vec3(1.0, 0.0, 0.0));
    vec3 b = normalize(gl_NormalMatrix * vec3(0.0, 0.0, 1.0));
    vec3 n = normalize(gl_NormalMatrix * vec3(0.0, 1.0, 0.0));
    vec3 eyePosition = (gl_ModelViewMatrix * gl_Vertex).xyz;
    vec3 l = gl_LightSource[0].position.xyz - eyePosition * gl_LightSource[0].position.w;
    lightTangent = vec3(dot(l, t), dot(l, b), dot(l, n));
    viewTangent = vec3(dot(-eyePosition, t), dot(-eyePosition, b), dot(-eyePosition, n));
    uv0 = gl_MultiTexCoord0.xy + vec2(time * 0.03, time * 0.05);
    uv1 = gl_MultiTexCoord0.xy * 1.7 - vec2(time * 0.04, time * 0.02);
    gl_Position = ftransform();
}
