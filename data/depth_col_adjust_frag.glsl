// The sprite carries its round shape in its brightness: that becomes coverage.
uniform sampler2D tex;
varying vec2 uv;
varying float eyeDepth;

void main()
{
    vec4 texel = texture2D(tex, uv);
    float fade = clamp(1.3 - eyeDepth * 0.8, 0.0, 1.0) * smoothstep(0.01, 0.05, eyeDepth);
    gl_FragColor = vec4(gl_Color.rgb * texel.rgb, gl_Color.a * texel.r * fade);
}
