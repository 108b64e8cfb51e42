// glu.h - the GLU calls the show makes, for the browser build (see gl.h).
// Main (GL) thread only.
#ifndef ZIBO_WEB_GL1_GLU_H
#define ZIBO_WEB_GL1_GLU_H

#include <GL/gl.h>

#define GLU_INVALID_VALUE 100901
#define GLU_OUT_OF_MEMORY 100902

#ifdef __cplusplus
extern "C" {
#endif

void gluPerspective(GLdouble fovy_degrees, GLdouble aspect, GLdouble near_z, GLdouble far_z);

// Uploads the image and every mipmap level down to 1x1, each level the 2x2
// box average of the one above with GLU's rounding ((a + b + c + d + 2) / 4),
// so that the textures hold the bytes the native GLU gives. Sides that are
// not powers of two are first resampled to GLU's nearest power of two (by an
// area average). Only GL_RGBA / GL_UNSIGNED_BYTE pixels; 0 on success, a
// GLU error code otherwise (GLU_INVALID_VALUE for a zero or negative size).
GLint gluBuild2DMipmaps(GLenum target, GLint internal_format, GLsizei width, GLsizei height,
                        GLenum format, GLenum type, const void* data);

const GLubyte* gluErrorString(GLenum error);

#ifdef __cplusplus
}
#endif

#endif
