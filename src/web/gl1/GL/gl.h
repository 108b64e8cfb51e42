// gl.h - the OpenGL 1.x subset the show draws with, for the browser build.
//
// The show's scenes speak OpenGL 1.x immediate mode; WebGL has neither
// glBegin/glEnd nor matrix stacks nor fixed-function texturing. This header
// stands in for the system's GL/gl.h when the show is compiled to
// WebAssembly: everything WebGL already has comes from <GLES2/gl2.h> as is,
// and the few 1.x calls the show makes are declared here and built on WebGL
// in gl1_on_webgl.cpp. Main (GL) thread only, with the context made current
// by the page's start-up.
#ifndef ZIBO_WEB_GL1_GL_H
#define ZIBO_WEB_GL1_GL_H

#include <GLES2/gl2.h>

typedef double GLdouble;

#define GL_QUADS 0x0007
#define GL_MODELVIEW 0x1700
#define GL_PROJECTION 0x1701
#define GL_RGBA8 0x8058

#ifdef __cplusplus
extern "C" {
#endif

// Immediate mode: GL_QUADS and GL_TRIANGLE_FAN, one texture unit, colours
// clamped to [0, 1] and multiplied with the texture (GL_MODULATE).
void glBegin(GLenum mode);
void glEnd(void);
void glVertex2f(GLfloat x, GLfloat y);
void glTexCoord2f(GLfloat s, GLfloat t);
void glColor3f(GLfloat r, GLfloat g, GLfloat b);
void glColor4f(GLfloat r, GLfloat g, GLfloat b, GLfloat a);

// The modelview and projection stacks (32 and 2 deep as in GL, errors
// ignored like GL's: an overflowing push or an underflowing pop does nothing).
void glMatrixMode(GLenum mode);
void glLoadIdentity(void);
void glPushMatrix(void);
void glPopMatrix(void);
void glOrtho(GLdouble left, GLdouble right, GLdouble bottom, GLdouble top, GLdouble near_z,
             GLdouble far_z);
void glTranslatef(GLfloat x, GLfloat y, GLfloat z);
void glRotatef(GLfloat degrees, GLfloat x, GLfloat y, GLfloat z);
void glScalef(GLfloat x, GLfloat y, GLfloat z);

// GL_TEXTURE_2D is the fixed-function switch between textured and plain
// colour; every other capability goes to WebGL.
// (glEnable and glDisable are declared by <GLES2/gl2.h>.)

#ifdef __cplusplus
}
#endif

#endif
