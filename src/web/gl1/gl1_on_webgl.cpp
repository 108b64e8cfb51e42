// The GL 1.x subset of GL/gl.h on WebGL: vertices are transformed on the
// CPU as they are given, collected between glBegin and glEnd, and drawn as
// triangles by one small shader that does GL_MODULATE texturing.
#include <GL/gl.h>
#include <GL/glu.h>

#include <cmath>
#include <cstdio>
#include <vector>

extern "C" {
// WebGL's own entry points under their second name, since this file
// defines glEnable and glDisable itself.
void emscripten_glEnable(GLenum cap);
void emscripten_glDisable(GLenum cap);
}

namespace {

// Column-major 4x4, as GL keeps it.
struct Matrix {
  float m[16] = {1, 0, 0, 0, 0, 1, 0, 0, 0, 0, 1, 0, 0, 0, 0, 1};
};

// a = a * b
void MultiplyInto(Matrix& a, const Matrix& b) {
  Matrix r;
  for (int col = 0; col < 4; ++col) {
    for (int row = 0; row < 4; ++row) {
      float sum = 0;
      for (int k = 0; k < 4; ++k) sum += a.m[k * 4 + row] * b.m[col * 4 + k];
      r.m[col * 4 + row] = sum;
    }
  }
  a = r;
}

struct MatrixStack {
  std::vector<Matrix> levels;
  size_t max_depth;
  explicit MatrixStack(size_t depth) : levels(1), max_depth(depth) {}
  Matrix& top() { return levels.back(); }
};

// Position in clip space, texture coordinate, colour: 10 floats.
struct Vertex {
  float x, y, z, w;
  float s, t;
  float r, g, b, a;
};

struct Gl1State {
  MatrixStack modelview{32};
  MatrixStack projection{2};
  MatrixStack* current = &modelview;
  float color[4] = {1, 1, 1, 1};
  float texcoord[2] = {0, 0};
  bool texturing = false;
  GLenum mode = 0;
  Matrix mvp;  // projection * modelview, fixed between glBegin and glEnd
  std::vector<Vertex> primitive;
  std::vector<Vertex> triangles;
  // The drawing programs and the vertex buffer, made on first use.
  GLuint programs[2] = {};  // plain, textured
  GLuint buffer = 0;
};

Gl1State& State() {
  static Gl1State state;
  return state;
}

float Clamp01(float v) { return v < 0 ? 0 : (v > 1 ? 1 : v); }

const char* const kVertexShader =
    "attribute vec4 position;\n"
    "attribute vec2 texcoord;\n"
    "attribute vec4 color;\n"
    "varying vec2 v_texcoord;\n"
    "varying vec4 v_color;\n"
    "void main() { gl_Position = position; v_texcoord = texcoord; v_color = color; }\n";

// Two programs, with and without texturing, rather than a branch per
// fragment.
const char* const kTexturedFragmentShader =
    "precision highp float;\n"
    "uniform sampler2D picture;\n"
    "varying vec2 v_texcoord;\n"
    "varying vec4 v_color;\n"
    "void main() { gl_FragColor = texture2D(picture, v_texcoord) * v_color; }\n";
const char* const kPlainFragmentShader =
    "precision highp float;\n"
    "varying vec2 v_texcoord;\n"
    "varying vec4 v_color;\n"
    "void main() { gl_FragColor = v_color; }\n";

GLuint CompileShader(GLenum type, const char* source) {
  const GLuint shader = glCreateShader(type);
  glShaderSource(shader, 1, &source, nullptr);
  glCompileShader(shader);
  GLint ok = 0;
  glGetShaderiv(shader, GL_COMPILE_STATUS, &ok);
  if (!ok) {
    char log[512] = {};
    glGetShaderInfoLog(shader, sizeof log, nullptr, log);
    std::fprintf(stderr, "zibo: the WebGL %s shader did not compile: %s\n",
                 type == GL_VERTEX_SHADER ? "vertex" : "fragment", log);
  }
  return shader;
}

GLuint MakeProgram(const char* fragment_shader) {
  const GLuint program = glCreateProgram();
  glAttachShader(program, CompileShader(GL_VERTEX_SHADER, kVertexShader));
  glAttachShader(program, CompileShader(GL_FRAGMENT_SHADER, fragment_shader));
  glBindAttribLocation(program, 0, "position");
  glBindAttribLocation(program, 1, "texcoord");
  glBindAttribLocation(program, 2, "color");
  glLinkProgram(program);
  GLint ok = 0;
  glGetProgramiv(program, GL_LINK_STATUS, &ok);
  if (!ok) std::fprintf(stderr, "zibo: a WebGL drawing program did not link\n");
  return program;
}

void DrawTriangles(Gl1State& s) {
  if (s.triangles.empty()) return;
  if (s.buffer == 0) {
    s.programs[0] = MakeProgram(kPlainFragmentShader);
    s.programs[1] = MakeProgram(kTexturedFragmentShader);
    glGenBuffers(1, &s.buffer);
  }
  glUseProgram(s.programs[s.texturing ? 1 : 0]);
  glBindBuffer(GL_ARRAY_BUFFER, s.buffer);
  glBufferData(GL_ARRAY_BUFFER, GLsizeiptr(s.triangles.size() * sizeof(Vertex)),
               s.triangles.data(), GL_STREAM_DRAW);
  const GLsizei stride = sizeof(Vertex);
  glEnableVertexAttribArray(0);
  glEnableVertexAttribArray(1);
  glEnableVertexAttribArray(2);
  glVertexAttribPointer(0, 4, GL_FLOAT, GL_FALSE, stride, reinterpret_cast<void*>(0));
  glVertexAttribPointer(1, 2, GL_FLOAT, GL_FALSE, stride, reinterpret_cast<void*>(4 * sizeof(float)));
  glVertexAttribPointer(2, 4, GL_FLOAT, GL_FALSE, stride, reinterpret_cast<void*>(6 * sizeof(float)));
  glDrawArrays(GL_TRIANGLES, 0, GLsizei(s.triangles.size()));
}

void Multiply(const Matrix& b) { MultiplyInto(State().current->top(), b); }

}  // namespace

extern "C" {

void glBegin(GLenum mode) {
  Gl1State& s = State();
  s.mode = mode;
  s.primitive.clear();
  s.mvp = s.projection.top();
  MultiplyInto(s.mvp, s.modelview.top());
}

void glEnd(void) {
  Gl1State& s = State();
  const std::vector<Vertex>& v = s.primitive;
  s.triangles.clear();
  if (s.mode == GL_QUADS) {
    for (size_t q = 0; q + 3 < v.size(); q += 4) {
      for (size_t i : {q, q + 1, q + 2, q, q + 2, q + 3}) s.triangles.push_back(v[i]);
    }
  } else if (s.mode == GL_TRIANGLE_FAN) {
    for (size_t i = 1; i + 1 < v.size(); ++i) {
      s.triangles.push_back(v[0]);
      s.triangles.push_back(v[i]);
      s.triangles.push_back(v[i + 1]);
    }
  }
  DrawTriangles(s);
  s.mode = 0;
}

void glVertex2f(GLfloat x, GLfloat y) {
  Gl1State& s = State();
  const float* m = s.mvp.m;
  s.primitive.push_back({m[0] * x + m[4] * y + m[12], m[1] * x + m[5] * y + m[13],
                         m[2] * x + m[6] * y + m[14], m[3] * x + m[7] * y + m[15],
                         s.texcoord[0], s.texcoord[1], s.color[0], s.color[1], s.color[2],
                         s.color[3]});
}

void glTexCoord2f(GLfloat u, GLfloat v) {
  State().texcoord[0] = u;
  State().texcoord[1] = v;
}

void glColor3f(GLfloat r, GLfloat g, GLfloat b) { glColor4f(r, g, b, 1.0f); }

void glColor4f(GLfloat r, GLfloat g, GLfloat b, GLfloat a) {
  float* c = State().color;
  c[0] = Clamp01(r);
  c[1] = Clamp01(g);
  c[2] = Clamp01(b);
  c[3] = Clamp01(a);
}

void glMatrixMode(GLenum mode) {
  Gl1State& s = State();
  s.current = mode == GL_PROJECTION ? &s.projection : &s.modelview;
}

void glLoadIdentity(void) { State().current->top() = Matrix(); }

void glPushMatrix(void) {
  MatrixStack& stack = *State().current;
  if (stack.levels.size() < stack.max_depth) stack.levels.push_back(stack.top());
}

void glPopMatrix(void) {
  MatrixStack& stack = *State().current;
  if (stack.levels.size() > 1) stack.levels.pop_back();
}

void glOrtho(GLdouble l, GLdouble r, GLdouble b, GLdouble t, GLdouble n, GLdouble f) {
  Matrix o;
  o.m[0] = float(2.0 / (r - l));
  o.m[5] = float(2.0 / (t - b));
  o.m[10] = float(-2.0 / (f - n));
  o.m[12] = float(-(r + l) / (r - l));
  o.m[13] = float(-(t + b) / (t - b));
  o.m[14] = float(-(f + n) / (f - n));
  Multiply(o);
}

void gluPerspective(GLdouble fovy, GLdouble aspect, GLdouble n, GLdouble f) {
  const double cot = 1.0 / std::tan(fovy / 2.0 * 3.14159265358979323846 / 180.0);
  Matrix p;
  p.m[0] = float(cot / aspect);
  p.m[5] = float(cot);
  p.m[10] = float(-(f + n) / (f - n));
  p.m[11] = -1.0f;
  p.m[14] = float(-2.0 * f * n / (f - n));
  p.m[15] = 0.0f;
  Multiply(p);
}

void glTranslatef(GLfloat x, GLfloat y, GLfloat z) {
  Matrix t;
  t.m[12] = x;
  t.m[13] = y;
  t.m[14] = z;
  Multiply(t);
}

void glRotatef(GLfloat degrees, GLfloat x, GLfloat y, GLfloat z) {
  const float length = std::sqrt(x * x + y * y + z * z);
  if (length == 0) return;
  x /= length;
  y /= length;
  z /= length;
  const double radians = double(degrees) * 3.14159265358979323846 / 180.0;
  const float c = float(std::cos(radians)), s = float(std::sin(radians)), k = 1 - c;
  Matrix r;
  r.m[0] = x * x * k + c;
  r.m[1] = y * x * k + z * s;
  r.m[2] = x * z * k - y * s;
  r.m[4] = x * y * k - z * s;
  r.m[5] = y * y * k + c;
  r.m[6] = y * z * k + x * s;
  r.m[8] = x * z * k + y * s;
  r.m[9] = y * z * k - x * s;
  r.m[10] = z * z * k + c;
  Multiply(r);
}

void glScalef(GLfloat x, GLfloat y, GLfloat z) {
  Matrix m;
  m.m[0] = x;
  m.m[5] = y;
  m.m[10] = z;
  Multiply(m);
}

void glEnable(GLenum cap) {
  if (cap == GL_TEXTURE_2D) {
    State().texturing = true;
  } else {
    emscripten_glEnable(cap);
  }
}

void glDisable(GLenum cap) {
  if (cap == GL_TEXTURE_2D) {
    State().texturing = false;
  } else {
    emscripten_glDisable(cap);
  }
}

}  // extern "C"
