// The fish scene's floor: the coordinates arrive already scrolled; lit through the normal map by
// light 0, in the fish's shadow and under two caustic frames. The texture matrix of unit 0 takes
// eye space to the light's depth map.
varying vec2 uv;
varying vec3 lightTangent;
varying vec4 shadowCoord;

void main()
{
    uv = gl_MultiTexCoord0.xy;
    gl_FrontColor = gl_Color;
    vec3 t = normalize(gl_NormalMatrix * vec3(1.0, 0.0, 0.0));
    vec3 b = normalize(gl_NormalMatrix * vec3(0.0, 0.0, 1.0));
    vec3 n = normalize(gl_NormalMatrix * vec3(0.0, 1.0, 0.0));
    vec3 l = normalize(gl_LightSource[0].position.xyz);
    lightTangent = vec3(dot(l, t), dot(l, b), dot(l, n));
    shadowCoord = gl_TextureMatrix[0] * gl_ModelViewMatrix * gl_Vertex;
    gl_Position = ftransform();
}
