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
    // Up to 0.2 (the credits) the shift grows with distortmodi. A greeting's distortmodi rises
    // on as the picture fades; taken as it comes, it tore the names into fragments for most of
    // their time on screen. Beyond 0.2 it adds nothing until the greeting's last stretch, where
    // the water breaks the letters up as they go.
    float reach = 0.06 * min(distortmodi, 0.2) + 0.04 * smoothstep(0.75, 0.85, distortmodi);
    gl_FragColor = texture2D(tex, uv + slope * reach) * vari;
}
