// GLSL programs: a vertex and a fragment shader compiled from text, attached,
// linked and made current, with uniform locations cached by name. Failures
// are written to the error stream and returned as 1.
#pragma once

#include <functional>
#include <map>
#include <string>
#include <vector>

#include "render/gl.h"

// One shader object. Long source text is handed to OpenGL in chunks of whole lines.
class ShaderGL {
 public:
  void create(GLenum type);
  void source(std::string text);
  int compile();
  int check_compile();
  std::string info_log() const;
  void clear();
  unsigned int id() const { return id_; }
  GLenum type() const { return type_; }
  const std::string& source_text() const { return source_text_; }
  int compile_failed() const { return compile_failed_; }
  unsigned long long max_chunk_length() const { return max_chunk_length_; }
  void max_chunk_length(unsigned long long n) { max_chunk_length_ = n; }

  // The text's lines, each with its line end, gathered into chunks of at most
  // max_length characters (0: no limit); a longer line is a chunk of its own.
  static std::vector<std::string> chunk_source(const std::string& text,
                                               unsigned long long max_length);

 private:
  unsigned int id_ = 0;
  GLenum type_ = GL_VERTEX_SHADER;
  std::string source_text_;
  int compile_failed_ = 0;
  unsigned long long max_chunk_length_ = 16384;
};

class ProgramGL {
 public:
  ProgramGL(unsigned int id = 0) : id_(id) {}
  ProgramGL(const ProgramGL&) = default;
  // Takes the name and the uniform cache; the logs stay this program's own.
  ProgramGL& operator=(const ProgramGL& other);

  unsigned int id() const { return id_; }
  unsigned int create();
  // Deletes the program object; the name and the cache stay.
  void clear();
  void attach(unsigned int shader);
  void attach(const ShaderGL& shader) { attach(shader.id()); }
  int link();
  int link_error();
  std::string link_message();
  // Compiles and attaches each non-empty source, then links when asked. 0 on
  // success; 1 after the first failure (nothing after it is compiled or linked).
  int assemble(std::string vertex_source, std::string fragment_source, bool link = true);
  // Cached; a miss asks OpenGL once and keeps its answer, -1 included.
  int uniform_location(std::string name);
  // Makes the program current, reporting errors pending before ("0: ") and
  // raised by the switch ("1: ").
  void use() const;
  void release() const { glUseProgram(0); }
  void wrap(std::function<void()> draw, bool release = true);

  // The statements of a vertex main body that lights `position` (eye
  // coordinates) with normal `normal` by the fixed-function lights
  // gl_LightSource[0 .. NUM_LIGHTS-1] and material, writing the colour to
  // `output`. NUM_LIGHTS is defined by the shader that includes the text.
  // Defined with the other generated texts (render/glsl_programs.cpp).
  static std::string default_lighted_vertex_main(std::string position, std::string normal,
                                                 std::string output, std::string camera_direction,
                                                 bool clamp, bool specular, bool two_sided,
                                                 bool ambient, bool attenuate_ambient,
                                                 bool use_color, bool per_light_color);

  const std::string& vertex_log() const { return vertex_log_; }
  const std::string& fragment_log() const { return fragment_log_; }

 private:
  int compile_into(GLenum type, const std::string& source, std::string& log, const char* what);

  std::string fragment_log_;
  std::string vertex_log_;
  unsigned int id_;
  std::map<std::string, int> uniform_locations_;
};
