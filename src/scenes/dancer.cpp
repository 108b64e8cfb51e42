#include "scenes/dancer.h"

#include <cmath>

#include <GL/gl.h>

namespace zibo {
namespace {

// sin(u / d) with the quotient and the sine each rounded to single precision.
float SineOf(float u, float d) { return float(std::sin(double(u / d))); }

void Yellow() { glColor3f(1.0f, 1.0f, 0.0f); }
void Magenta() { glColor3f(1.0f, 0.0f, 1.0f); }
void Blue() { glColor3f(0.0f, 0.0f, 1.0f); }
void Cyan() { glColor3f(0.0f, 1.0f, 1.0f); }

void Move(float x, float y) { glTranslatef(x, y, 0.0f); }
void Turn(float degrees) { glRotatef(degrees, 0.0f, 0.0f, 1.0f); }

// A segment's rectangle in its own frame: from the pivot along +y.
void Bar(float width, float length) {
  const float half = width / 2.0f;
  glBegin(GL_QUADS);
  glVertex2f(-half, 0.0f);
  glVertex2f(-half, length);
  glVertex2f(half, length);
  glVertex2f(half, 0.0f);
  glEnd();
}

// The head: a 20-sided disc of radius 30 as a fan from its centre, the rim
// starting at the top and running clockwise back to where it began.
void HeadDisc() {
  constexpr double kPi = 3.1415926535;
  glBegin(GL_TRIANGLE_FAN);
  glVertex2f(0.0f, 0.0f);
  for (int i = 0; i <= 20; ++i) {
    const double theta = double(i) / 20.0 * kPi * 2.0;
    glVertex2f(float(30.0 * std::sin(theta)), float(30.0 * std::cos(theta)));
  }
  glEnd();
}

// Upper arm with its forearm, hung from the torso at (x, 100).
void Arm(float x, float fixed_turn, const DancerPose& pose) {
  glPushMatrix();
  Magenta();
  Move(x, 100.0f);
  Turn(fixed_turn);
  Turn(pose.arm);
  Bar(20.0f, 70.0f);
  glPushMatrix();
  Blue();
  Move(0.0f, 60.0f);
  Turn(pose.forearm);
  Bar(14.0f, 50.0f);
  glPopMatrix();
  glPopMatrix();
}

// Thigh, shin and foot, hung from the torso at (x, 10) and pointing down.
void Leg(float x, float hip, float knee, float ankle) {
  glPushMatrix();
  Magenta();
  Move(x, 10.0f);
  Turn(-180.0f);
  Turn(hip);
  Bar(20.0f, 60.0f);
  glPushMatrix();
  Blue();
  Move(0.0f, 55.0f);
  Turn(knee);
  Bar(14.0f, 50.0f);
  glPushMatrix();
  Cyan();
  Move(0.0f, 45.0f);
  Turn(ankle);
  Bar(14.0f, 30.0f);
  glPopMatrix();
  glPopMatrix();
  glPopMatrix();
}

}  // namespace

DancerPose DancerPoseAt(int32_t music_ms) {
  const float u = float(music_ms);
  const double s80 = SineOf(u, 80.0f);
  const double s90 = SineOf(u, 90.0f);
  const double s100 = SineOf(u, 100.0f);
  const double s140 = SineOf(u, 140.0f);
  const double s200 = SineOf(u, 200.0f);
  DancerPose pose;
  pose.root = float(s200 * 10.0);
  pose.arm = float(s100 * 20.0);
  pose.forearm = float(s80 * 50.0);
  pose.left_hip = float(s140 * 30.0 - 30.0);
  pose.right_hip = float(30.0 - s140 * 30.0);
  pose.left_knee = float(s90 * 20.0 + 20.0);
  pose.right_knee = float(s90 * 20.0 - 20.0);
  pose.left_ankle = float(s90 * 10.0 - 90.0);
  pose.right_ankle = float(s90 * 10.0 + 90.0);
  pose.neck = float(-s140 * 30.0);
  pose.flip_scale = float(std::sin(double(music_ms) / 100.0));
  return pose;
}

void DrawDancer(int32_t music_ms, int flipped, bool h_down) {
  const DancerPose pose = DancerPoseAt(music_ms);
  glDisable(GL_TEXTURE_2D);
  glPushMatrix();  // root level
  Yellow();
  Move(320.0f, flipped ? 240.0f : 140.0f);
  Turn(pose.root);
  if (flipped) glScalef(pose.flip_scale, -1.0f, 1.0f);
  Bar(100.0f, 120.0f);  // torso

  Arm(40.0f, -90.0f, pose);
  Arm(-40.0f, 90.0f, pose);
  Leg(-30.0f, pose.left_hip, pose.left_knee, pose.left_ankle);
  Leg(30.0f, pose.right_hip, pose.right_knee, pose.right_ankle);

  if (h_down) {
    glPushMatrix();
    Magenta();
    Move(0.0f, 5.0f);
    Turn(-180.0f);
    Turn(pose.neck);
    Bar(14.0f, 30.0f);
    glPopMatrix();
  }

  glPushMatrix();  // neck
  Magenta();
  Move(0.0f, 115.0f);
  Turn(pose.neck);
  Bar(14.0f, 20.0f);
  glPushMatrix();  // head
  Blue();
  Move(0.0f, 45.0f);
  Turn(pose.neck);
  HeadDisc();
  glPopMatrix();
  glPopMatrix();
  glPopMatrix();  // root level
}

}  // namespace zibo
