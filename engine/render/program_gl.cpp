// Shader and program objects.
#include "render/program_gl.h"

#include <iostream>

#include "core/strings.h"

void ShaderGL::create(GLenum type) {
  type_ = type;
  id_ = glCreateShader(type);
}

std::vector<std::string> ShaderGL::chunk_source(const std::string& text,
                                                unsigned long long max_length) {
  std::vector<std::string> chunks(1);
  for (const std::string& line : split(text, "\n")) {
    const std::string piece = line + "\n";
    if (max_length != 0 && chunks.back().size() + piece.size() > max_length)
      chunks.push_back(piece);
    else
      chunks.back() += piece;
  }
  return chunks;
}

void ShaderGL::source(std::string text) {
  source_text_ = std::move(text);
  const std::vector<std::string> chunks = chunk_source(source_text_, max_chunk_length_);
  std::vector<const GLchar*> pointers;
  pointers.reserve(chunks.size());
  for (const std::string& c : chunks) pointers.push_back(c.c_str());
  glShaderSource(id_, static_cast<GLsizei>(pointers.size()), pointers.data(), nullptr);
}

int ShaderGL::compile() {
  glCompileShader(id_);
  return check_compile();
}

int ShaderGL::check_compile() {
  GLint status = 0;
  glGetShaderiv(id_, GL_COMPILE_STATUS, &status);
  compile_failed_ = status == 0 ? 1 : 0;
  const std::string log = info_log();
  if (compile_failed_) {
    if (id_) glDeleteShader(id_);
    std::cerr << log << std::endl;
  }
  return compile_failed_;
}

std::string ShaderGL::info_log() const {
  std::string buffer(8192, '\0');
  GLsizei length = 0;
  glGetShaderInfoLog(id_, static_cast<GLsizei>(buffer.size()), &length, buffer.data());
  buffer.resize(length > 0 ? static_cast<std::size_t>(length) : 0);
  return buffer;
}

void ShaderGL::clear() {
  if (id_) glDeleteShader(id_);
}

ProgramGL& ProgramGL::operator=(const ProgramGL& other) {
  id_ = other.id_;
  uniform_locations_ = other.uniform_locations_;
  return *this;
}

unsigned int ProgramGL::create() {
  id_ = glCreateProgram();
  return id_;
}

void ProgramGL::clear() {
  glDeleteProgram(id_);
}

void ProgramGL::attach(unsigned int shader) {
  glAttachShader(id_, shader);
}

int ProgramGL::link() {
  glLinkProgram(id_);
  if (link_error()) {
    std::cerr << link_message() << std::endl;
    return 1;
  }
  return 0;
}

int ProgramGL::link_error() {
  GLint status = 0;
  glGetProgramiv(id_, GL_LINK_STATUS, &status);
  return status == 0 ? 1 : 0;
}

std::string ProgramGL::link_message() {
  GLint n = 0;
  glGetProgramiv(id_, GL_INFO_LOG_LENGTH, &n);
  if (n <= 0) return std::string();
  std::string message(static_cast<std::size_t>(n), '\0');
  GLsizei written = 0;
  glGetProgramInfoLog(id_, n, &written, message.data());
  return message;
}

int ProgramGL::compile_into(GLenum type, const std::string& source, std::string& log,
                            const char* what) {
  ShaderGL shader;
  shader.create(type);
  shader.source(source);
  glCompileShader(shader.id());
  // The log is read before a failed check deletes the shader.
  const std::string shader_log = shader.info_log();
  if (shader.check_compile()) {
    log = shader_log;
    std::cerr << "ProgramGL::assemble() - " << what << " shader compile error" << std::endl;
    std::cerr << log << std::endl;
    return 1;
  }
  glAttachShader(id_, shader.id());
  glDeleteShader(shader.id());
  return 0;
}

int ProgramGL::assemble(std::string vertex_source, std::string fragment_source, bool do_link) {
  if (id_ == 0) id_ = glCreateProgram();
  if (!vertex_source.empty() &&
      compile_into(GL_VERTEX_SHADER, vertex_source, vertex_log_, "vertex"))
    return 1;
  if (!fragment_source.empty() &&
      compile_into(GL_FRAGMENT_SHADER, fragment_source, fragment_log_, "fragment"))
    return 1;
  if (do_link && link() == 1) {
    std::cerr << "ProgramGL::assemble() - link error" << std::endl;
    std::cerr << link_message() << std::endl;
    return 1;
  }
  return 0;
}

int ProgramGL::uniform_location(std::string name) {
  auto it = uniform_locations_.find(name);
  if (it != uniform_locations_.end()) return it->second;
  const int location = glGetUniformLocation(id_, name.c_str());
  uniform_locations_.emplace(std::move(name), location);
  return location;
}

void ProgramGL::use() const {
  const std::string what = ": ProgramGL::use(" + std::to_string(id_) + ") GL error ";
  report_gl_errors("0" + what);
  glUseProgram(id_);
  report_gl_errors("1" + what);
}

void ProgramGL::wrap(std::function<void()> draw, bool release) {
  use();
  draw();
  if (release) glUseProgram(0);
}
