// A glowing speck: its brightness falls with the distance from the eye, and zMod sets how far
// the glow reaches (0 puts every speck out).
varying vec2 uv;
varying float eyeDepth;

void main()
{
    uv = gl_MultiTexCoord0.xy;
    gl_FrontColor = gl_Color;
    eyeDepth = -(gl_ModelViewMatrix * gl_Vertex).z;
    gl_Position = ftransform();
}
