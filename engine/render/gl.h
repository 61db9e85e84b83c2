// The one include for OpenGL in the engine: GLEW first (it must precede the
// GL headers), then GLU for error strings and quadrics.
#pragma once

#include <GL/glew.h>
#include <GL/glu.h>

#include <string>

// The text of an OpenGL error code ("invalid enumerant", ...).
std::string gl_error_string(unsigned int code);
