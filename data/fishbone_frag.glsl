// The depth map is read as plain depth and compared here: the scene leaves the texture's own
// comparison off unless the "Old NVidia" option is set.
//
// The mesh tells what each point is through its texture coordinates (tools/datagen/meshes.cpp):
// u runs along the fish from the snout (0) to the tail's tip (1); v is 0 .. 1 on the body from
// the belly's midline to the back's, 2 .. 3 on a fin from where it leaves the body to its edge,
// and 4 .. 5 on an eye from the pupil's centre backwards. The body is dark above and silver
// below; the fins darken and show their rays towards the edge. Everything is kept dim enough
// that the glow the scene adds afterwards (about one and a half times the picture again) leaves
// the brightest highlights under white.
uniform sampler2D shadowMap;
uniform sampler2D caus0;
uniform sampler2D caus1;
uniform float causinterp;
varying vec3 normal;
varying vec3 eyePosition;
varying vec4 shadowCoord;
varying vec2 uv;
varying vec3 body;

float lightVisible()
{
    if (shadowCoord.w <= 0.0)
        return 1.0;
    vec3 p = shadowCoord.xyz / shadowCoord.w;
    if (p.x <= 0.0 || p.x >= 1.0 || p.y <= 0.0 || p.y >= 1.0)
        return 1.0;
    // Eight taps on a ring two and a half texels out and one at the middle: a soft edge, and a
    // speck smaller than the ring darkens only a little.
    const float ring = 2.5 / 1024.0;
    float reference = p.z - 0.0008;
    float sum = reference <= texture2D(shadowMap, p.xy).r ? 1.0 : 0.0;
    for (int i = 0; i < 8; ++i) {
        float a = float(i) * 0.785398;
        sum += reference <= texture2D(shadowMap, p.xy + ring * vec2(cos(a), sin(a))).r ? 1.0 : 0.0;
    }
    return sum / 9.0;
}

vec3 skin()
{
    // The back dark enough to stay under the highlights' roll-off even in the caustics' light,
    // where it used to meet the flanks in one tone.
    vec3 back = vec3(0.11, 0.15, 0.17);
    vec3 flank = vec3(0.74, 0.75, 0.74);
    vec3 belly = vec3(0.92, 0.91, 0.86);
    if (uv.y < 1.5) {
        float h = uv.y;
        vec3 c = mix(belly, flank, smoothstep(0.05, 0.4, h));
        c = mix(c, back, smoothstep(0.6, 0.88, h));
        // Round dark spots over the back and the upper flank, a thin lateral line.
        float spots = sin(body.x * 0.42 + 1.3 * sin(body.y * 0.3)) * sin(body.y * 0.62 + 1.3 * sin(body.x * 0.27));
        c *= 1.0 - 0.4 * smoothstep(0.6, 0.85, spots) * smoothstep(0.5, 0.75, h);
        c *= 1.0 - 0.2 * (1.0 - smoothstep(0.0, 0.01, abs(h - 0.6))) * step(0.14, uv.x);
        return c;
    }
    if (uv.y < 3.5) {
        float d = clamp(uv.y - 2.0, 0.0, 1.0);
        // Fins take the body's tone where they leave it, then turn thin and pale towards the
        // edge, their rays showing.
        vec3 root = mix(flank, back, smoothstep(10.0, 40.0, body.y));
        // Thin towards the edge, they let the dark water through: darker, their rays showing.
        vec3 c = mix(root, vec3(0.36, 0.42, 0.46), smoothstep(0.0, 0.6, d));
        float rays = 0.5 + 0.5 * sin(uv.x * 900.0);
        return c * (1.0 - 0.4 * d) * (1.0 - 0.25 * d * rays);
    }
    float a = uv.y - 4.0;
    vec3 iris = vec3(0.7, 0.62, 0.4);
    vec3 c = mix(vec3(0.02), iris, smoothstep(0.16, 0.2, a));
    return mix(c, flank, smoothstep(0.3, 0.36, a));
}

void main()
{
    // The mesh is drawn with its front faces culled: turn every normal towards the eye.
    vec3 n = faceforward(normalize(normal), eyePosition, normalize(normal));
    vec3 l = normalize(gl_LightSource[0].position.xyz);
    vec3 v = normalize(-eyePosition);
    // Light wrapped a little past the terminator, so neighbouring facets differ gently.
    float diffuse = clamp((dot(n, l) + 0.3) / 1.3, 0.0, 1.0);
    float specular = pow(max(dot(reflect(-l, n), v), 0.0), gl_FrontMaterial.shininess * 0.2);
    float visible = lightVisible();
    vec2 causticAt = vec2(body.x, 0.8 * body.y + 0.6 * body.z) / 130.0;
    float caustic = mix(texture2D(caus0, causticAt).r, texture2D(caus1, causticAt).r, causinterp);
    vec3 albedo = skin();
    vec3 lit = gl_FrontMaterial.ambient.rgb
             + gl_FrontLightProduct[0].diffuse.rgb * diffuse * (0.35 + 0.65 * visible)
             + gl_FrontMaterial.diffuse.rgb * caustic * (0.2 + 0.8 * visible) * 0.7;
    // A fin is a thin membrane: little shine, which on its broad flat faces would fill them.
    float shine = uv.y < 1.5 ? 0.2 : 0.05;
    vec3 colour = albedo * lit * 1.3 + gl_FrontLightProduct[0].specular.rgb * specular * visible * shine;
    // Highlights roll off softly below 0.4: the glow pass adds about one and a half times the
    // picture again, and 0.4 then stays just under white.
    vec3 over = max(colour - 0.28, 0.0);
    colour = min(colour, 0.28) + 0.12 * (1.0 - exp(-over / 0.12));
    gl_FragColor = vec4(colour, 1.0);
}
