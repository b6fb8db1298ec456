// A drifting mote, fading out with distance from the eye (and right in front of it).
varying vec2 uv;
varying float eyeDepth;

void main()
{
    uv = gl_MultiTexCoord0.xy;
    gl_FrontColor = gl_Color;
    eyeDepth = -(gl_ModelViewMatrix * gl_Vertex).z;
    gl_Position = ftransform();
}
