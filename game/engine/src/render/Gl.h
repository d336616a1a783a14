// OpenGL 3.3 core entry points (resolved by the GL vendor-neutral dispatch library).
#pragma once

#define GL_GLEXT_PROTOTYPES 1
#include <GL/gl.h>
#include <GL/glext.h>
