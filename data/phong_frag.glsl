varying vec3 normal;
varying vec3 eyePosition;

void main()
{
    vec3 n = normalize(normal);
    vec3 l = normalize(gl_LightSource[0].position.xyz - eyePosition * gl_LightSource[0].position.w);
    vec3 v = normalize(-eyePosition);
    vec3 r = reflect(-l, n);
    float diffuse = max(dot(n, l), 0.0);
    float specular = diffuse > 0.0 ? pow(max(dot(r, v), 0.0), max(gl_FrontMaterial.shininess, 1.0)) : 0.0;
    gl_FragColor = gl_FrontLightProduct[0].ambient + gl_FrontLightProduct[0].diffuse * diffuse
                 + gl_FrontLightProduct[0].specular * specular;
    gl_FragColor.a = gl_FrontMaterial.diffuse.a;
}
