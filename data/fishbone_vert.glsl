// The fish, flat-shaded by light 0 and the material, in the light's shadow and under the caustics.
// The texture matrix of unit 0 takes eye space to the light's depth map. The mesh's own
// coordinates (after the bend) place the caustics and the body's colouring.
varying vec3 normal;
varying vec3 eyePosition;
varying vec4 shadowCoord;
varying vec2 uv;
varying vec3 body;

void main()
{
    vec4 eye = gl_ModelViewMatrix * gl_Vertex;
    normal = gl_NormalMatrix * gl_Normal;
    eyePosition = eye.xyz;
    shadowCoord = gl_TextureMatrix[0] * eye;
    uv = gl_MultiTexCoord0.xy;
    body = gl_Vertex.xyz;
    gl_Position = ftransform();
}
