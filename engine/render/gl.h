// The one include for OpenGL in the engine: GLEW first (it must precede the
// GL headers), then GLU for error strings and quadrics.
#pragma once

#include <GL/glew.h>
#include <GL/glu.h>

#include <string>

// The text of an OpenGL error code ("invalid enumerant", ...).
std::string gl_error_string(unsigned int code);

// Writes every pending OpenGL error as prefix, code, ": ", its text and a line
// end to the error stream, stopping after 32 (without a context some drivers
// report an error on every call). Returns the number written.
int report_gl_errors(const std::string& prefix);

// GLEW has loaded the entry points past OpenGL 1.1 (glewInit ran with a
// context). Before that they are null pointers: the GL object handles then do
// no GL work at all, so panels and models can be built with no context (CPU
// tests, start-up before the window).
bool gl_entry_points_loaded();
