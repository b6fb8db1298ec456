// Phong lighting by light 0 for textured, vertex-coloured sprites and shells.
varying vec3 normal;
varying vec3 eyePosition;
varying vec2 uv;

void main()
{
    normal = gl_NormalMatrix * gl_Normal;
    eyePosition = (gl_ModelViewMatrix * gl_Vertex).xyz;
    uv = gl_MultiTexCoord0.xy;
    gl_FrontColor = gl_Color;
    gl_Position = ftransform();
}
