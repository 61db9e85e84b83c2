// The generated GLSL texts, compared whole where their exact form matters.
#include "render/glsl_programs.h"

#include <gtest/gtest.h>

namespace {

// The loop head and the light direction shared by every lighting body.
const std::string kLoopHead =
    "\t\tfor(int i=0;i<NUM_LIGHTS;++i)\n"
    "\t\t{ \n"
    "\t\t\t\tvec3 light_dir = gl_LightSource[i].position.xyz;\n"
    "\t\t\t\tfloat Kepler = 1.f; \n"
    "\t\t\t\tif( gl_LightSource[i].position.w == 1 ) \n"
    "\t\t\t\t{ \n"
    "\t\t\t\t\t\tlight_dir -= P; \n"
    "\t\t\t\t\t\tfloat light_dist_sq = dot(light_dir,light_dir); \n"
    "\t\t\t\t\t\tfloat light_dist = sqrt(light_dist_sq); \n"
    "\t\t\t\t\t\tKepler /= (gl_LightSource[i].constantAttenuation + "
    "gl_LightSource[i].linearAttenuation * light_dist + "
    "gl_LightSource[i].quadraticAttenuation*light_dist_sq) ; \n"
    "\t\t\t\t\t\tlight_dir /= light_dist; \n"
    "\t\t\t\t} \n"
    "\t\t\t\telse\n"
    "\t\t\t\t{\n"
    "\t\t\t\t\t\tlight_dir = normalize( light_dir );\n"
    "\t\t\t\t}\n";

std::string body(bool clamp, bool specular, bool two_sided, bool ambient, bool attenuate,
                 bool use_color, bool per_light) {
  return ProgramGL::default_lighted_vertex_main("P", "N", "O", "D", clamp, specular, two_sided,
                                                ambient, attenuate, use_color, per_light);
}

}  // namespace

TEST(DefaultLightedVertexMain, AllFlagsOffIsDiffusePlusEmission) {
  EXPECT_EQ(body(false, false, false, false, false, false, false),
            "\t\tvec4 diffuse = vec4(0.0, 0.0, 0.0, 0.0); \n"
            "\t\tvec3 cameraDir = D; \n"
            "\t\tvec3 inNormal = N; \n" +
                kLoopHead +
                "\t\t\t\tfloat Lambert_Kepler = Kepler * max(dot(light_dir,inNormal),0.0); \n"
                "\t\t\t\tvec4 delta_diffuse = vec4( gl_FrontLightProduct[i].diffuse.xyz * "
                "Lambert_Kepler, gl_FrontLightProduct[i].diffuse.a ); \n"
                "\t\t\t\tdiffuse += delta_diffuse; \n"
                "\t\t} \n"
                "\t\tO = diffuse + gl_FrontMaterial.emission; \n");
}

TEST(DefaultLightedVertexMain, SpecularTwoSidedClampedWithAttenuatedAmbientAndColour) {
  EXPECT_EQ(body(true, true, true, true, true, true, false),
            "\t\tvec4 specular = vec4(0.0, 0.0, 0.0, 0.0); \n"
            "\t\tvec4 diffuse = vec4(0.0, 0.0, 0.0, 0.0); \n"
            "\t\tvec3 cameraDir = D; \n"
            "\t\tvec3 inNormal = N; \n" +
                kLoopHead +
                "\t\t\t\tfloat Lambert_Kepler = Kepler * abs(dot(light_dir,inNormal)); \n"
                "\t\t\t\tvec4 delta_diffuse = vec4( gl_FrontLightProduct[i].diffuse.xyz * "
                "Lambert_Kepler, gl_FrontLightProduct[i].diffuse.a ) + vec4( "
                "gl_FrontLightProduct[i].ambient.rgb * Kepler, gl_FrontLightProduct[i].ambient.a); "
                "\n"
                "\t\t\t\tdiffuse += delta_diffuse; \n"
                "\t\t\t\tif(gl_FrontMaterial.shininess>0) {vec4 delta_specular = vec4( "
                "gl_FrontLightProduct[i].specular.xyz* Lambert_Kepler * "
                "pow(abs(dot(cameraDir,reflect(light_dir, inNormal))),gl_FrontMaterial.shininess), "
                "gl_FrontLightProduct[i].specular.a);\n"
                "\t\t\t\tspecular += delta_specular; \n"
                "} \n"
                "\t\t} \n"
                "\t\tO = clamp(diffuse + specular + gl_FrontMaterial.emission, 0.0, 1.0); \n"
                "\t\tO *= gl_Color; \n");
}

TEST(DefaultLightedVertexMain, ColourFlagsChooseWhereTheColourMultiplies) {
  struct Case {
    bool ambient, use_color, per_light;
    std::vector<std::string> present, absent;
  };
  const std::vector<Case> cases{
      {true,
       false,
       true,
       {"\t\t\t\tdiffuse += delta_diffuse; \n", " + gl_FrontLightProduct[i].ambient; \n"},
       {"gl_Color"}},
      {false,
       true,
       true,
       {"\t\t\t\tdiffuse += delta_diffuse * gl_Color[i]; \n",
        "\t\t\t\tspecular += delta_specular * gl_Color[i]; \n"},
       {"*= gl_Color", "ambient"}},
      {false,
       true,
       false,
       {"\t\t\t\tspecular += delta_specular; \n",
        "\t\t} \n\t\tO = diffuse + specular + "
        "gl_FrontMaterial.emission; \n\t\tO *= gl_Color; \n"},
       {"gl_Color[i]"}},
  };
  for (const Case& c : cases) {
    const std::string text = body(false, true, false, c.ambient, false, c.use_color, c.per_light);
    for (const std::string& p : c.present) EXPECT_NE(text.find(p), std::string::npos) << p;
    for (const std::string& a : c.absent) EXPECT_EQ(text.find(a), std::string::npos) << a;
    // The one-sided reflection term.
    EXPECT_NE(text.find("pow(max(dot(cameraDir,-reflect(light_dir,inNormal)),0.0),"),
              std::string::npos);
  }
}

TEST(Pipeline, VertexInputsAndHeaders) {
  Pipeline p;
  EXPECT_EQ(p.default_vertex_inputs(false, false),
            "layout(location=0) in vec3 vtx_attrib; \nlayout(location=1) in vec3 vtx_normal; \n ");
  EXPECT_EQ(p.default_vertex_inputs(true, true),
            "layout(location=0) in vec3 vtx_attrib; \nlayout(location=2) in vec3 vtx_normal; \n "
            "layout(location=1) in vec2 tex_coords; \n ");
  p.set_num_lights(7);
  EXPECT_EQ(p.default_lighted_vertex_header(false),
            "#version 450 compatibility \n#define NUM_LIGHTS 7\n");
  EXPECT_EQ(p.default_lighted_vertex_header(true),
            "#version 450 compatibility \n#define NUM_LIGHTS 7\nout gl_PerVertex \n { \n \t vec4 "
            "gl_Position; \n \t vec4 gl_FrontColor; \n }; \n \n");
  EXPECT_EQ(p.vertex_main_source("H", "B"), "Hvoid main() \n { \nB} \n");
  EXPECT_EQ(p.default_fragment_source(),
            "#version 450 core \nin vec4 vtx_color; \nvoid main() \n { \n \t if (vtx_color.a == "
            "0.0) { discard; return; }; \n \t gl_FragColor = vtx_color; \n }");
}

TEST(Pipeline, DefaultLightedVertexSourceFollowsThePositionName) {
  Pipeline p;
  p.vertex_attrib_name = "pos";
  const std::string text = p.default_lighted_vertex_source();
  const std::string expected =
      p.default_lighted_vertex_header(true) + p.default_vertex_inputs(false, false) +
      "void main() \n { \n" +
      ProgramGL::default_lighted_vertex_main("vtx_attrib", "vtx_normal", "gl_FrontColor",
                                             "-normalize(vtx_attrib)", false, true, false, true,
                                             false, false, false) +
      "\t\tgl_Position = /* ftransform() */ gl_ModelViewProjectionMatrix * vec4(pos,1.0);\n} \n";
  EXPECT_EQ(text, expected);
  EXPECT_NE(text.find("layout(location=0) in vec3 pos; \n"), std::string::npos);
}

TEST(Pipeline, CopiesCarryEveryField) {
  Pipeline p;
  p.num_lights = 2;
  p.source_folder = "shaders";
  p.color_name = "c";
  Pipeline copy(p);
  EXPECT_EQ(copy.num_lights, 2u);
  EXPECT_EQ(copy.source_folder, "shaders");
  Pipeline assigned;
  assigned = p;
  EXPECT_EQ(assigned.color_name, "c");
  EXPECT_EQ(assigned.default_fragment_source(), p.default_fragment_source());
}

TEST(VBOProgramSources, UntexturedProgramHasNoSampler) {
  const VBOProgramSources s = vbo_program_sources(
      3, "uniform float k; \n", "gl_Position = ftransform()", "", "-normalize(vtx_temp)",
      "in float f; \n", "gl_FragDepth = f; \n", false, false);
  EXPECT_EQ(
      s.fragment,
      "#version 450 compatibility\n \nin vec4 gl_Color; \n in vec4 vtx_specular; \nin float "
      "f; \n\n\n void main()\n { \n \t gl_FragColor =gl_Color + vtx_specular; \ngl_FragDepth = "
      "f; \n}\n");
  EXPECT_EQ(s.vertex,
            "\n #version 450 compatibility\n#define NUM_LIGHTS 3\n out gl_PerVertex\n { \n vec4 "
            "gl_Position; \n vec4 gl_FrontColor; \n}; \n out vec4 vtx_specular; \nuniform float k; "
            "\nvoid main()\n { \n vec3 vtx_temp = vec3(gl_ModelViewMatrix * gl_Vertex); \n vec3 "
            "vtx_norm = gl_NormalMatrix * gl_Normal; \n" +
                ProgramGL::default_lighted_vertex_main("vtx_temp", "vtx_norm", "gl_FrontColor",
                                                       "-normalize(vtx_temp)", false, true, false,
                                                       true, false, false, false) +
                "vtx_specular = specular; \ngl_Position = ftransform();\n\t}");
}

TEST(VBOProgramSources, TexturedProgramDeclaresVec4TexCoordsAndWritesTheirXY) {
  const VBOProgramSources s = vbo_program_sources(1, "", "gl_Position = ftransform()",
                                                  "gl_TexCoord[0] = gl_MultiTexCoord0.xy",
                                                  "-normalize(vtx_temp)", "", "", false, false);
  EXPECT_NE(s.vertex.find(" vec4 gl_FrontColor; \nvec4 gl_TexCoord[1];\n}; \n"), std::string::npos);
  EXPECT_TRUE(s.vertex.ends_with(
      "vtx_specular = specular; \ngl_Position = ftransform();\n\tgl_TexCoord[0].xy = "
      "gl_MultiTexCoord0.xy;\n}"))
      << s.vertex;
  EXPECT_EQ(s.fragment,
            "#version 450 compatibility\n \nuniform sampler2D mytexture; \nin vec4 gl_Color; \n in "
            "vec4 vtx_specular; \n\n\n void main()\n { \n \t gl_FragColor =texture(mytexture, "
            "gl_TexCoord[0].xy) *gl_Color + vtx_specular; \n}\n");
}

TEST(VBOProgramSources, OnlyAWholeTexCoordAssignmentIsNarrowed) {
  const std::vector<std::pair<std::string, std::string>> cases{
      {" gl_TexCoord[0]= v", " gl_TexCoord[0].xy= v"},
      {"gl_TexCoord[0].st = v", "gl_TexCoord[0].st = v"},
      {"gl_TexCoord[0] == v", "gl_TexCoord[0] == v"},
      {"t = gl_TexCoord[0]", "t = gl_TexCoord[0]"},
  };
  for (const auto& [statement, written] : cases) {
    const VBOProgramSources s =
        vbo_program_sources(1, "", "p", statement, "d", "", "", false, false);
    EXPECT_NE(s.vertex.find("p;\n\t" + written + ";\n}"), std::string::npos) << statement;
  }
}

TEST(LensGLSL, ProjectionAndTransformTexts) {
  const std::string projection = lens_projection_glsl("M", "I", "V", "EX", "EZ", "XA", "ZA", "F");
  EXPECT_EQ(projection,
            "/* Vertex x,z coords */ \nfloat z0 = dot(ZA, V); \n if (z0 > 0.0 /* Wrong side of "
            "lens! */) { /*M = 0.0/0.0; don't modify */} \n else \n { \n/* Focal length */ \nfloat "
            "f = F; \n/* Eye coords */ \nfloat eye_x = EX; \n float eye_z = EZ ; \nfloat one_d_f = "
            "1.0 - eye_z/f; \nfloat x0 = dot(XA, V); \n/* Incident angle theta */ \nfloat theta = "
            "(eye_x - x0 * one_d_f) / (eye_z - z0 * one_d_f); \n/* Exiting angle theta'' */ "
            "\nfloat theta2 = theta * (1.0 + z0/f) - x0/f; \n/* Magnification */ \nM = (eye_x - "
            "eye_z * theta2) / (x0 - z0 * theta2); \n/* x-intercept */ \nI = eye_x - eye_z * "
            "theta2; \n}\n");
  const std::string lens = lens_transform_glsl();
  EXPECT_EQ(
      lens.rfind("\n vec3 lens_transform( vec3 ); \n \n vec3 lens_transform(vec3 position)\n { \n "
                 "\n vec3 r0 = position - lens_orientation[3];\nfloat magnification = 0.0/0.0; \n "
                 "float x_intercept;\n float y_intercept; \n float mag_y; \n{\n/* Vertex",
                 0),
      0u);
  EXPECT_NE(lens.find("\n}{\n/* Vertex x,z coords */ \nfloat z0 = dot(lens_orientation[2], r0); "),
            std::string::npos);
  EXPECT_NE(lens.find("float eye_x = 0.0; \n float eye_z = eye_x_z.y ; \n"), std::string::npos);
  EXPECT_NE(lens.find("y_intercept = eye_x - eye_z * theta2; \n}\n\n}if(x_intercept*x_intercept+"
                      "y_intercept*y_intercept > "
                      "lens_focal_length_radius.y*lens_focal_length_radius.y) { magnification = "
                      "0.0/0.0; } \nreturn lens_orientation[3] + r0 * magnification; \n }\n"),
            std::string::npos);
}

TEST(ReflectSphereGLSL, FlagsAddTheAngleLimitOrTheMagnificationCheckAndTheDepth) {
  const std::string limited = reflect_sphere_glsl(true, false);
  const std::string deep = reflect_sphere_glsl(false, true);
  const std::string limit =
      "float theta2_max = 2.0*(1.5707963267948966 - asin(sphere_center_radius.w / sphere_dist)); "
      "\n if (theta2 > theta2_max) return vec3(0.0 / 0.0); \n";
  const std::string check =
      "if(magnification >= 1.0 || magnification<=0.0) return vec3(0.0/0.0);\n";
  EXPECT_NE(limited.find(limit), std::string::npos);
  EXPECT_EQ(limited.find(check), std::string::npos);
  EXPECT_EQ(limited.find("frag_depth"), std::string::npos);
  EXPECT_EQ(deep.find(limit), std::string::npos);
  EXPECT_NE(deep.find(check + "frag_depth = length_r0; \nreturn sphere_center_radius.xyz + r0 * "
                              "magnification; \n }\n"),
            std::string::npos);
  EXPECT_EQ(deep.rfind("vec3 reflect_sphere(vec3 position)\n { \n vec3 r0 = position - "
                       "sphere_center_radius.xyz; \n float length_r0 = length(r0); \n",
                       0),
            0u);
}
