uniform sampler2D caus0;
uniform sampler2D caus1;
uniform float causinterp;
uniform vec4 vari;
varying vec2 uv;

void main()
{
    gl_FragColor = mix(texture2D(caus0, uv), texture2D(caus1, uv), causinterp) * vari;
}
