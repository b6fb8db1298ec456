// The ripple's slope shifts where the picture is read; distortmodi scales the shift. Cells the
// ripple never wrote (alpha 0 at its border) do not move the picture. Green holds the slope
// along s (across the columns), red along t (across the rows).
uniform sampler2D water;
uniform sampler2D tex;
uniform float distortmodi;
uniform vec4 vari;
varying vec2 uv;

void main()
{
    vec4 ripple = texture2D(water, uv);
    vec2 slope = (ripple.gr * 2.0 - 1.0) * ripple.a;
    gl_FragColor = texture2D(tex, uv + slope * distortmodi * 0.06) * vari;
}
