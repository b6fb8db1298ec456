// Animated value noise over a full-screen quad.
varying vec2 uv;

void main()
{
    uv = gl_MultiTexCoord0.xy;
    gl_FrontColor = gl_Color;
    gl_Position = ftransform();
}
