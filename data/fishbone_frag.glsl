// The depth map is read as plain depth and compared here: the scene leaves the texture's own
// comparison off unless the "Old NVidia" option is set.
uniform sampler2D shadowMap;
uniform sampler2D caus0;
uniform sampler2D caus1;
uniform float causinterp;
varying vec3 normal;
varying vec3 eyePosition;
varying vec4 shadowCoord;
varying vec2 uv;

float lightVisible()
{
    if (shadowCoord.w <= 0.0)
        return 1.0;
    vec3 p = shadowCoord.xyz / shadowCoord.w;
    if (p.x <= 0.0 || p.x >= 1.0 || p.y <= 0.0 || p.y >= 1.0)
        return 1.0;
    const float texel = 1.0 / 1024.0;
    float reference = p.z - 0.0008;
    float sum = 0.0;
    sum += reference <= texture2D(shadowMap, p.xy + vec2(-texel, -texel)).r ? 1.0 : 0.0;
    sum += reference <= texture2D(shadowMap, p.xy + vec2(texel, -texel)).r ? 1.0 : 0.0;
    sum += reference <= texture2D(shadowMap, p.xy + vec2(-texel, texel)).r ? 1.0 : 0.0;
    sum += reference <= texture2D(shadowMap, p.xy + vec2(texel, texel)).r ? 1.0 : 0.0;
    return sum * 0.25;
}

void main()
{
    // The mesh is drawn with its front faces culled: turn every normal towards the eye.
    vec3 n = faceforward(normalize(normal), eyePosition, normalize(normal));
    vec3 l = normalize(gl_LightSource[0].position.xyz);
    vec3 v = normalize(-eyePosition);
    float diffuse = max(dot(n, l), 0.0);
    float specular = diffuse > 0.0 ? pow(max(dot(reflect(-l, n), v), 0.0), gl_FrontMaterial.shininess) : 0.0;
    float visible = lightVisible();
    float caustic = mix(texture2D(caus0, uv * 3.0).r, texture2D(caus1, uv * 3.0).r, causinterp);
    vec4 colour = gl_FrontMaterial.ambient
                + (gl_FrontLightProduct[0].diffuse * diffuse + gl_FrontLightProduct[0].specular * specular)
                      * (0.3 + 0.7 * visible)
                + gl_FrontMaterial.diffuse * caustic * (0.25 + 0.75 * visible) * 0.9;
    gl_FragColor = vec4(colour.rgb, 1.0);
}
