// The fish, flat-shaded by light 0 and the material, in the light's shadow and under the caustics.
// The texture matrix of unit 0 takes eye space to the light's depth map.
varying vec3 normal;
varying vec3 eyePosition;
varying vec4 shadowCoord;
varying vec2 uv;

void main()
{
    vec4 eye = gl_ModelViewMatrix * gl_Vertex;
    normal = gl_NormalMatrix * gl_Normal;
    eyePosition = eye.xyz;
    shadowCoord = gl_TextureMatrix[0] * eye;
    uv = gl_MultiTexCoord0.xy;
    gl_Position = ftransform();
}
