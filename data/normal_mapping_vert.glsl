// Bump mapping by light 0: the normal map on unit 1 is read in a tangent frame built from the
// vertex normal and the s direction of the texture.
varying vec2 uv;
varying vec3 lightTangent;
varying vec3 viewTangent;

void main()
{
    vec3 n = normalize(gl_NormalMatrix * gl_Normal);
    vec3 helper = abs(gl_Normal.y) < 0.99 ? vec3(0.0, 1.0, 0.0) : vec3(1.0, 0.0, 0.0);
    vec3 t = normalize(gl_NormalMatrix * normalize(cross(helper, gl_Normal)));
    vec3 b = cross(n, t);
    vec3 eyePosition = (gl_ModelViewMatrix * gl_Vertex).xyz;
    vec3 l = gl_LightSource[0].position.xyz - eyePosition * gl_LightSource[0].position.w;
    lightTangent = vec3(dot(l, t), dot(l, b), dot(l, n));
    viewTangent = vec3(dot(-eyePosition, t), dot(-eyePosition, b), dot(-eyePosition, n));
    uv = gl_MultiTexCoord0.xy;
    gl_FrontColor = gl_Color;
    gl_Position = ftransform();
}
