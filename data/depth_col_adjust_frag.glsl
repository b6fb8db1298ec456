// The sprite carries its round shape in its brightness: that becomes coverage.
uniform sampler2D tex;
varying vec2 uv;
varying float eyeDepth;

void main()
{
    vec4 texel = texture2D(tex, uv);
    // Only the sprite's round middle covers what lies behind: its faint rim and corners write no
    // depth, into the window nor into the light's depth map (where the square would cast a
    // diamond-shaped shadow).
    if (texel.r < 0.25)
        discard;
    float fade = clamp(1.3 - eyeDepth * 0.8, 0.0, 1.0) * smoothstep(0.01, 0.05, eyeDepth);
    gl_FragColor = vec4(gl_Color.rgb * texel.rgb, gl_Color.a * texel.r * fade);
}
