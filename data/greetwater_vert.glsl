// A picture seen through rippling water: one set of coordinates serves the ripple normal map and
// the picture.
varying vec2 uv;

void main()
{
    uv = gl_MultiTexCoord0.xy;
    gl_Position = ftransform();
}
